// Damaged files repaired with every readable row kept, the repair and its progress on request, and the
// upgrade of the older list-table layouts 1.0 and 1.1 with every row kept.
#include "DbTestSupport.h"
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/DamageNote.h"
#include "db/EngineError.h"
#include "db/PageSalvage.h"
#include "db/TdmML.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {
using Rows = QMap<int, QVariantList>;

const QString LoadQuestionStart = QStringLiteral("An error was encountered trying to load your DB file: \r\n\r\n");
const QString LoadQuestionEnd =
    QStringLiteral("\r\n\r\nDo you want to attempt to perform a repair it?\r\n\r\nIf you are upgrading from an earlier "
                   "version of Corvane, please click 'Retry' to  upgrade it.");
const QString WaitMessage =
    QStringLiteral("This process may take several minutes on a large database, during which you will see nothing in "
                   "the taskbar.  Please wait until you are advised that the process is complete!  Do not run Corvane "
                   "again!");
const QString Question11 =
    QStringLiteral("You are about to upgrade your table to 1.1 Format.\r\n\r\nThis could cause all of the contents of "
                   "your mailing list database to be lost.  Are you sure you want to continue?\r\n\r\nIf you have not "
                   "backed up your database then click 'No'!");
const QString Question20 = QStringLiteral(
    "You are about to upgrade your table to 2.0 Format.\r\n\r\n  This could cause all of the contents of "
    "your mailing list database to be lost.  Are you sure you want to continue?\r\n\r\nIf you have not "
    "backed up your database then click 'No'!");

// Every row of the open list table by Index.
Rows readRows(SqliteTable &table) {
    Rows rows;
    for (table.first(); !table.eof(); table.next()) {
        rows.insert(table.integer(QStringLiteral("Index")), table.currentRow().values);
    }
    return rows;
}

// Overwrites `length` bytes of `file` at `offset` with a pattern that is no valid page.
void scribble(const QString &file, qint64 offset, qint64 length) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(offset));
    QVERIFY(f.write(QByteArray(length, char(0xAB))) == length);
}
} // namespace

class TestDbRepair : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_work;

    QString dir() const { return m_work->path() + QStringLiteral("/db/"); }
    QString listFile() const { return dir() + QStringLiteral("mailist.DAT"); }

    // A database of `count` entries with every field set, flushed and closed; returns its rows.
    Rows makeDatabase(int count) {
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        prompt.answer(UserPrompt::Yes);
        dm.OpenDatabase(dir());
        SqliteTable &table = dm.tblML();
        table.lockTable();
        for (int i = 0; i < count; ++i) {
            table.appendRecord({QStringLiteral("member%1@example.com").arg(i), QStringLiteral("list%1").arg(i % 7),
                                i % 5, QStringLiteral("comment %1").arg(i), QStringLiteral("Name %1").arg(i),
                                QStringLiteral("N%1").arg(i), i % 3 == 0});
        }
        table.unlockTable();
        dm.tblStats().appendRecord({QDate(2024, 1, 2), 3, 1, 4, QStringLiteral("busy day")});
        const Rows rows = readRows(table);
        dm.CloseDatabase();
        return rows;
    }

    // Page numbers and cell counts of the pages of `name` of type `type` in the list file, in file order.
    QList<QVariantList> pages(const QString &name, const QString &type) const {
        return rawQueryRows(listFile(), QStringLiteral("SELECT pageno, ncell FROM dbstat WHERE name = '%1' AND "
                                                       "pagetype = '%2' ORDER BY pageno")
                                            .arg(name, type));
    }

    // A copy of a database of 1000 entries taken while it was open exclusively with three rows added and
    // one changed since the last flush (so those live only in the WAL), with the copy's header destroyed.
    QString crashCopy() {
        makeDatabase(1000);
        const QString copy = m_work->path() + QStringLiteral("/copy/");
        QDir().mkpath(copy);
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.OpenDatabase(dir());
        appendEntries(dm.tblML(), {"late1@x", "late2@x", "late3@x"});
        dm.tblML().first();
        dm.tblML().setField(QStringLiteral("Comments"), QStringLiteral("changed late"));
        dm.tblML().post();
        if (QFileInfo(listFile() + QStringLiteral("-wal")).size() == 0) {
            qFatal("the changes did not stay in the WAL");
        }
        for (const QString name : {"mailist.DAT", "mailist.DAT-wal", "mailstat.DAT"}) {
            QFile::copy(dir() + name, copy + name);
        }
        scribble(copy + QStringLiteral("mailist.DAT"), 0, 100);
        return copy;
    }

