// The SMTP client against a real mail server: messages sent through the connection layer to a private Postfix
// on 127.0.0.1 are delivered into a Maildir and read back with vmime; subject, body text and attachment bytes
// must arrive exactly as given. Needs root (Postfix's master daemon); fails when Postfix is missing.
#include "PostfixInstance.h"
#include "ScriptedPrompt.h"
#include "mailstore/MessageContent.h"
#include "mailstore/VmimePlatform.h"
#include "send/SMTPConnection.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <unistd.h>
#include <vmime/vmime.hpp>

using namespace corvane;

class TestSmtpPostfix : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void deliveredIntact_data();
    void deliveredIntact();

private:
    std::unique_ptr<PostfixInstance> m_postfix;
};

namespace {

struct Attachment {
    QString name;
    QByteArray bytes;
};

QByteArray everyByteValue() {
    QByteArray data(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i) {
        data[i] = static_cast<char>(i);
    }
    return data;
}

QByteArray randomBytes(int size, quint32 seed) {
    QRandomGenerator generator(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (char &c : data) {
        c = static_cast<char>(generator.bounded(256));
    }
    return data;
}

// The attachments of `raw` as vmime finds them: the decoded file name and the decoded bytes of each. Throws
// what vmime throws on a message it cannot read.
QList<Attachment> attachmentsOf(const QByteArray &raw) {
    VmimePlatform::ensure();
    auto message = std::make_shared<vmime::message>();
    message->parse(raw.toStdString());
    const vmime::messageParser parser(message);
    QList<Attachment> out;
    for (size_t i = 0; i < parser.getAttachmentCount(); ++i) {
        const auto attachment = parser.getAttachmentAt(i);
        std::string bytes;
        vmime::utility::outputStreamStringAdapter stream(bytes);
        attachment->getData()->extract(stream);
        stream.flush();
        const std::string name = attachment->getName().getConvertedText(vmime::charset(vmime::charsets::UTF_8));
        out.append({QString::fromStdString(name), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()))});
    }
    return out;
}

// Waits up to `limitMs` for a message file in `maildir`/new and returns its path; empty when none came.
QString waitForDelivery(const QString &maildir, int limitMs) {
    const QDeadlineTimer deadline(limitMs);
    do {
        const QStringList files = QDir(maildir + QStringLiteral("/new")).entryList(QDir::Files);
        if (!files.isEmpty()) {
            return maildir + QStringLiteral("/new/") + files.first();
        }
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    return {};
}

} // namespace

void TestSmtpPostfix::initTestCase() {
    if (::geteuid() != 0) {
        QSKIP("Postfix's master daemon must be started as root; this test runs as root in CI");
    }
    m_postfix = std::make_unique<PostfixInstance>();
    QString error;
    QVERIFY2(m_postfix->start(error), qPrintable(error));
}

void TestSmtpPostfix::cleanupTestCase() {
    if (m_postfix) {
        QString error;
        QVERIFY2(m_postfix->stop(&error), qPrintable(error));
        QVERIFY(m_postfix->processes().isEmpty());
    }
}

// Each row is one message; `names` and `contents` are its attachments in order.
void TestSmtpPostfix::deliveredIntact_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QStringList>("body");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QByteArrayList>("contents");

    QTest::newRow("non-ASCII subject and body, binary attachments")
        << QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"
                             "e \xe2\x80\x93 \xc3\x84rger")
        << QStringList{QString::fromUtf8("Liebe Mitglieder,"),
                       QString::fromUtf8("anbei die \xc3\x9c"
                                         "bersicht: \xc3\xa4\xc3\xb6\xc3\xbc \xc3\x84\xc3\x96\xc3\x9c \xc3\x9f "
                                         "\xe2\x82\xac = 100."),
                       QStringLiteral(".Punkt am Zeilenanfang"), QString(),
                       QString::fromUtf8("Stra\xc3\x9f"
                                         "e ")
                           .repeated(25)}
        << QStringList{QStringLiteral("bytes.bin"), QString::fromUtf8("\xc3\x9c"
                                                                      "bersicht 2026.dat")}
        << QByteArrayList{everyByteValue(), randomBytes(150000, 3)};
    QTest::newRow("ASCII text with leading dots")
        << QStringLiteral("Monthly notes")
        << QStringList{QStringLiteral("Hello members,"), QStringLiteral("."), QStringLiteral("..two dots"),
                       QStringLiteral(". and a blank"), QStringLiteral("end")}
        << QStringList{} << QByteArrayList{};
    QTest::newRow("long folded subject, quoted-printable body")
        << QString::fromUtf8("\xf0\x9f\x93\xa8 Neuigkeiten aus K\xc3\xb6ln \xe2\x80\x93 ").repeated(4)
        << QStringList{QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"
                                         "e aus K\xc3\xb6ln"),
                       QString::fromUtf8("\xc3\xa4=").repeated(50), QStringLiteral("trailing blank ")}
        << QStringList{} << QByteArrayList{};
}

