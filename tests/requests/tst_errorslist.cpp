// The errors list: the line of each kind of failure, and keeping the list in "errors.txt" between runs.
#include "base/AppPaths.h"
#include "requests/ErrorsList.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace corvane;

namespace {
QByteArray fileBytes() {
    QFile file(ErrorsList::fileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QByteArray &bytes) {
    QFile file(ErrorsList::fileName());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

class TestErrorsList : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        AppPaths::setApplicationDirectory(m_home->path());
    }
    void cleanup() { AppPaths::setApplicationDirectory(QString()); }

    void addToErrorsList_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("third");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("add with category") << 1 << "ann@example.org"
                                           << "News" << QStringList{"ADD ann@example.org News"};
        QTest::newRow("add without category: no trailing space") << 1 << "ann@example.org"
                                                                 << "" << QStringList{"ADD ann@example.org"};
        QTest::newRow("remove") << -1 << "ann@example.org"
                                << "Sports News" << QStringList{"REMOVE ann@example.org Sports News"};
        QTest::newRow("remove of a bounce, no category") << -1 << "ann@example.org"
                                                         << "" << QStringList{"REMOVE ann@example.org"};
        QTest::newRow("modify") << 2 << "ann@example.org"
                                << "ann@example.net" << QStringList{"MODIFY ann@example.org ann@example.net"};
        QTest::newRow("empty address adds nothing") << 1 << ""
                                                    << "News" << QStringList{};
        QTest::newRow("unknown kind adds nothing") << 0 << "ann@example.org"
                                                   << "News" << QStringList{};
    }

    void addToErrorsList() {
        QFETCH(int, kind);
        QFETCH(QString, address);
        QFETCH(QString, third);
        QFETCH(QStringList, lines);
        ErrorsList errors;
        QSignalSpy changed(&errors, &ErrorsList::changed);
        errors.AddToErrorsList(kind, address, third);
        QCOMPARE(errors.lines(), lines);
        QCOMPARE(changed.count(), lines.size());
    }

    void identicalFailuresKeepTheirLines() {
        ErrorsList errors;
        errors.AddToErrorsList(ErrorsList::Add, QStringLiteral("a@b.org"), QStringLiteral("X"));
        errors.AddToErrorsList(ErrorsList::Modify, QStringLiteral("c@d.org"), QStringLiteral("e@f.org"));
        errors.AddToErrorsList(ErrorsList::Add, QStringLiteral("a@b.org"), QStringLiteral("X"));
        QCOMPARE(errors.lines(), (QStringList{"ADD a@b.org X", "MODIFY c@d.org e@f.org", "ADD a@b.org X"}));
    }

    void roundTripThroughFile() {
        ErrorsList before;
        before.AddToErrorsList(ErrorsList::Add, QStringLiteral("a@b.org"), QString());
        before.AddToErrorsList(ErrorsList::Remove, QStringLiteral("c@d.org"), QStringLiteral("News"));
        before.AddToErrorsList(ErrorsList::Add, QStringLiteral("a@b.org"), QString());
        QVERIFY(before.SaveToFile());
        QCOMPARE(fileBytes(), QByteArray("ADD a@b.org\r\nREMOVE c@d.org News\r\nADD a@b.org\r\n"));

        ErrorsList after;
        QVERIFY(after.LoadFromFile());
        QCOMPARE(after.lines(), before.lines());

        after.clear();
        QVERIFY(after.SaveToFile());
        QCOMPARE(fileBytes(), QByteArray());
    }

    void loading_data() {
        QTest::addColumn<QByteArray>("content"); // "<none>": no file
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QStringList>("lines");

        const QStringList kept{"ADD kept@example.org"};
        QTest::newRow("LF line ends") << QByteArray("ADD a@b.org\nMODIFY c@d.org e@f.org") << true
                                      << QStringList{"ADD a@b.org", "MODIFY c@d.org e@f.org"};
        QTest::newRow("missing file keeps the list") << QByteArray("<none>") << true << kept;
        QTest::newRow("empty file empties the list") << QByteArray() << true << QStringList{};
        QTest::newRow("unreadable file keeps the list") << QByteArray("<directory>") << false << kept;
    }

    void loading() {
        QFETCH(QByteArray, content);
        if (content == "<directory>") {
            QVERIFY(QDir().mkpath(ErrorsList::fileName()));
        } else if (content != "<none>") {
            writeFile(content);
        }
        ErrorsList errors;
        errors.AddToErrorsList(ErrorsList::Add, QStringLiteral("kept@example.org"), QString());
        QTEST(errors.LoadFromFile(), "loaded");
        QTEST(errors.lines(), "lines");
    }

    void failedSaveIsReported() {
        QVERIFY(QDir().mkpath(ErrorsList::fileName()));
        ErrorsList errors;
        errors.AddToErrorsList(ErrorsList::Add, QStringLiteral("a@b.org"), QString());
        QVERIFY(!errors.SaveToFile());
    }

    void removingLines() {
        ErrorsList errors;
        errors.setLines({QStringLiteral("ADD a@b.org"), QStringLiteral("ADD c@d.org")});
        errors.removeAt(5);
        errors.removeAt(0);
        QCOMPARE(errors.lines(), QStringList{"ADD c@d.org"});
    }
};

QTEST_GUILESS_MAIN(TestErrorsList)
#include "tst_errorslist.moc"
