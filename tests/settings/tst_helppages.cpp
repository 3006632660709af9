// The help pages: every help context number the code opens has its own page, every page exists beside the
// program and in the source tree, every link between pages leads to a page, and an unknown context opens the
// contents.
#include "settings/HelpTopics.h"
#include "settings/Tdlgoptions.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace corvane;

namespace {

// Every help context number named in the sources: the dialogs' kHelpContext constants, direct help calls
// with a number, and the option pages (the first page's number plus each page index).
QSet<int> contextsInSources() {
    QSet<int> contexts;
    const QRegularExpression constant(QStringLiteral("k\\w*HelpContext\\s*=\\s*(\\d+)"));
    const QRegularExpression call(QStringLiteral("(?:showHelp|showContext)\\(\\s*(\\d+)\\s*\\)"));
    QDirIterator files(QStringLiteral(CORVANE_SOURCE_DIR "/src"), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly)) {
            qFatal("cannot read a source file");
        }
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpression *pattern : {&constant, &call}) {
            for (const QRegularExpressionMatch &match : pattern->globalMatch(text)) {
                contexts.insert(match.captured(1).toInt());
            }
        }
    }
    for (int page = 0; page < Tdlgoptions::PageCount; ++page) {
        contexts.insert(Tdlgoptions::kFirstHelpContext + page);
    }
    return contexts;
}

} // namespace

class TestHelpPages : public QObject {
    Q_OBJECT

private slots:
    void everyContextHasItsPage() {
        const QSet<int> contexts = contextsInSources();
        // The collection finds the dialogs' own numbers, not only the option pages added to it.
        for (const int known : {203, 206, 208, 312}) {
            QVERIFY2(contexts.contains(known), qPrintable(QString::number(known)));
        }
        const QString contents = HelpTopics::pageFor(HelpTopics::kContents);
        QSet<QString> files;
        for (const int context : contexts) {
            const QString page = HelpTopics::pageFor(context);
            QVERIFY2(page != contents, qPrintable(QStringLiteral("no page for context %1").arg(context)));
            QVERIFY2(!files.contains(page), qPrintable(page + " serves two contexts"));
            files.insert(page);
        }
    }

    void pagesExistAndLinksResolve_data() {
        QTest::addColumn<QString>("directory");
        QTest::newRow("source tree") << QStringLiteral(CORVANE_SOURCE_DIR "/help");
        QTest::newRow("build's program folder") << QStringLiteral(CORVANE_PROGRAM_DIR "/help");
    }
    void pagesExistAndLinksResolve() {
        QFETCH(QString, directory);
        const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+\\.html)"));
        const QRegularExpression title(QStringLiteral("<title>([^<]+)</title>"));
        for (const HelpTopics::Topic &topic : HelpTopics::topics()) {
            QFile file(directory + QLatin1Char('/') + topic.file);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
            const QString text = QString::fromUtf8(file.readAll());
            QCOMPARE(title.match(text).captured(1), topic.title);
            for (const QRegularExpressionMatch &match : link.globalMatch(text)) {
                QVERIFY2(QFileInfo::exists(directory + QLatin1Char('/') + match.captured(1)),
                         qPrintable(topic.file + " links to the missing " + match.captured(1)));
            }
        }
    }

    void unknownContextOpensContents_data() {
        QTest::addColumn<int>("context");
        QTest::newRow("zero") << 0;
        QTest::newRow("between pages") << 207;
        QTest::newRow("after the last option page") << 313;
        QTest::newRow("negative") << -302;
    }
    void unknownContextOpensContents() {
        QFETCH(int, context);
        QCOMPARE(HelpTopics::pageFor(context), QStringLiteral("index.html"));
    }
};

QTEST_GUILESS_MAIN(TestHelpPages)
#include "tst_helppages.moc"
