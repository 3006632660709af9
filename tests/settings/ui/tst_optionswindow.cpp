// The options, advanced settings and help windows on the offscreen platform: each control edits its setting
// and Cancel puts the stored state back, the enabling table reaches the widgets, Help opens the page of the
// page shown, the advanced dialog's method rules and OK, its mail store fields by store kind, the choice of mail
// program in the main window, and tool-tips wrapped at 370 pixels.
#include "ScriptedPrompt.h"
#include "app/ui/Tfrmmain.h"
#include "base/AppPaths.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "settings/ui/HintWrapper.h"
#include "settings/ui/TdlgAdvancedSettings.h"
#include "settings/ui/Tdlgoptions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

class TestOptionsWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;

    std::unique_ptr<ui::Tfrmmain> started(ScriptedPrompt &prompt) {
        auto window = std::make_unique<ui::Tfrmmain>(prompt);
        window->core().FormCreate({});
        prompt.answer(UserPrompt::Yes);
        window->core().createDataModule();
        window->show();
        window->firstShow();
        return window;
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_tmp->filePath(QStringLiteral("config")));
        AppPaths::setApplicationDirectory(m_tmp->filePath(QStringLiteral("app")));
    }
    void cleanup() {
        AppPaths::setApplicationDirectory(QString());
        m_tmp.reset();
    }

    void checkBoxesEditTheirSettings_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("value");
        QTest::newRow("log") << "chkmaintainlog"
                             << "MaintainLog";
        QTest::newRow("back-up on exit") << "chkbackuponexit"
                                         << "BackUpOnExit";
        QTest::newRow("start-up scan") << "chkautoscan_startup"
                                       << "AutoScanStartUp";
        QTest::newRow("out of office") << "chkremoveoutofoffice"
                                       << "RemoveOutofOffice";
        QTest::newRow("guess first name") << "chkguesssalutation"
                                          << "GuessSalutation";
        QTest::newRow("read receipts") << "chkreadreceipts"
                                       << "Acknowledge";
        QTest::newRow("send log") << "chksendlog"
                                  << "SendLog";
        QTest::newRow("acknowledgements") << "chksendacknowledgement"
                                          << "SendAcknowledgement";
        QTest::newRow("user sending") << "chkusersending"
                                      << "UserSending";
        QTest::newRow("failures") << "chkfailedmail"
                                  << "FailedMail";
        QTest::newRow("precise bounces") << "chkprecisebounces"
                                         << "PreciseBounces";
        QTest::newRow("invalid addresses") << "chkexcept"
                                           << "Except";
        QTest::newRow("unsubscribers blocked") << "chkaddunsubscribers"
                                               << "AddUnsubscribers";
        QTest::newRow("signature on forward") << "chksigonforward"
                                              << "SigOnForward";
    }
    void checkBoxesEditTheirSettings() {
        QFETCH(QString, box);
        QFETCH(QString, value);
        ScriptedPrompt prompt;
        auto window = started(prompt);
        ui::Tdlgoptions *options = window->optionsDialog();
        QVERIFY(options != nullptr);
        SettingsStore &store = *window->core().settingsStore();
        Settings &settings = window->core().settings();
        // Stored on, so that every box of the User Sending page can be clicked.
        settings.UserSending = true;
        QVERIFY(store.SaveEntries(settings));
        options->core().FormShow();
        options->loadControls();
        auto *check = options->findChild<QCheckBox *>(box);
        QVERIFY2(check != nullptr, qPrintable(box));
        const QString before = store.storedText(settings, value);
        check->click();
        QVERIFY(store.storedText(settings, value) != before);
        options->reject();
        QCOMPARE(store.storedText(settings, value), before);
        QCOMPARE(check->isChecked(), before == QLatin1String("true"));
    }

    void enablingReachesTheWidgets() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        ui::Tdlgoptions *options = window->optionsDialog();
        window->core().settings().Except = false;
        options->core().FormShow();
        options->loadControls();
        auto *list = options->findChild<QListWidget *>(QStringLiteral("lbxexcept"));
        QVERIFY(!list->isEnabled());
        options->findChild<QCheckBox *>(QStringLiteral("chkexcept"))->click();
        QVERIFY(list->isEnabled());
        QVERIFY(window->core().settings().Except);
    }

    void helpOpensThePageShown_data() {
        QTest::addColumn<int>("page");
        for (const int page : {0, 5, 9}) {
            QTest::addRow("page %d", page) << page;
        }
    }
    void helpOpensThePageShown() {
        QFETCH(int, page);
        ScriptedPrompt prompt;
        auto window = started(prompt);
        ui::Tdlgoptions *options = window->optionsDialog();
        int opened = -1;
        options->showHelp = [&](int context) { opened = context; };
        options->lbxpages->setCurrentRow(page);
        QCOMPARE(options->pages->currentIndex(), page);
        options->findChild<QPushButton *>(QStringLiteral("BitBtn3"))->click();
        QCOMPARE(opened, 302 + page);
    }

    void advancedMethodRulesAndOk() {
        ScriptedPrompt prompt;
        Settings settings;
        settings.EmailMethod = 0;
        ui::TdlgAdvancedSettings dialog(settings, prompt, true);
        int smtpOpened = 0;
        dialog.showSmtpSettings = [&](int method) { smtpOpened = method; };
        dialog.core().FormShow();
        dialog.showControls();
        QVERIFY(!dialog.btnsmtpsettings->isEnabled());
        QVERIFY(dialog.chkalwaysresolve->isEnabled());
        dialog.lbxsendingmethod->setCurrentRow(3);
        QVERIFY(dialog.btnsmtpsettings->isEnabled());
        QVERIFY(!dialog.chkalwaysresolve->isEnabled());
        dialog.show();
        dialog.accept();
        QCOMPARE(smtpOpened, 3);
        QVERIFY(dialog.isVisible());
        QCOMPARE(settings.EmailMethod, 0);
        dialog.rdbotherprogram->setChecked(true);
        QVERIFY(!dialog.pages->isTabVisible(1));
    }

    void advancedStoreKindFields_data() {
        QTest::addColumn<int>("kind"); // item of the store-kind list: 0 Maildir, 1 IMAP
        QTest::addColumn<bool>("ok");  // OK, else Cancel
        QTest::newRow("IMAP, OK") << 1 << true;
        QTest::newRow("IMAP, Cancel") << 1 << false;
        QTest::newRow("Maildir, OK") << 0 << true;
    }
    void advancedStoreKindFields() {
        QFETCH(int, kind);
        QFETCH(bool, ok);
        ScriptedPrompt prompt;
        Settings settings;
        settings.EmailMethod = 0;
        ui::TdlgAdvancedSettings dialog(settings, prompt, true);
        dialog.core().FormShow();
        dialog.showControls();
        QCOMPARE(dialog.edtimappassword->echoMode(), QLineEdit::Password);
        QCOMPARE(dialog.cmbimapsecurity->count(), 3);
        dialog.cmbstorekind->setCurrentIndex(kind);
        for (QWidget *w : std::initializer_list<QWidget *>{
                 dialog.edtimaphost, dialog.edtimapport, dialog.cmbimapsecurity, dialog.edtimapuser,
                 dialog.edtimappassword, dialog.edtimapfingerprint, dialog.btntestimap})
            QVERIFY2(w->isEnabled() == (kind == 1), qPrintable(w->objectName()));
        QCOMPARE(dialog.edtmailstore->isEnabled(), kind == 0);
        dialog.edtimaphost->setText(QStringLiteral("imap.example.org"));
        dialog.edtimapport->setText(QStringLiteral("1993"));
        dialog.cmbimapsecurity->setCurrentIndex(1);
        dialog.edtimapuser->setText(QStringLiteral("lists"));
        dialog.show();
        auto *buttons = dialog.findChild<QDialogButtonBox *>();
        buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        QVERIFY(!dialog.isVisible());
        const bool stored = ok && kind == 1;
        QCOMPARE(settings.MailStoreKind, stored ? QStringLiteral("imap") : QStringLiteral("maildir"));
        QCOMPARE(settings.IMAPHost, stored ? QStringLiteral("imap.example.org") : QString());
        QCOMPARE(settings.IMAPPort, stored ? 1993 : 0);
        QCOMPARE(settings.IMAPSecurity, stored ? QStringLiteral("starttls") : QStringLiteral("tls"));
        QCOMPARE(settings.IMAPUser, stored ? QStringLiteral("lists") : QString());
        QVERIFY(prompt.texts().isEmpty());
    }

    void otherMailProgramHidesCommandsForThisRun() {
        QStringList names{"mkCheckOutlook", "mkScanOutlookFolders", "mkScanOutlookContacts"};
        {
            ScriptedPrompt prompt;
            auto window = started(prompt);
            window->optionsDialog()->tellUsesOutlook(false);
            for (const QString &name : names) {
                QVERIFY2(!window->action(name)->isVisible(), qPrintable(name));
            }
            QVERIFY(!window->findChild<QPushButton *>(QStringLiteral("btngetoutlook"))->isVisible());
            QVERIFY(window->core().settingsStore()->SaveEntries(window->core().settings()));
        }
        ScriptedPrompt prompt;
        auto restarted = started(prompt);
        for (const QString &name : names) {
            QVERIFY2(restarted->action(name)->isVisible(), qPrintable(name));
        }
        QVERIFY(restarted->optionsDialog()->usesOutlook());
    }

    void hintsWrapAt370Pixels_data() {
        QTest::addColumn<QString>("hint");
        QTest::newRow("short") << "Displays Corvane Options";
        QTest::newRow("long") << QStringLiteral(
            "If this is checked then when the SMTP server encounters a bad domain the "
            "address is processed as a bounce immediately.  Otherwise it is not "
            "processed.");
        QTest::newRow("one long word") << QString(80, QLatin1Char('x')) + QStringLiteral(" end");
        QTest::newRow("line breaks kept") << "first line\nsecond line";
    }
    void hintsWrapAt370Pixels() {
        QFETCH(QString, hint);
        const QFontMetrics metrics(QApplication::font());
        const QString wrapped = ui::HintWrapper::wrap(hint, metrics);
        for (const QString &lineText : wrapped.split(QLatin1Char('\n'))) {
            if (lineText.contains(QLatin1Char(' '))) {
                QVERIFY2(metrics.horizontalAdvance(lineText) <= ui::HintWrapper::kMaxWidth, qPrintable(lineText));
            }
        }
        QCOMPARE(wrapped.split(QRegularExpression(QStringLiteral("\\s+"))),
                 hint.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts));
        QCOMPARE(wrapped.count(QLatin1Char('\n')) >= hint.count(QLatin1Char('\n')), true);
        if (metrics.horizontalAdvance(hint) > ui::HintWrapper::kMaxWidth && !hint.contains(QLatin1Char('\n'))) {
            QVERIFY(wrapped.contains(QLatin1Char('\n')));
        }
    }
};

QTEST_MAIN(TestOptionsWindow)
#include "tst_optionswindow.moc"
