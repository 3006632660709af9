// The send dialog and its two small dialogs on the offscreen platform, over a real list database: controls
// and captions, the enabling rules as the window shows them (the typed-recipients group, the rejects box, the
// preview tab, the staleness of the unique-recipient count), the field menu, Esc, the placement kept
// between runs, and the buttons of "Send Delay" and "Sending Error".
#include "TestDatabase.h"
#include "send/TdlgSendMail.h"
#include "send/ui/TdlgSendDelay.h"
#include "send/ui/TdlgSendError.h"
#include "send/ui/TdlgSendMail.h"
#include "settings/Settings.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

using namespace corvane;

class TestSendDialog : public QObject {
    Q_OBJECT

private:
    TestDatabase db;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<corvane::TdlgSendMail> core;
    std::unique_ptr<ui::TdlgSendMail> dialog;

    void open() {
        core = std::make_unique<corvane::TdlgSendMail>(*db.dm, *settings, *db.prompt, false);
        dialog = std::make_unique<ui::TdlgSendMail>(*core, *settings, *db.prompt);
        dialog->FormShow(QString(), false);
        dialog->show();
    }

    // What the window shows of the enabling rules, as one line.
    QString state() const {
        QString choice = QStringLiteral("all");
        if (dialog->rdbfilter->isChecked()) {
            choice = QStringLiteral("filter");
        } else if (dialog->rdbnotfilter->isChecked()) {
            choice = QStringLiteral("notfilter");
        } else if (dialog->rdbManual->isChecked()) {
            choice = QStringLiteral("manual");
        }
        return QStringLiteral("%1 group=%2 rejects=%3 preview=%4 tab=%5 stale=%6 count=%7")
            .arg(choice)
            .arg(dialog->grpManual->isVisible())
            .arg(dialog->memrejects->isEnabled() && dialog->lblrejects->isEnabled())
            .arg(dialog->pgcMessage->isTabVisible(1) && dialog->pgcMessage->currentIndex() == 1)
            .arg(dialog->pgcMessage->tabText(0))
            .arg(dialog->btnrecalc->isEnabled())
            .arg(dialog->lblcount->text().trimmed());
    }

private slots:
    void init() {
        db.setUp();
        settings = std::make_unique<Settings>();
        settings->EmailMethod = 3;
        for (const char *address : {"ann@x.org", "ANN@x.org", "bob@y.org"}) {
            db.table().appendRecord({QString::fromLatin1(address), QStringLiteral("News"), 0});
        }
        db.table().appendRecord({QStringLiteral("cy@z.org"), QStringLiteral("Other"), 0});
    }
    void cleanup() {
        if (dialog) {
            dialog->done(0);
        }
        dialog.reset();
        core.reset();
        db.tearDown();
    }

