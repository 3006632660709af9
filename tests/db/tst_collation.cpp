// Letter case beyond ASCII in the list database: the collation folds exactly as the in-memory comparisons
// do, category prefix filters find every letter case and use the index, lookups and the recipient table's
// unique key ignore letter case of every letter, and files declared with SQLite's NOCASE are rebuilt with
// every row kept, also when the rebuild is killed half-way.
#include "DbTestSupport.h"
#include "base/LetterCase.h"
#include "db/SqliteStatement.h"
#include "db/TableLayout.h"
#include "db/TableQuery.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace corvane;
using namespace corvane::test;

namespace {
int sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

int utf8Compare(const QString &a, const QString &b) {
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    return LetterCase::compareUtf8(x.constData(), x.size(), y.constData(), y.size());
}

// The list table's SQL as files written before Corvane's own collation declared it.
QString nocaseSchema() {
    const TableSchema &schema = TableSchema::listTable();
    QString sql = schema.createTableSql() + QLatin1Char(';') + schema.createIndexesSql();
    return sql.replace(QLatin1String(SqliteDatabase::CaseCollation), QStringLiteral("NOCASE"));
}
} // namespace

class TestCollation : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString file() const { return m_dir->filePath(QStringLiteral("mailist.DAT")); }

    // A fresh list file holding one entry per category.
    void makeList(SqliteTable &table, const QStringList &categories) {
        QFile(file()).remove();
        SqliteDatabase db;
        db.open(file(), SqliteDatabase::Access::Shared, true);
        db.exec(TableSchema::listTable().createTableSql() + QLatin1Char(';') +
                TableSchema::listTable().createIndexesSql());
        db.close();
        table.open(file(), SqliteDatabase::Access::Shared);
        for (int i = 0; i < categories.size(); ++i) {
            table.appendRecord({QStringLiteral("m%1@x").arg(i), categories.at(i)});
        }
    }

    // A NOCASE file of `count` entries whose auto-increment counter stands at count + 10.
    void makeNocaseFile(int count) {
        QFile(file()).open(QIODevice::WriteOnly);
        QString sql = QStringLiteral("BEGIN;") + nocaseSchema();
        sql += QStringLiteral("INSERT INTO tblML (\"Index\", Item) VALUES (%1, 'gone@x');").arg(count + 10);
        sql += QStringLiteral("DELETE FROM tblML;");
        sql += QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                              "INSERT INTO tblML (\"Index\", Item, Category, Comments) SELECT i, 'member' || i || "
                              "'@x', CASE i % 2 WHEN 0 THEN 'Übung' ELSE 'übung' END, 'c' || i FROM n;")
                   .arg(count);
        QCOMPARE(rawExec(file(), sql + QStringLiteral("COMMIT;")), SQLITE_OK);
    }

    static QString tableSql(const QString &file) {
        const QList<QVariantList> rows =
            rawQueryRows(file, QStringLiteral("SELECT group_concat(sql, ';') FROM sqlite_schema WHERE tbl_name = "
                                              "'tblML'"));
        return rows.isEmpty() ? QString() : rows.first().first().toString();
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void sameAsInMemory_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("umlaut") << "Übung"
                                << "übung" << true;
        QTest::newRow("accents") << "ÉTÉ"
                                 << "été" << true;
        QTest::newRow("sharp s is not folded to ss") << "straße"
                                                     << "STRASSE" << false;
        QTest::newRow("final sigma") << "ΣΟΦΟΣ"
                                     << "σοφος" << true;
        QTest::newRow("outside the BMP") << QString::fromUcs4(U"\U00010400x") << QString::fromUcs4(U"\U00010428X")
                                         << true;
        QTest::newRow("prefix") << "übung"
                                << "Übungen" << false;
    }
    void sameAsInMemory() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(QString::compare(a, b, Qt::CaseInsensitive) == 0, same);
        QCOMPARE(LetterCase::same(a, b), same);
        QCOMPARE(sign(utf8Compare(a, b)), sign(LetterCase::compare(a, b)));
    }

    // Every character, its upper and its lower case: equal to the collation exactly when equal to
    // QString::compare(..., Qt::CaseInsensitive); folding twice changes nothing; UTF-8 orders as UTF-16.
    void everyCharacterAsInMemory() {
        QStringList mismatches;
        for (char32_t c = 1; c <= 0x10FFFF && mismatches.size() < 5; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) {
                continue;
            }
            const QString text = QString::fromUcs4(&c, 1);
            for (const QString &other : {text.toUpper(), text.toLower(), QString(QChar(u'k'))}) {
                if (LetterCase::same(text, other) != (QString::compare(text, other, Qt::CaseInsensitive) == 0) ||
                    sign(utf8Compare(text, other)) != sign(LetterCase::compare(text, other))) {
                    mismatches.append(QString::number(c, 16));
                }
            }
            if (LetterCase::fold(LetterCase::fold(c)) != LetterCase::fold(c)) {
                mismatches.append(QStringLiteral("fold ") + QString::number(c, 16));
            }
        }
        QCOMPARE(mismatches, QStringList());
    }

    void prefixFilter_data() {
        QTest::addColumn<bool>("include");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("umlaut") << true << "übung" << QStringList{"ÜBUNG-2", "Übung", "übungen"};
        QTest::newRow("two prefixes") << true << "übung, ete" << QStringList{"Ete", "ÜBUNG-2", "Übung", "übungen"};
        QTest::newRow("excluded") << false << "übung,été"
                                  << QStringList{"%off", "50%", "Ete", "Ubung", "x@a", "x^", "xa"};
        // The range ends at the next character that is its own folded form: "x@" ends before "x[", not at
        // "xA", which folds to "xa".
        QTest::newRow("end skips capitals") << true << "x@" << QStringList{"x@a"};
        QTest::newRow("wildcards are letters") << true << "%" << QStringList{"%off"};
    }
    void prefixFilter() {
        QFETCH(bool, include);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        SqliteTable table(TableSchema::listTable());
        makeList(table,
                 {"Übung", "übungen", "Ubung", "ÜBUNG-2", "Été", "été 2024", "Ete", "x@a", "xa", "x^", "%off", "50%"});
        table.setFilter(
            TableFilter::categories(include ? TableFilter::Mode::Include : TableFilter::Mode::Exclude, text));
        table.setFiltered(true);
        QStringList found = walkText(table, QStringLiteral("Category"));
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
        QCOMPARE(table.recordCount(), qint64(expected.size()));
    }

    void prefixFilterUsesTheIndex_data() {
        QTest::addColumn<QString>("order");
        QTest::newRow("count") << QString();
        QTest::newRow("walk in category order") << "Category";
    }
    void prefixFilterUsesTheIndex() {
        QFETCH(QString, order);
        SqliteTable table(TableSchema::listTable());
        makeList(table, {"Übung", "Sport"});
        const TableFilter filter = TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("übung, sp"));
        const TableQuery query(TableSchema::listTable(), order.isEmpty() ? QList<int>{} : QList<int>{2}, filter);
        SqliteStatement plan(table.database().handle(),
                             QStringLiteral("EXPLAIN QUERY PLAN ") + (order.isEmpty() ? query.count() : query.walk()));
        query.bindFilter(plan);
        QStringList details;
        while (plan.step()) {
            details.append(plan.columnText(3));
        }
        QVERIFY2(details.join(QLatin1Char('\n')).contains(QStringLiteral("USING COVERING INDEX ByCategory")) ||
                     details.join(QLatin1Char('\n')).contains(QStringLiteral("USING INDEX ByCategory")),
                 qPrintable(details.join(QLatin1Char('\n'))));
        QVERIFY(!details.join(QLatin1Char('\n')).contains(QStringLiteral("SCAN tblML")));
    }

    // One address in two letter cases of one category is one entry; the recipient table refuses it twice.
    void lookupsIgnoreEveryLetterCase() {
        SqliteTable table(TableSchema::listTable());
        makeList(table, {"Übung", "Été"});
        table.appendRecord({QStringLiteral("jürgen@x"), QStringLiteral("übung")});
        QVERIFY(table.locate(QStringLiteral("Item;Category"), {QStringLiteral("JÜRGEN@X"), QStringLiteral("ÜBUNG")}));
        QCOMPARE(table.text(QStringLiteral("Item")), QStringLiteral("jürgen@x"));
        QVERIFY(table.locate(QStringLiteral("Category"), QStringLiteral("été")));
        QCOMPARE(table.text(QStringLiteral("Item")), QStringLiteral("m1@x"));
        QVERIFY(!table.locate(QStringLiteral("Category"), QStringLiteral("ete")));
        SqliteTable temp(TableSchema::tempTable());
        temp.openInMemory();
        temp.appendRecord({QStringLiteral("über@x")});
        QVERIFY_THROWS_EXCEPTION(CorvaneError, temp.appendRecord({QStringLiteral("ÜBER@X")}));
        QCOMPARE(temp.recordCount(), qint64(1));
    }

    void nocaseFileRebuiltOnOpening_data() {
        QTest::addColumn<bool>("exclusive");
        QTest::newRow("exclusive") << true;
        QTest::newRow("shared") << false;
    }
    void nocaseFileRebuiltOnOpening() {
        QFETCH(bool, exclusive);
        makeNocaseFile(300);
        const QString query = QStringLiteral("SELECT \"Index\", Item, Category, Comments FROM tblML ORDER BY rowid");
        const QList<QVariantList> before = rawQueryRows(file(), query);
        QCOMPARE(before.size(), 300);
        SqliteTable table(TableSchema::listTable());
        table.open(file(), exclusive ? SqliteDatabase::Access::Exclusive : SqliteDatabase::Access::Shared);
        QVERIFY(TableLayout::collationsCurrent(table.database(), TableSchema::listTable()));
        table.setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("ÜBUNG")));
        table.setFiltered(true);
        QCOMPARE(table.recordCount(), qint64(300));
        table.appendRecord({QStringLiteral("new@x")});
        QCOMPARE(table.integer(QStringLiteral("Index")), 311);
        table.close();
        QCOMPARE(rawQueryRows(file(), query).mid(0, 300), before);
        QVERIFY(!tableSql(file()).contains(QStringLiteral("NOCASE")));
    }

    // The rebuild is one transaction: killed at any moment, the file holds every row, in the old layout or
    // in the new one, and the next opening finishes the job.
    void killedRebuildLeavesOneOfTheFiles_data() {
        QTest::addColumn<int>("delayMs"); // after the rebuild began; -1: once it is done
        QTest::newRow("at once") << 0;
        QTest::newRow("after 300 ms") << 300;
        QTest::newRow("once done") << -1;
    }
    void killedRebuildLeavesOneOfTheFiles() {
        QFETCH(int, delayMs);
        constexpr int Rows = 50000;
        makeNocaseFile(Rows);
        QProcess holder;
        holder.start(QStringLiteral(CORVANE_DBHOLDER), {file(), QStringLiteral("shared")});
        QVERIFY(holder.waitForStarted());
        const QString journal = file() + QStringLiteral("-journal");
        for (int i = 0; i < 5000 && !QFile::exists(journal) && holder.state() == QProcess::Running; ++i) {
            QThread::msleep(1);
        }
        if (delayMs >= 0) {
            QThread::msleep(delayMs);
        } else {
            QVERIFY(holder.waitForReadyRead(30000));
            QVERIFY(holder.readAll().startsWith("HOLDING"));
        }
        holder.kill();
        holder.waitForFinished();
        QCOMPARE(rawQueryInt(file(), QStringLiteral("SELECT count(*) FROM tblML")), qint64(Rows));
        const QList<QVariantList> check = rawQueryRows(file(), QStringLiteral("PRAGMA integrity_check"));
        QCOMPARE(check, QList<QVariantList>{{QStringLiteral("ok")}});
        const QString sql = tableSql(file());
        QVERIFY2(sql.contains(QStringLiteral("NOCASE")) != sql.contains(QStringLiteral("CORVANECASE")),
                 qPrintable(sql));
        SqliteTable table(TableSchema::listTable());
        table.open(file(), SqliteDatabase::Access::Shared);
        QCOMPARE(table.recordCount(), qint64(Rows));
        QVERIFY(TableLayout::collationsCurrent(table.database(), TableSchema::listTable()));
    }
};

QTEST_GUILESS_MAIN(TestCollation)
#include "tst_collation.moc"