private slots:
    void initTestCase() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path()); }
    void init() {
        m_work = std::make_unique<QTemporaryDir>();
        QDir().mkpath(dir());
        AppPaths::setApplicationDirectory(m_work->path());
    }
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }

    // Damage to the header or the file's length is found when the database is opened; damage inside is
    // found when the damaged pages are read, and noted, so that the next opening checks the whole file. The
    // file is then repaired without a question, and the repair is reported with the number of entries
    // recovered and the damaged copy's name; every row outside the destroyed pages comes back unchanged.
    void damagedFileRepairedOnOpening_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("foundByReading");
        QTest::newRow("header destroyed") << "header" << false;
        QTest::newRow("first page destroyed") << "page one" << false;
        QTest::newRow("three table pages destroyed") << "leaves" << true;
        QTest::newRow("inner table page destroyed") << "interior" << false;
        QTest::newRow("index pages destroyed") << "index" << true;
        QTest::newRow("end of the file cut off") << "truncated" << false;
    }
    void damagedFileRepairedOnOpening() {
        QFETCH(QString, damage);
        QFETCH(bool, foundByReading);
        const Rows original = makeDatabase(3000);
        const QList<QVariantList> leaves = pages(QStringLiteral("tblML"), QStringLiteral("leaf"));
        QVERIFY(leaves.size() > 20);
        const auto lose = [&](const QVariantList &page) {
            scribble(listFile(), (page.at(0).toLongLong() - 1) * 4096, 4096);
        };
        qint64 expectedLost = 0;
        if (damage == QLatin1String("header")) {
            scribble(listFile(), 0, 100);
        } else if (damage == QLatin1String("page one")) {
            scribble(listFile(), 0, 4096);
        } else if (damage == QLatin1String("leaves")) {
            for (const int at : {5, 6, 20}) {
                expectedLost += leaves.at(at).at(1).toLongLong();
                lose(leaves.at(at));
            }
        } else if (damage == QLatin1String("interior")) {
            const QList<QVariantList> inner = pages(QStringLiteral("tblML"), QStringLiteral("internal"));
            QVERIFY(!inner.isEmpty());
            lose(inner.first());
        } else if (damage == QLatin1String("index")) {
            const QList<QVariantList> index = pages(QStringLiteral("ByItem"), QStringLiteral("leaf"));
            lose(index.at(2));
            lose(index.at(3));
        } else {
            const qint64 cut = QFileInfo(listFile()).size() * 6 / 10 / 4096;
            for (const QVariantList &page : leaves) {
                expectedLost += page.at(0).toLongLong() > cut ? page.at(1).toLongLong() : 0;
            }
            QVERIFY(QFile::resize(listFile(), cut * 4096));
        }
        if (foundByReading) {
            ScriptedPrompt unaware;
            TdmML dm(unaware);
            dm.OpenDatabase(dir());
            QVERIFY(dm.DatabaseLoaded());
            QVERIFY(unaware.shown.isEmpty());
            int code = 0;
            try {
                readRows(dm.tblML());
            } catch (const CorvaneError &error) {
                code = error.code();
            }
            QVERIFY2(EngineError::isDamage(code), qPrintable(QString::number(code)));
            QVERIFY(DamageNote::noted(listFile()));
            dm.CloseDatabase();
        }

        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.OpenDatabase(dir());
        QVERIFY(dm.DatabaseLoaded());
        QCOMPARE(prompt.progress.first(), QStringLiteral("0|Repairing table"));
        QVERIFY(!prompt.progressVisible);
        QVERIFY(QFile::exists(listFile() + QStringLiteral(".damaged-1")));
        QVERIFY(!DamageNote::noted(listFile()));

        const Rows repaired = readRows(dm.tblML());
        QCOMPARE(repaired.size(), original.size() - expectedLost);
        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(prompt.shown.first().kind, UserPrompt::Kind::Information);
        const QString report = prompt.shown.first().text;
        QVERIFY2(report.contains(QStringLiteral(" %1 entries ").arg(repaired.size())), qPrintable(report));
        QVERIFY2(report.endsWith(QStringLiteral(" kept as %1.damaged-1.").arg(listFile())), qPrintable(report));
        for (auto it = repaired.cbegin(); it != repaired.cend(); ++it) {
            QCOMPARE(it.value(), original.value(it.key()));
        }
        // Keys are never handed out twice, even when the highest rows were lost.
        dm.tblML().appendRecord({QStringLiteral("new@x")});
        QCOMPARE(dm.tblML().integer(QStringLiteral("Index")), 3001);
        QCOMPARE(dm.tblStats().recordCount(), qint64(1));
    }

    // Rows that only reached the WAL before a crash are kept when the file header is gone (SQLite moves the
    // committed frames into the file when the failed connection closes).
    void rowsOnlyInTheWalSurvive() {
        const QString copy = crashCopy();
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.OpenDatabase(copy);
        QVERIFY(dm.DatabaseLoaded());
        QCOMPARE(dm.tblML().recordCount(), qint64(1003));
        QVERIFY(dm.tblML().locate(QStringLiteral("Item"), QStringLiteral("late3@x")));
        dm.tblML().first();
        QCOMPARE(dm.tblML().text(QStringLiteral("Comments")), QStringLiteral("changed late"));
    }

    // The page search itself lays the WAL's committed frames over the file's pages.
    void pageSearchReadsTheWal() {
        const QString copy = crashCopy();
        QMap<qint64, QVariantList> found;
        const qint64 count = PageSalvage::scan(copy + QStringLiteral("mailist.DAT"), TableSchema::listTable(),
                                               [&](const TableRow &row) { found.insert(row.rowid, row.values); }, {});
        QCOMPARE(count, qint64(1003));
        QCOMPARE(found.size(), 1003);
        QCOMPARE(found.value(1003).at(1).toString(), QStringLiteral("late3@x"));
        QCOMPARE(found.value(1001).at(4).toString(), QStringLiteral("changed late"));
        QCOMPARE(found.value(1).at(4).toString(), QStringLiteral("comment 0"));
    }

    void repairOnRequest_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Yes repairs") << true;
        QTest::newRow("No does nothing") << false;
    }
    void repairOnRequest() {
        QFETCH(bool, confirm);
        const Rows original = makeDatabase(200);
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.OpenDatabase(dir());
        prompt.answer(confirm ? UserPrompt::Yes : UserPrompt::No);
        dm.RepairDatabase(true);
        QStringList expected{QStringLiteral("Do you want to repair your database to fix any corruption caused by an "
                                            "incomplete system shutdown?")};
        if (confirm) {
            expected.append(QStringLiteral("Repair of your database has been completed!\r\n\r\n%1 has been rebuilt: "
                                           "all of its 200 entries could be read. The file as it was before has "
                                           "been kept as %1.damaged-1.\r\n%2 has been rebuilt: all of its 1 day of "
                                           "statistics could be read. The file as it was before has been kept as "
                                           "%2.damaged-1.")
                                .arg(listFile(), dir() + QStringLiteral("mailstat.DAT")));
        }
        QCOMPARE(prompt.texts(), expected);
        QCOMPARE(prompt.shown.first().kind, UserPrompt::Kind::Confirmation);
        QVERIFY(dm.tblML().isOpen());
        QCOMPARE(readRows(dm.tblML()), original);
        QCOMPARE(QFile::exists(listFile() + QStringLiteral(".damaged-1")), confirm);
        if (confirm) {
            // A second repair keeps the first copy and numbers its own.
            dm.RepairDatabase(false);
            QVERIFY(prompt.shown.last().text.endsWith(QStringLiteral("mailstat.DAT.damaged-2.")));
            QVERIFY(QFile::exists(listFile() + QStringLiteral(".damaged-1")));
            QVERIFY(QFile::exists(listFile() + QStringLiteral(".damaged-2")));
            prompt.progress =
                prompt.progress.mid(0, prompt.progress.indexOf(QStringLiteral("100|Repairing Database")) + 1);
            // The list table fills the first half of the gauge, the statistics table the second.
            QCOMPARE(prompt.progress.first(), QStringLiteral("0|Repairing Database"));
            QVERIFY(prompt.progress.contains(QStringLiteral("40|Repairing Database")));
            QVERIFY(prompt.progress.contains(QStringLiteral("90|Repairing Database")));
            QCOMPARE(prompt.progress.last(), QStringLiteral("100|Repairing Database"));
            QVERIFY(!prompt.progressVisible);
        }
        QCOMPARE(prompt.busyDepth, 0);
    }

    // Yes to the load question repairs, then opens again.
    void repairAnsweredToTheLoadQuestion_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("afterQuestion");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("empty file becomes an empty table")
            << "" << QStringList{"Repair of your database has been completed!"} << true;
        // The repair fails and changes nothing, so the question is not asked again.
        QTest::newRow("an unknown layout is not repaired away")
            << "CREATE TABLE tblML (Foo TEXT); INSERT INTO tblML VALUES ('keep me');"
            << QStringList{"An error was encountered whilst repairing your database!", "Your mailing list database in "}
            << false;
    }
    void repairAnsweredToTheLoadQuestion() {
        QFETCH(QString, setup);
        QFETCH(QStringList, afterQuestion);
        QFETCH(bool, loaded);
        QFile(listFile()).open(QIODevice::WriteOnly);
        if (!setup.isEmpty()) {
            QCOMPARE(rawExec(listFile(), setup), SQLITE_OK);
        }
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        // Yes to the question, then No to the question should it come again.
        prompt.answer(UserPrompt::Yes);
        prompt.answer(UserPrompt::No);
        dm.OpenDatabase(dir());
        QStringList texts = prompt.texts();
        QVERIFY(texts.first().startsWith(LoadQuestionStart));
        QVERIFY(texts.first().endsWith(LoadQuestionEnd));
        const QString question = texts.first();
        for (QString &text : texts) {
            if (text == question) {
                text = QStringLiteral("<question>");
            }
        }
        QCOMPARE(texts.size(), afterQuestion.size() + 1);
        for (int i = 0; i < afterQuestion.size(); ++i) {
            QVERIFY2(texts.at(i + 1).startsWith(afterQuestion.at(i)), qPrintable(texts.at(i + 1)));
        }
        QCOMPARE(dm.DatabaseLoaded(), loaded);
        QCOMPARE(dm.openFailed(), !loaded);
        if (!setup.isEmpty()) {
            const QList<QVariantList> kept{{QStringLiteral("keep me")}};
            QCOMPARE(rawQueryRows(listFile(), QStringLiteral("SELECT Foo FROM tblML")), kept);
        }
    }

    void upgrade_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QVariantList>("indexes"); // Index of each row afterwards, in stored order
        QString v10 = QStringLiteral("CREATE TABLE tblML (Item TEXT, Category TEXT, Bounces INTEGER, Comments TEXT);"
                                     "CREATE INDEX ByCategory ON tblML (Category COLLATE NOCASE);"
                                     "CREATE INDEX ByBounce ON tblML (Bounces);"
                                     "CREATE INDEX ByItem ON tblML (Item COLLATE NOCASE);");
        QString v11 = QStringLiteral("CREATE TABLE tblML (\"Index\" INTEGER PRIMARY KEY AUTOINCREMENT, Item TEXT, "
                                     "Category TEXT, Bounces INTEGER, Comments TEXT);");
        QString v11loose = QStringLiteral("CREATE TABLE tblML (\"Index\" INTEGER, Item TEXT, Category TEXT, Bounces "
                                          "INTEGER, Comments TEXT);");
        QVariantList sequential;
        QVariantList kept;
        for (int i = 0; i < 400; ++i) {
            v10 +=
                QStringLiteral("INSERT INTO tblML VALUES ('m%1@x', 'list%2', %3, 'c%1');").arg(i).arg(i % 3).arg(i % 4);
            v11 += QStringLiteral("INSERT INTO tblML VALUES (%4, 'm%1@x', 'list%2', %3, 'c%1');")
                       .arg(i)
                       .arg(i % 3)
                       .arg(i % 4)
                       .arg(i * 3 + 7);
            sequential.append(i + 1);
            kept.append(i * 3 + 7);
        }
        v11loose += QStringLiteral("INSERT INTO tblML VALUES (5, 'a@x', 'l', 1, 'c'), (5, 'b@x', 'l', 2, 'c'), "
                                   "(NULL, 'c@x', 'l', 3, 'c'), (9, 'd@x', 'l', 4, 'c');");
        QTest::newRow("layout 1.0") << v10 << sequential;
        QTest::newRow("layout 1.1") << v11 << kept;
        QTest::newRow("layout 1.1 with repeated and missing keys") << v11loose << QVariantList{5, 6, 7, 9};
    }
    void upgrade() {
        QFETCH(QString, setup);
        QFETCH(QVariantList, indexes);
        QFile(listFile()).open(QIODevice::WriteOnly);
        QCOMPARE(rawExec(listFile(), setup), SQLITE_OK);
        QStringList before;
        for (const QVariantList &row :
             rawQueryRows(listFile(), QStringLiteral("SELECT Item, Category, Bounces, Comments "
                                                     "FROM tblML"))) {
            before.append(
                QStringLiteral("%1|%2|%3|%4")
                    .arg(row.at(0).toString(), row.at(1).toString(), row.at(2).toString(), row.at(3).toString()));
        }

        ScriptedPrompt prompt;
        TdmML dm(prompt);
        for (const auto answer : {UserPrompt::Retry, UserPrompt::Yes, UserPrompt::Yes}) {
            prompt.answer(answer);
        }
        dm.OpenDatabase(dir());
        QStringList texts = prompt.texts();
        QVERIFY(texts.first().startsWith(LoadQuestionStart));
        QCOMPARE(texts.mid(1), QStringList({Question11, WaitMessage, QStringLiteral("Table Upgraded to v1.1!"),
                                            Question20, WaitMessage, QStringLiteral("Table Upgraded!")}));
        QCOMPARE(prompt.shown.at(1).kind, UserPrompt::Kind::Warning);
        QCOMPARE(prompt.shown.at(1).buttons, UserPrompt::Yes | UserPrompt::No);
        QVERIFY(dm.DatabaseLoaded());

        SqliteTable &table = dm.tblML();
        table.setIndexFieldNames(QString());
        QCOMPARE(table.recordCount(), qint64(before.size()));
        QVariantList seenIndexes;
        QStringList after;
        for (table.first(); !table.eof(); table.next()) {
            seenIndexes.append(table.field(QStringLiteral("Index")));
            after.append(QStringLiteral("%1|%2|%3|%4")
                             .arg(table.text(QStringLiteral("Item")), table.text(QStringLiteral("Category")))
                             .arg(table.integer(QStringLiteral("Bounces")))
                             .arg(table.text(QStringLiteral("Comments"))));
            QCOMPARE(table.text(QStringLiteral("Name")), QString());
            QCOMPARE(table.text(QStringLiteral("Salutation")), QString());
            QVERIFY(table.boolean(QStringLiteral("SendRights")));
        }
        std::sort(indexes.begin(), indexes.end(),
                  [](const QVariant &a, const QVariant &b) { return a.toInt() < b.toInt(); });
        QCOMPARE(seenIndexes, indexes);
        before.sort();
        after.sort();
        QCOMPARE(after, before);
        // The upgraded table works with its case-insensitive indexes.
        table.setIndexFieldNames(QStringLiteral("Item"));
        QCOMPARE(table.locate(QStringLiteral("Item"), QStringLiteral("M1@X")), before.size() == 400);
    }

    void upgradeDeclinedChangesNothing() {
        QFile(listFile()).open(QIODevice::WriteOnly);
        QCOMPARE(rawExec(listFile(), QStringLiteral("CREATE TABLE tblML (Item TEXT, Category TEXT, Bounces INTEGER, "
                                                    "Comments TEXT); INSERT INTO tblML VALUES ('a@x', 'l', 0, '');")),
                 SQLITE_OK);
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        for (const auto answer : {UserPrompt::Retry, UserPrompt::No, UserPrompt::No, UserPrompt::No}) {
            prompt.answer(answer);
        }
        dm.OpenDatabase(dir());
        const QStringList texts = prompt.texts();
        QCOMPARE(texts.size(), 4);
        QCOMPARE(texts.mid(1, 2), QStringList({Question11, Question20}));
        // The question would come back unchanged: the module stops instead.
        QVERIFY(texts.at(3).startsWith(QStringLiteral("Your mailing list database in ") + dir() +
                                       QStringLiteral(" still cannot be opened:\r\n\r\nThe table tblML in ")));
        QVERIFY(dm.openFailed());
        QVERIFY(!dm.DatabaseLoaded());
        const QList<QVariantList> kept{{qint64(1), QStringLiteral("a@x")}};
        QCOMPARE(rawQueryRows(listFile(), QStringLiteral("SELECT count(*), min(Item) FROM tblML")), kept);
    }
};

QTEST_GUILESS_MAIN(TestDbRepair)
#include "tst_dbrepair.moc"
