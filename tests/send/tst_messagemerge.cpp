// Personalisation: MergeFields with its pass order and no rescan of inserted values, body assembly with both
// signature settings and HTML, and the external editor's free file name.
#include "send/MessageFiles.h"
#include "send/MessageMerge.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

class TestMessageMerge : public QObject {
    Q_OBJECT
private slots:
    void mergeFields_data();
    void mergeFields();
    void assembleBody_data();
    void assembleBody();
    void editorFileName_data();
    void editorFileName();
};

// "<today>" in the expected text stands for the system's short form of 4 March 2026.
void TestMessageMerge::mergeFields_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("personalised");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("salutation");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");
    const QString all = QStringLiteral("%SALUTATION%/%FULL_NAME%/%EMAIL%/%DATE%");
    QTest::newRow("flag off: unchanged") << all << false << "Ann Able"
                                         << "Ann"
                                         << "a@x.com" << all;
    QTest::newRow("every field") << all << true << "Ann Able"
                                 << "Ann"
                                 << "a@x.com"
                                 << "Ann/Ann Able/a@x.com/<today>";
    QTest::newRow("address alone personalises") << "To %EMAIL%." << true << ""
                                                << ""
                                                << "a@x.com"
                                                << "To a@x.com.";
    QTest::newRow("empty name removes the field") << "Dear %FULL_NAME%, hi" << true << ""
                                                  << "S"
                                                  << "a@x.com"
                                                  << "Dear , hi";
    QTest::newRow("name holding its own field: inserted once") << "[%FULL_NAME%]" << true << "x%FULL_NAME%y"
                                                               << "S"
                                                               << "a"
                                                               << "[x%FULL_NAME%y]";
    QTest::newRow("name holding the salutation field: the later pass replaces it")
        << "[%FULL_NAME%]" << true << "x%SALUTATION%y"
        << "Sal"
        << "a"
        << "[xSaly]";
    QTest::newRow("salutation holding the name field: stays") << "%SALUTATION%" << true << "N"
                                                              << "%FULL_NAME%"
                                                              << "a"
                                                              << "%FULL_NAME%";
    QTest::newRow("address holding the date field: stays") << "%EMAIL%" << true << ""
                                                           << ""
                                                           << "%DATE%@x"
                                                           << "%DATE%@x";
    QTest::newRow("values go in raw: no escaping, no trimming") << "<p>%FULL_NAME%</p>" << true << " <b>&amp; "
                                                                << ""
                                                                << ""
                                                                << "<p> <b>&amp; </p>";
    QTest::newRow("field texts are case-sensitive") << "%full_name% %Email%" << true << "N"
                                                    << "S"
                                                    << "a"
                                                    << "%full_name% %Email%";
    QTest::newRow("adjacent and surrounded fields") << "%%EMAIL%%EMAIL%%" << true << ""
                                                    << ""
                                                    << "a@x"
                                                    << "%a@xa@x%";
    QTest::newRow("no fields, flag on") << "plain" << true << "N"
                                        << "S"
                                        << "a"
                                        << "plain";
}

void TestMessageMerge::mergeFields() {
    QFETCH(QString, body);
    QFETCH(bool, personalised);
    QFETCH(QString, name);
    QFETCH(QString, salutation);
    QFETCH(QString, address);
    QFETCH(QString, expected);
    const QDate day(2026, 3, 4);
    expected.replace(QStringLiteral("<today>"), QLocale::system().toString(day, QLocale::ShortFormat));
    QCOMPARE(MessageMerge::MergeFields(body, personalised, name, salutation, address, day), expected);
}

void TestMessageMerge::assembleBody_data() {
    QTest::addColumn<bool>("html");
    QTest::addColumn<bool>("signaturePrior");
    QTest::addColumn<QStringList>("signature");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("opening");
    const QStringList sig{QStringLiteral("-- "), QStringLiteral("The %FULL_NAME% list")};
    QTest::newRow("plain, signature added when sending")
        << false << false << sig << "Body\r\n-- \r\nThe %FULL_NAME% list"
        << "";
    QTest::newRow("plain, signature placed in the editor") << false << true << sig << "Body"
                                                           << "\r\n-- \r\nThe %FULL_NAME% list";
    QTest::newRow("HTML never gets it appended") << true << false << sig << "Body"
                                                 << "";
    QTest::newRow("HTML, placed in the editor") << true << true << sig << "Body"
                                                << "\r\n-- \r\nThe %FULL_NAME% list";
    QTest::newRow("no signature, added when sending: a line break") << false << false << QStringList{} << "Body\r\n"
                                                                    << "";
    QTest::newRow("no signature to place") << false << true << QStringList{} << "Body"
                                           << "";
}

void TestMessageMerge::assembleBody() {
    QFETCH(bool, html);
    QFETCH(bool, signaturePrior);
    QFETCH(QStringList, signature);
    QFETCH(QString, sent);
    QFETCH(QString, opening);
    QCOMPARE(MessageMerge::AssembleBody(QStringLiteral("Body"), html, signaturePrior, signature), sent);
    QCOMPARE(MessageMerge::PlaceSignature(QString(), signaturePrior, signature), opening);
}

void TestMessageMerge::editorFileName_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none taken") << QStringList{} << "HTMLMessage.html";
    QTest::newRow("first taken") << QStringList{"HTMLMessage.html"} << "HTMLMessage_2.html";
    QTest::newRow("first two taken") << QStringList{"HTMLMessage.html", "HTMLMessage_2.html"} << "HTMLMessage_3.html";
    QTest::newRow("a gap is used") << QStringList{"HTMLMessage.html", "HTMLMessage_3.html"} << "HTMLMessage_2.html";
    QTest::newRow("only later ones taken") << QStringList{"HTMLMessage_2.html"} << "HTMLMessage.html";
}

void TestMessageMerge::editorFileName() {
    QFETCH(QStringList, existing);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    for (const QString &name : existing) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(MessageFiles::freeEditorFileName(dir.path() + QLatin1Char('/')), dir.filePath(expected));
}

QTEST_GUILESS_MAIN(TestMessageMerge)
#include "tst_messagemerge.moc"
