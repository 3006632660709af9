// Two copies of the program on one database: an exclusive holder refuses the other with the sharing
// message; shared copies see each other's changes, and the whole-table lock holds the other's writes off
// until it is released. The other copy is a separate process (corvane_dbholder).
#include "DbTestSupport.h"
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/EngineError.h"
#include "db/TdmML.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {
const QString SharingMessage =
    QStringLiteral("Cannot open your mailing list database, another user has the table open already.  If you want to "
                   "be able to share your database, check the Database Sharing setting in Options on all your copies "
                   "of Corvane.");

// The other copy of the program, holding the list table of a database open until destroyed.
class OtherCopy {
public:
    OtherCopy(const QString &file, bool exclusive) {
        m_process.start(QStringLiteral(CORVANE_DBHOLDER),
                        {file, exclusive ? QStringLiteral("exclusive") : QStringLiteral("shared")});
        m_started = m_process.waitForStarted(5000);
    }
    ~OtherCopy() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.write("quit\n");
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }
    OtherCopy(const OtherCopy &) = delete;
    OtherCopy &operator=(const OtherCopy &) = delete;

    // The next line the other copy writes (without its line end), empty after 10 s of silence.
    QString reply() {
        while (!m_process.canReadLine()) {
            if (!m_started || !m_process.waitForReadyRead(10000)) {
                return QString();
            }
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    QString command(const QByteArray &line) {
        m_process.write(line + '\n');
        return reply();
    }

private:
    QProcess m_process;
    bool m_started = false;
};
} // namespace

class TestDbLocking : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_work;

    QString dir() const { return m_work->path() + QLatin1Char('/'); }
    QString listFile() const { return dir() + QStringLiteral("mailist.DAT"); }

private slots:
    void initTestCase() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path()); }
    void init() {
        m_work = std::make_unique<QTemporaryDir>();
        AppPaths::setApplicationDirectory(m_work->path());
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        prompt.answer(UserPrompt::Yes);
        dm.OpenDatabase(dir());
        appendEntries(dm.tblML(), {"first@x"});
    }
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }

    // Whatever this copy asks for, another copy holding the database exclusively keeps it out.
    void exclusiveHolderRefusesOthers_data() {
        QTest::addColumn<bool>("exclusive");
        QTest::newRow("this copy exclusive") << true;
        QTest::newRow("this copy shared") << false;
    }
    void exclusiveHolderRefusesOthers() {
        QFETCH(bool, exclusive);
        OtherCopy other(listFile(), true);
        QCOMPARE(other.reply(), QStringLiteral("HOLDING 1"));
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.setDBExclusive(exclusive);
        dm.OpenDatabase(dir());
        QCOMPARE(prompt.texts(), QStringList{SharingMessage});
        QCOMPARE(prompt.shown.first().kind, UserPrompt::Kind::Warning);
        QVERIFY(!dm.DatabaseLoaded());
        QVERIFY(!dm.tblML().isOpen());
        QVERIFY(!dm.tblStats().isOpen());
        QCOMPARE(other.command("count"), QStringLiteral("COUNT 1"));
    }

    void exclusiveHolderRefusesTheOtherProcess() {
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.OpenDatabase(dir());
        QVERIFY(dm.DatabaseLoaded());
        OtherCopy other(listFile(), false);
        QCOMPARE(other.reply(), QStringLiteral("ERROR %1").arg(EngineError::HeldByAnotherUser));
        dm.CloseDatabase();
        OtherCopy later(listFile(), true);
        QCOMPARE(later.reply(), QStringLiteral("HOLDING 1"));
    }

    void sharedCopiesWorkTogether() {
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.setDBExclusive(false);
        dm.OpenDatabase(dir());
        QVERIFY(dm.DatabaseLoaded());
        OtherCopy other(listFile(), false);
        QCOMPARE(other.reply(), QStringLiteral("HOLDING 1"));
        QCOMPARE(other.command("append second@x news"), QStringLiteral("OK 2"));
        QCOMPARE(dm.tblML().recordCount(), qint64(2));
        QVERIFY(dm.tblML().locate(QStringLiteral("Item"), QStringLiteral("SECOND@X")));
        QCOMPARE(dm.tblML().text(QStringLiteral("Category")), QStringLiteral("news"));
        dm.tblML().appendRecord({QStringLiteral("third@x")});
        QCOMPARE(other.command("count"), QStringLiteral("COUNT 3"));

        // Under the whole-table lock the other copy's write is refused after its retries, and goes through
        // once the lock is released.
        dm.tblML().lockTable();
        dm.tblML().appendRecord({QStringLiteral("fourth@x")});
        QCOMPARE(other.command("append fifth@x news"), QStringLiteral("ERROR 5"));
        dm.tblML().unlockTable();
        QCOMPARE(other.command("append fifth@x news"), QStringLiteral("OK 5"));
        QCOMPARE(dm.tblML().recordCount(), qint64(5));
    }
};

QTEST_GUILESS_MAIN(TestDbLocking)
#include "tst_dblocking.moc"