void TestSmtpPostfix::deliveredIntact() {
    QFETCH(QString, subject);
    QFETCH(QStringList, body);
    QFETCH(QStringList, names);
    QFETCH(QByteArrayList, contents);
    QVERIFY(m_postfix);
    QTemporaryDir files;
    QVERIFY(files.isValid());

    Settings settings;
    settings.SMTPHost = QStringLiteral("127.0.0.1");
    settings.SMTPPort = m_postfix->port();
    settings.SMTPID = QStringLiteral("client.test");
    settings.SMTPEmail = QStringLiteral("list@example.org");
    settings.SMTPName = QStringLiteral("List Owner");
    ScriptedPrompt prompt;
    SMTPConnection smtp(settings, prompt);
    smtp.client().setTimeLimits(10000, 10000);
    smtp.setWaitLimits(10000, 10000);
    QStringList dialogue;
    connect(&smtp.client(), &TNMSMTP::dialogue, this, [&dialogue](const QByteArray &line, bool sent) {
        dialogue.append((sent ? QStringLiteral("C: ") : QStringLiteral("S: ")) + QString::fromLatin1(line));
    });
    QStringList sendErrors;
    smtp.setSendError([&sendErrors](const QString &text) { sendErrors.append(text); });

    TPostMessage &m = smtp.message();
    m.ToAddress = QStringList{QStringLiteral("Member <%1>").arg(QLatin1String(PostfixInstance::kRecipient))};
    m.Subject = subject;
    m.Body = body;
    for (qsizetype i = 0; i < names.size(); ++i) {
        QFile file(files.filePath(names[i]));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(contents[i]), contents[i].size());
        file.close();
        m.Attachments.append(file.fileName());
    }

    QVERIFY2(smtp.SMTPConnect(), qPrintable(prompt.texts().join('\n') + m_postfix->logText()));
    const bool sent = smtp.SendSMTPMail(false);
    smtp.SMTPDisconnect();
    QVERIFY2(sent, qPrintable(dialogue.join('\n') + m_postfix->logText()));
    QVERIFY(sendErrors.isEmpty());

    const QString path = waitForDelivery(m_postfix->maildir(), 30000);
    QVERIFY2(!path.isEmpty(), qPrintable(QStringLiteral("Nothing delivered within 30 s\n") + dialogue.join('\n') +
                                         m_postfix->logText()));
    QFile delivered(path);
    QVERIFY(delivered.open(QIODevice::ReadOnly));
    const QByteArray raw = delivered.readAll();
    delivered.close();
    QVERIFY(QFile::remove(path));

    const MessageContent content(raw);
    QCOMPARE(QString::fromLatin1(content.rawHeader("delivered-to")), QLatin1String(PostfixInstance::kRecipient));
    QCOMPARE(content.subject(), subject);
    // Without attachments the client writes an empty line between the header and the text, which is part of
    // the text as the server sees it.
    const QString leading = names.isEmpty() ? QStringLiteral("\r\n") : QString();
    QString text = content.body();
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) {
        text.chop(1);
    }
    QCOMPARE(text, leading + body.join(QStringLiteral("\r\n")));

    const QList<Attachment> attachments = attachmentsOf(raw);
    QCOMPARE(attachments.size(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        QCOMPARE(attachments[i].name, names[i]);
        QCOMPARE(attachments[i].bytes.size(), contents[i].size());
        QVERIFY2(attachments[i].bytes == contents[i], qPrintable(names[i]));
    }
}

QTEST_GUILESS_MAIN(TestSmtpPostfix)
#include "tst_smtppostfix.moc"
