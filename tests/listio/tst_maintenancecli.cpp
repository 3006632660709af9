// corvane-cli's merge and reset-bounces commands, called as the dispatcher calls them, on a headless main
// window with a real database and scripted answers; and the address update, which needs the window's rules.
#include "ScriptedPrompt.h"
#include "app/Tfrmmain.h"
#include "base/AppPaths.h"
#include "cli/CliContext.h"
#include "cli/CliMaintenanceCommands.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "listio/ListMaintenance.h"
#include "requests/AddressChangeAsker.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

namespace {
// Records what the address-change prompt was shown and answers with `answer` as the new address.
class RecordingAsker : public AddressChangeAsker {
public:
    bool ask(QString &oldAddress, QString &newAddress, bool showIgnoreBox, bool &ignoreAllRules) override {
        shown.append(oldAddress + QLatin1Char('|') + newAddress + QLatin1Char('|') +
                     (showIgnoreBox ? QLatin1Char('1') : QLatin1Char('0')));
        newAddress = answer;
        ignoreAllRules = false;
        return true;
    }
    QString answer;
    QStringList shown;
};
} // namespace

class TestMaintenanceCli : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<Tfrmmain> m_main;
    QStringList m_out;
    QStringList m_err;
    bool m_settingsChanged = false;
    bool m_errorsChanged = false;

    CliContext context() {
        return CliContext{*m_main,
                          *m_prompt,
                          [this](const QString &line) { m_out.append(line); },
                          [this](const QString &line) { m_err.append(line); },
                          m_settingsChanged,
                          m_errorsChanged};
    }

    // Every entry as "item|category|bounces", in insertion order.
    QStringList rows() {
        SqliteTable &table = m_main->dataModule()->tblML();
        table.setIndexFieldNames(QString());
        QStringList out;
        for (table.first(); !table.eof(); table.next()) {
            out.append(table.text(QStringLiteral("Item")) + QLatin1Char('|') + table.text(QStringLiteral("Category")) +
                       QLatin1Char('|') + table.text(QStringLiteral("Bounces")));
        }
        return out;
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_tmp->filePath(QStringLiteral("config")));
        AppPaths::setApplicationDirectory(m_tmp->filePath(QStringLiteral("app")) + QLatin1Char('/'));
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_main = std::make_unique<Tfrmmain>(*m_prompt);
        m_main->FormCreate({});
        m_prompt->answer(UserPrompt::Yes);
        m_main->createDataModule();
        QVERIFY(m_main->dataModule()->DatabaseLoaded());
        m_prompt->shown.clear();
        SqliteTable &table = m_main->dataModule()->tblML();
        table.appendRecord({QStringLiteral("x@e.org"), QStringLiteral("Friends"), 3});
        table.appendRecord({QStringLiteral("x@e.org"), QStringLiteral("Default"), 4});
        table.appendRecord({QStringLiteral("y@e.org"), QStringLiteral("Work"), 5});
        m_out.clear();
        m_err.clear();
    }
    void cleanup() {
        m_main->FormDestroy();
        m_main.reset();
        m_prompt.reset();
        AppPaths::setApplicationDirectory(QString());
        m_tmp.reset();
    }

    void merge_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("expected");
        const QStringList merged{"x@e.org|Default|4", "y@e.org|Default|5"};
        const QStringList unchanged{"x@e.org|Friends|3", "x@e.org|Default|4", "y@e.org|Work|5"};
        QTest::newRow("questions answered")
            << QStringList{} << QList<int>{int(UserPrompt::Ok), int(UserPrompt::Yes)} << 0 << merged;
        QTest::newRow("--yes asks nothing") << QStringList{"--yes"} << QList<int>{} << 0 << merged;
        QTest::newRow("declined") << QStringList{} << QList<int>{int(UserPrompt::Ok), int(UserPrompt::No)} << 1
                                  << unchanged;
        QTest::newRow("unexpected argument") << QStringList{"--all"} << QList<int>{} << 2 << unchanged;
    }
    void merge() {
        QFETCH(QStringList, arguments);
        QFETCH(QList<int>, answers);
        QFETCH(int, status);
        QFETCH(QStringList, expected);
        for (const int answer : answers) {
            m_prompt->answer(static_cast<UserPrompt::Button>(answer));
        }
        CliContext ctx = context();
        QCOMPARE(CliMaintenanceCommands::merge(ctx, arguments), status);
        QCOMPARE(rows(), expected);
        QVERIFY(m_prompt->allAnswersUsed());
        QCOMPARE(m_prompt->shown.size(), answers.size());
        if (status == 0) {
            QCOMPARE(m_out, (QStringList{"Entries before: 3", "Duplicates removed: 1", "Entries after: 2"}));
            QVERIFY(m_err.isEmpty());
        } else {
            QCOMPARE(m_err.size(), 1);
        }
    }

    void resetBounces_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("bounces");
        QTest::newRow("plain") << QStringList{} << 0 << "000";
        QTest::newRow("unexpected argument") << QStringList{"x"} << 2 << "345";
    }
    void resetBounces() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, bounces);
        CliContext ctx = context();
        QCOMPARE(CliMaintenanceCommands::resetBounces(ctx, arguments), status);
        QString counts;
        for (const QString &row : rows()) {
            counts += row.section(QLatin1Char('|'), 2);
        }
        QCOMPARE(counts, bounces);
    }

    void updateAddressChangesEveryEntryOfTheFocusedAddress() {
        ListMaintenance maintenance(*m_main->dataModule(), m_main->settings(), *m_prompt);
        SqliteTable &table = m_main->dataModule()->tblML();
        QVERIFY(table.locate(QStringLiteral("Category"), QStringLiteral("Default")));
        const int focused = table.integer(QStringLiteral("Index"));
        RecordingAsker asker;
        asker.answer = QStringLiteral("new@e.org");
        QVERIFY(maintenance.UpdateEmailAddress(m_main->rules(), asker, focused));
        QCOMPARE(asker.shown, QStringList{QStringLiteral("x@e.org||0")});
        QCOMPARE(rows(), (QStringList{"new@e.org|Friends|3", "new@e.org|Default|4", "y@e.org|Work|5"}));
        // An entry that is gone: a beep, no prompt.
        QVERIFY(!maintenance.UpdateEmailAddress(m_main->rules(), asker, focused + 100));
        QCOMPARE(m_prompt->beeps, 1);
        QCOMPARE(asker.shown.size(), 1);
    }

    void noDatabaseFails() {
        m_main->dataModule()->CloseDatabase();
        CliContext ctx = context();
        QCOMPARE(CliMaintenanceCommands::merge(ctx, {QStringLiteral("--yes")}), 1);
        QCOMPARE(CliMaintenanceCommands::resetBounces(ctx, {}), 1);
        QCOMPARE(m_err, (QStringList{"no mailing list database is open", "no mailing list database is open"}));
    }
};

QTEST_GUILESS_MAIN(TestMaintenanceCli)
#include "tst_maintenancecli.moc"
