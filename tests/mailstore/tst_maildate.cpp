// Tests of Date header reading: the forms real mail carries and the texts that must be refused.
#include "mailstore/MailDate.h"

#include <QTest>

using namespace corvane;

class TestMailDate : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestMailDate::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("utc");
    const auto at = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
    };
    QTest::newRow("full form") << "Tue, 1 Jul 2003 10:52:37 +0200" << at(2003, 7, 1, 8, 52, 37);
    QTest::newRow("no weekday, negative offset") << "01 Jul 2003 10:52:37 -0430" << at(2003, 7, 1, 15, 22, 37);
    QTest::newRow("weekday without comma, long month")
        << "Tue 1 July 2003 10:52:37 +0000" << at(2003, 7, 1, 10, 52, 37);
    QTest::newRow("two-digit year after 2000, US zone") << "Mon, 3 Mar 25 08:00 EST" << at(2025, 3, 3, 13, 0, 0);
    QTest::newRow("two-digit year before 2000") << "3 Mar 99 08:00:00 GMT" << at(1999, 3, 3, 8, 0, 0);
    QTest::newRow("comments and blanks") << "  Tue, 1 Jul 2003 10:52:37 +0200 (CEST)  " << at(2003, 7, 1, 8, 52, 37);
    QTest::newRow("no zone") << "Tue, 1 Jul 2003 10:52:37" << at(2003, 7, 1, 10, 52, 37);
    QTest::newRow("impossible day") << "31 Feb 2003 10:52:37 +0000" << QDateTime();
    QTest::newRow("impossible time") << "1 Feb 2003 25:52:37 +0000" << QDateTime();
    QTest::newRow("unknown month") << "1 Foo 2003 10:52:37 +0000" << QDateTime();
    QTest::newRow("no time") << "1 Jul 2003" << QDateTime();
    QTest::newRow("ISO form") << "2003-07-01T10:52:37Z" << QDateTime();
    QTest::newRow("empty") << "" << QDateTime();
}

void TestMailDate::parse() {
    QFETCH(QString, text);
    QFETCH(QDateTime, utc);
    const QDateTime got = MailDate::parse(text);
    QCOMPARE(got.isValid(), utc.isValid());
    if (utc.isValid())
        QCOMPARE(got.toUTC(), utc);
}

QTEST_GUILESS_MAIN(TestMailDate)
#include "tst_maildate.moc"