    void captions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("all") << "rdball"
                             << "Send to all mailing list entries";
        QTest::newRow("filter") << "rdbfilter"
                                << "Only send to users of the following List Category(s):";
        QTest::newRow("not filter") << "rdbnotfilter"
                                    << "Only send to users NOT of the following List Category(s):";
        QTest::newRow("manual") << "rdbManual"
                                << "Manually enter e-mail Addresses to send to";
        QTest::newRow("validity") << "chkvalidity"
                                  << "Ignore Invalid addresses";
        QTest::newRow("recalc") << "btnrecalc"
                                << "Calculate Unique Recipient Count";
        QTest::newRow("load recipients") << "btnLoadRecip"
                                         << "Load..";
        QTest::newRow("html") << "chkHTML"
                              << "Message is in HTML format";
        QTest::newRow("field") << "btnfield"
                               << "Field...";
        QTest::newRow("editor") << "btnEditor"
                                << "Editor..";
        QTest::newRow("attach") << "AttachButton"
                                << "&Attach File..";
        QTest::newRow("remove") << "btnRemove"
                                << "Remove File..";
        QTest::newRow("extra") << "btnAddRecip"
                               << "Add Extra Recipients to all Sent Messages..";
        QTest::newRow("send") << "Button2"
                              << "Send Message!";
        QTest::newRow("test") << "SendTest"
                              << "Send Test Message";
        QTest::newRow("cancel") << "BitBtn1"
                                << "Cancel";
    }
    void captions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        open();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Send message to your mailing list"));
        auto *control = dialog->findChild<QAbstractButton *>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        QCOMPARE(control->text(), caption);
        // The typed-recipients group shows only for the manual choice.
        QCOMPARE(control->isVisible(), !dialog->grpManual->isAncestorOf(control));
    }

    void enablingRules_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("expected");
        QTest::newRow("opened") << QStringList{}
                                << "all group=0 rejects=0 preview=0 tab=Message Body stale=1 count=4 Records";
        QTest::newRow("manual shows the typed recipients")
            << QStringList{"manual"} << "manual group=1 rejects=0 preview=0 tab=Message Body stale=1 count=4 Records";
        QTest::newRow("back to all hides them")
            << QStringList{"manual", "all"}
            << "all group=0 rejects=0 preview=0 tab=Message Body stale=1 count=4 Records";
        QTest::newRow("rejects follow Ignore Invalid")
            << QStringList{"manual", "validity"}
            << "manual group=1 rejects=1 preview=0 tab=Message Body stale=1 count=4 Records";
        QTest::newRow("rejects off again")
            << QStringList{"manual", "validity", "validity"}
            << "manual group=1 rejects=0 preview=0 tab=Message Body stale=1 count=4 Records";
        QTest::newRow("HTML shows the preview")
            << QStringList{"html"} << "all group=0 rejects=0 preview=1 tab=HTML Source stale=1 count=4 Records";
        QTest::newRow("HTML off hides it")
            << QStringList{"html", "html"}
            << "all group=0 rejects=0 preview=0 tab=Message Body stale=1 count=4 Records";
        QTest::newRow("computed list is not stale")
            << QStringList{"recalc"}
            << "all group=0 rejects=0 preview=0 tab=Message Body stale=0 count=3 Unique Recipients";
        QTest::newRow("typing a category chooses its button and makes the list stale")
            << QStringList{"recalc", "type filter"}
            << "filter group=0 rejects=0 preview=0 tab=Message Body stale=1 count=3 Records";
        QTest::newRow("excluded category")
            << QStringList{"type notfilter", "recalc"}
            << "notfilter group=0 rejects=0 preview=0 tab=Message Body stale=0 count=1 Unique Recipients";
        QTest::newRow("typed recipients computed")
            << QStringList{"manual", "type lines", "recalc"}
            << "manual group=1 rejects=0 preview=0 tab=Message Body stale=0 count=2 Unique Recipients";
        QTest::newRow("editing typed lines leaves the count")
            << QStringList{"manual", "type lines", "recalc", "type lines"}
            << "manual group=1 rejects=0 preview=0 tab=Message Body stale=0 count=2 Unique Recipients";
    }
    void enablingRules() {
        QFETCH(QStringList, steps);
        QFETCH(QString, expected);
        open();
        for (const QString &step : steps) {
            if (step == QLatin1String("manual")) {
                dialog->rdbManual->click();
            } else if (step == QLatin1String("all")) {
                dialog->rdball->click();
            } else if (step == QLatin1String("validity")) {
                dialog->chkvalidity->click();
            } else if (step == QLatin1String("html")) {
                dialog->chkHTML->click();
            } else if (step == QLatin1String("recalc")) {
                dialog->btnrecalc->click();
            } else if (step == QLatin1String("type filter")) {
                QTest::keyClicks(dialog->edtfilter, QStringLiteral("New"));
            } else if (step == QLatin1String("type notfilter")) {
                QTest::keyClicks(dialog->edtnotfilter, QStringLiteral("new"));
            } else if (step == QLatin1String("type lines")) {
                dialog->memCustom->insertPlainText(QStringLiteral("Dee <dee@x.org>\nEd@y.org\nDEE@x.org"));
            }
        }
        QCOMPARE(state(), expected);
    }

    void loadedMessageShowsItsPreview_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("html");
        QTest::newRow("HTML file in capitals") << "news.HTM" << true;
        QTest::newRow("text file") << "news.txt" << false;
    }
    void loadedMessageShowsItsPreview() {
        QFETCH(QString, fileName);
        QFETCH(bool, html);
        open();
        const QString path = db.tmp->filePath(fileName);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html><body><p>Weekly news</p></body></html>\r\n");
        file.close();
        dialog->loadMessage(path);
        QCOMPARE(dialog->edtMessageText->toPlainText(), QStringLiteral("<html><body><p>Weekly news</p></body></html>"));
        QCOMPARE(dialog->chkHTML->isChecked(), html);
        QCOMPARE(dialog->pgcMessage->isTabVisible(1), html);
        QCOMPARE(dialog->pgcMessage->currentIndex(), html ? 1 : 0);
        if (html) {
            const QString preview = core->previewFile;
            QVERIFY(QFileInfo::exists(preview));
            QCOMPARE(dialog->wbPreview->source(), QUrl::fromLocalFile(preview));
            QVERIFY(dialog->wbPreview->toPlainText().contains(QStringLiteral("Weekly news")));
            // Every refresh writes a new preview file and removes the one before.
            dialog->pgcMessageChange();
            QVERIFY(core->previewFile != preview);
            QVERIFY(!QFileInfo::exists(preview));
        }
    }

    void fieldMenu_data() {
        QTest::addColumn<int>("sendCount");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("sendCountAfter");
        QTest::newRow("one e-mail per recipient") << 1 << 0 << "Insert E-mail Field, %EMAIL%"
                                                  << "Dear %EMAIL%," << 1;
        QTest::newRow("batches, accepted") << 500 << int(UserPrompt::Yes) << "Insert Full Name Field, %FULL_NAME%"
                                           << "Dear %FULL_NAME%," << 1;
        QTest::newRow("batches, refused") << 500 << int(UserPrompt::No) << "Insert Date Field, %DATE%"
                                          << "Dear NAME," << 500;
    }
    void fieldMenu() {
        QFETCH(int, sendCount);
        QFETCH(int, answer);
        QFETCH(QString, item);
        QFETCH(QString, body);
        QFETCH(int, sendCountAfter);
        settings->SendCount = sendCount;
        open();
        dialog->btnrecalc->click();
        QTest::keyClicks(dialog->edtMessageText, QStringLiteral("Dear NAME,"));
        QTextCursor cursor = dialog->edtMessageText->textCursor();
        cursor.setPosition(5);
        cursor.setPosition(9, QTextCursor::KeepAnchor);
        dialog->edtMessageText->setTextCursor(cursor);
        if (answer != 0) {
            db.prompt->answer(UserPrompt::Button(answer));
        }
        const QStringList captions{"Insert Full Name Field, %FULL_NAME%", "Insert Salutation Field, %SALUTATION%",
                                   "Insert E-mail Field, %EMAIL%", "Insert Date Field, %DATE%",
                                   "Help with customisation of messages..."};
        QStringList shown;
        QAction *chosen = nullptr;
        for (QAction *action : dialog->popField->actions()) {
            if (!action->isSeparator()) {
                shown.append(action->text());
            }
            if (action->text() == item) {
                chosen = action;
            }
        }
        QCOMPARE(shown, captions);
        chosen->trigger();
        QCOMPARE(dialog->edtMessageText->toPlainText(), body);
        QCOMPARE(core->draft().body, body);
        QCOMPARE(settings->SendCount, sendCountAfter);
        // Inserting a field marks the message personalised, and so the recipient list stale.
        QVERIFY(dialog->chkDoAddSalutation->isChecked());
        QVERIFY(dialog->btnrecalc->isEnabled());
        if (body.contains(QLatin1Char('%'))) {
            QCOMPARE(QGuiApplication::clipboard()->text(), body.mid(5, body.size() - 6));
        }
    }

    void escapeAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("open");
        QTest::newRow("No stays") << int(UserPrompt::No) << true;
        QTest::newRow("Yes closes") << int(UserPrompt::Yes) << false;
    }
    void escapeAsks() {
        QFETCH(int, answer);
        QFETCH(bool, open);
        this->open();
        db.prompt->answer(UserPrompt::Button(answer));
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QCOMPARE(db.prompt->texts().last(), QStringLiteral("Are you sure that you want to close and leave this form?"));
        QCOMPARE(dialog->isVisible(), open);
    }

    void placementKeptBetweenRuns() {
        open();
        dialog->setGeometry(40, 50, 900, 760);
        const QRect placed = dialog->geometry();
        dialog->BitBtn1->click();
        QVERIFY(!dialog->isVisible());
        QVERIFY(db.prompt->cancelRequested());
        dialog.reset();
        core.reset();
        open();
        QCOMPARE(dialog->geometry(), placed);
    }

    void sendDelayButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("event");
        QTest::newRow("skip") << "btnSkip" << int(SendDelayPrompt::Event::Skip);
        QTest::newRow("skip all") << "btnSkipAll" << int(SendDelayPrompt::Event::SkipAll);
        QTest::newRow("cancel") << "btnCancel" << int(SendDelayPrompt::Event::Cancel);
        QTest::newRow("Esc counts as skip") << "" << int(SendDelayPrompt::Event::Skip);
        QTest::newRow("a second passes") << "tick" << int(SendDelayPrompt::Event::Tick);
    }
    void sendDelayButtons() {
        QFETCH(QString, button);
        QFETCH(int, event);
        ui::TdlgSendDelay delay;
        delay.openDelay(5);
        QCOMPARE(delay.lblseconds->text(), QStringLiteral("5"));
        QVERIFY(delay.isVisible());
        QCOMPARE(delay.tmrDelay.interval(), 1000);
        if (button != QLatin1String("tick")) {
            delay.tmrDelay.stop();
            QTimer::singleShot(10, &delay, [&] {
                if (button.isEmpty()) {
                    QTest::keyClick(&delay, Qt::Key_Escape);
                } else {
                    (button == QLatin1String("btnSkip")      ? delay.btnSkip
                     : button == QLatin1String("btnSkipAll") ? delay.btnSkipAll
                                                             : delay.btnCancel)
                        ->click();
                }
            });
        }
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(int(delay.waitEvent()), event);
        if (button == QLatin1String("tick")) {
            QVERIFY(waited.elapsed() >= 900);
        }
        delay.showRemaining(4);
        QCOMPARE(delay.lblseconds->text(), QStringLiteral("4"));
        delay.closeDelay();
        QVERIFY(!delay.isVisible());
        QVERIFY(!delay.tmrDelay.isActive());
    }

    void sendErrorAnswers_data() {
        QTest::addColumn<bool>("abort");
        QTest::addColumn<bool>("hide");
        QTest::newRow("OK") << false << false;
        QTest::newRow("OK, hide further errors") << false << true;
        QTest::newRow("Abort") << true << false;
    }
    void sendErrorAnswers() {
        QFETCH(bool, abort);
        QFETCH(bool, hide);
        ui::TdlgSendError error;
        QCOMPARE(error.windowTitle(), QStringLiteral("Sending Error"));
        QCOMPARE(error.lbltitle->text(), QStringLiteral("Send Error!"));
        QVERIFY(error.lbltitle->font().bold());
        QTimer::singleShot(10, &error, [&] {
            QCOMPARE(error.memerror->toPlainText(), QStringLiteral("SMTP Sendmail failed"));
            error.chkhide->setChecked(hide);
            (abort ? error.btnabort : error.btnok)->click();
        });
        const SendErrorPrompt::Answer answer = error.showSendError(QStringLiteral("SMTP Sendmail failed"));
        QCOMPARE(answer.abortPressed, abort);
        QCOMPARE(answer.hideFurther, hide);
    }
};

QTEST_MAIN(TestSendDialog)
#include "tst_senddialog.moc"
