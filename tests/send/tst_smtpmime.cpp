// The content the SMTP client writes: multipart messages with base64 attachments, Corvane's own base64
// encoder checked against Qt's, and text that is not ASCII (quoted-printable bodies, encoded-word headers).
#include "SmtpSession.h"

#include "send/MimeText.h"
#include "send/SMTPMessageBuilder.h"
#include "send/TNMUUProcessor.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace corvane;

class TestSmtpMime : public QObject {
    Q_OBJECT
private slots:
    void base64Lines_data();
    void base64Lines();
    void attachments_data();
    void attachments();
    void nonAsciiText_data();
    void nonAsciiText();
};

namespace {

QByteArray randomBytes(int size, quint32 seed) {
    QRandomGenerator generator(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (char &c : data) {
        c = static_cast<char>(generator.bounded(256));
    }
    return data;
}

// The base64 lines expected for `data`, made from Qt's encoder: 60 characters and CR LF per line.
QByteArray qtBase64Lines(const QByteArray &data) {
    const QByteArray flat = data.toBase64();
    QByteArray out;
    for (qsizetype i = 0; i < flat.size(); i += 60) {
        out.append(flat.mid(i, 60) + "\r\n");
    }
    return out;
}

// Decodes a header value made of UTF-8 "B" encoded words (folded or not) and plain text.
QString decodeWords(const QByteArray &value) {
    static const QRegularExpression word(QStringLiteral("=\\?utf-8\\?B\\?([A-Za-z0-9+/=]*)\\?=(\r\n )?"));
    QByteArray out;
    qsizetype pos = 0;
    const QString text = QString::fromLatin1(value);
    auto it = word.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out.append(value.mid(pos, m.capturedStart() - pos));
        out.append(QByteArray::fromBase64(m.captured(1).toLatin1()));
        pos = m.capturedEnd();
    }
    out.append(value.mid(pos));
    return QString::fromUtf8(out);
}

// Decodes quoted-printable text lines (CR LF ended, "=" at the end for a soft break).
QString decodeQuotedPrintable(const QByteArray &text) {
    QByteArray out;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        const bool soft = line.endsWith('=');
        if (soft) {
            line.chop(1);
        }
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == '=' && i + 2 < line.size()) {
                out.append(static_cast<char>(line.mid(i + 1, 2).toInt(nullptr, 16)));
                i += 2;
            } else {
                out.append(line[i]);
            }
        }
        if (!soft) {
            out.append("\r\n");
        }
    }
    out.chop(2);
    return QString::fromUtf8(out);
}

bool allAscii(const QByteArray &bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) > 127) {
            return false;
        }
    }
    return true;
}

int longestLine(const QByteArray &bytes) {
    int longest = 0;
    for (const QByteArray &line : bytes.split('\n')) {
        longest = std::max(longest, static_cast<int>(line.size()) - (line.endsWith('\r') ? 1 : 0));
    }
    return longest;
}

} // namespace

void TestSmtpMime::base64Lines_data() {
    QTest::addColumn<int>("size");
    for (int size : {0, 1, 2, 3, 44, 45, 46, 89, 90, 91, 4500, 100001}) {
        QTest::addRow("%d bytes", size) << size;
    }
}

void TestSmtpMime::base64Lines() {
    QFETCH(int, size);
    const QByteArray data = randomBytes(size, static_cast<quint32>(size) + 7);
    QCOMPARE(TNMUUProcessor::encodeBase64(data), data.toBase64());
    QCOMPARE(TNMUUProcessor::encodeBase64Lines(data), qtBase64Lines(data));
}

// Messages with attachments: the boundary form, the text part first (html or plain), then each file.
void TestSmtpMime::attachments_data() {
    QTest::addColumn<bool>("html");
    QTest::addColumn<QList<int>>("sizes");
    QTest::newRow("html with three files") << true << QList<int>{100, 0, 135};
    QTest::newRow("plain with a file larger than one write") << false << QList<int>{200000};
}

void TestSmtpMime::attachments() {
    QFETCH(bool, html);
    QFETCH(QList<int>, sizes);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SmtpSession s;
    QVERIFY(s.smtp->SMTPConnect());
    s.plainMessage();
    s.smtp->message().Body = QStringList{"<p>Hi</p>", ".dot"};
    QList<QByteArray> contents;
    for (int i = 0; i < sizes.size(); ++i) {
        const QString path = dir.filePath(QStringLiteral("file%1.bin").arg(i));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        contents.append(randomBytes(sizes[i], static_cast<quint32>(i)));
        file.write(contents.last());
        file.close();
        s.smtp->message().Attachments.append(path);
    }
    QVERIFY(s.smtp->SendSMTPMail(html));
    const Transcript t = Transcript::of(s.server.received);

    const QByteArray contentType = t.headerValue("Content-Type");
    const QRegularExpression form(
        QStringLiteral("^multipart/mixed; boundary=\"(====================54535[a-y]{6}====)\"$"));
    const QRegularExpressionMatch m = form.match(QString::fromLatin1(contentType));
    QVERIFY2(m.hasMatch(), contentType.constData());
    QVERIFY(!t.hasHeader("Content-Transfer-Encoding"));
    QCOMPARE(t.header.indexOf("Mime-Version: 1.0"), t.header.size() - 2);
    const QByteArray b = m.captured(1).toLatin1();

    QByteArray expected = "\r\n--" + b + "\r\nContent-Type: text/" + (html ? "html" : "plain") +
                          "; charset=us-ascii\r\n\r\n<p>Hi</p>\r\n..dot\r\n";
    for (int i = 0; i < sizes.size(); ++i) {
        const QByteArray name = "file" + QByteArray::number(i) + ".bin";
        expected += "--" + b + "\r\nContent-Type: application/octet-stream; name=\"" + name +
                    "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"" + name +
                    "\"\r\n\r\n" + qtBase64Lines(contents[i]);
    }
    expected += "--" + b + "--\r\n";
    QCOMPARE(t.body, expected);
    // A successful send empties the attachment list; every message gets a new boundary.
    QVERIFY(s.smtp->message().Attachments.isEmpty());
    s.smtp->message().ToAddress = QStringList{"a@example.com"};
    s.smtp->message().Attachments = QStringList{dir.filePath("file0.bin")};
    const qsizetype before = s.server.received.size();
    QVERIFY(s.smtp->SendSMTPMail(html));
    QVERIFY(!s.server.received.mid(before).contains(b));
}

// Text that is not ASCII is declared utf-8 and sent quoted-printable; header values become encoded words.
// Everything on the wire stays 7-bit with short lines, and decodes back to the original text.
void TestSmtpMime::nonAsciiText_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("fromName");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("body");
    QTest::addColumn<bool>("attachment");

    const QString greeting = QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"
                                               "e aus K\xc3\xb6ln");
    QTest::newRow("subject and body") << greeting << "List Owner"
                                      << "member@example.com" << QStringList{greeting, ".next", "plain"} << false;
    QTest::newRow("long subject with emoji is folded")
        << QString::fromUtf8("\xf0\x9f\x93\xa8 Neuigkeiten ").repeated(6) << "List Owner"
        << "member@example.com" << QStringList{"ascii body"} << false;
    QTest::newRow("sender name and display name in To") << "Hello" << QString::fromUtf8("J\xc3\xb6rg M\xc3\xbcller")
                                                        << QString::fromUtf8("Ren\xc3\xa9"
                                                                             "e Dupont <renee@example.com>")
                                                        << QStringList{"ascii body"} << false;
    QTest::newRow("long body line, trailing blank and equals sign")
        << "Hello"
        << "List Owner"
        << "member@example.com"
        << QStringList{QString::fromUtf8("\xc3\xa4=").repeated(60), QString::fromUtf8("caf\xc3\xa9 "), ""} << false;
    QTest::newRow("body with an attachment") << "Hello"
                                             << "List Owner"
                                             << "member@example.com" << QStringList{greeting} << true;
}

void TestSmtpMime::nonAsciiText() {
    QFETCH(QString, subject);
    QFETCH(QString, fromName);
    QFETCH(QString, to);
    QFETCH(QStringList, body);
    QFETCH(bool, attachment);
    QTemporaryDir dir;
    SmtpSession s;
    s.settings.SMTPName = fromName;
    QVERIFY(s.smtp->SMTPConnect());
    TPostMessage &m = s.smtp->message();
    m.ToAddress = QStringList{to};
    m.Subject = subject;
    m.Body = body;
    if (attachment) {
        QFile file(dir.filePath(QString::fromUtf8("Pr\xc3\xbc"
                                                  "fbericht \"final\".txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("abc");
        file.close();
        m.Attachments = QStringList{file.fileName()};
    }
    QVERIFY(s.smtp->SendSMTPMail(false));

    const QByteArray &wire = s.server.received;
    QVERIFY(allAscii(wire));
    QVERIFY(longestLine(wire) <= 78);
    const Transcript t = Transcript::of(wire);
    QVERIFY(t.commands.contains("RCPT TO:<" + SMTPMessageBuilder::bareAddress(to).toLatin1() + ">"));
    QCOMPARE(decodeWords(t.headerValue("Subject")), subject);
    const QByteArray from = t.headerValue("From");
    QVERIFY(from.endsWith("<list@example.org>"));
    QCOMPARE(decodeWords(from.chopped(18)).trimmed(), fromName);
    QCOMPARE(decodeWords(t.headerValue("To")).remove(QLatin1Char(' ')), QString(to).remove(QLatin1Char(' ')));
    static const QRegularExpression word(QStringLiteral("=\\?[^?]*\\?B\\?[^?]*\\?="));
    for (auto it = word.globalMatch(QString::fromLatin1(wire)); it.hasNext();) {
        QVERIFY(it.next().capturedLength() <= 75);
    }

    if (attachment) {
        const QString name = QString::fromUtf8("Pr\xc3\xbc"
                                               "fbericht \"final\".txt");
        static const QRegularExpression param(QStringLiteral("name=\"([^\"]*)\"\r\n"));
        const QRegularExpressionMatch quoted = param.match(QString::fromLatin1(t.body));
        QVERIFY(quoted.hasMatch());
        QCOMPARE(decodeWords(quoted.captured(1).toLatin1()), name);
        QVERIFY(t.body.contains("Content-Disposition: attachment;\r\n filename*=utf-8''" +
                                QUrl::toPercentEncoding(name) + "\r\n"));
    }

    bool asciiBody = true;
    for (const QString &line : body) {
        asciiBody = asciiBody && MimeText::isAscii(line);
    }
    QByteArray text = t.body.mid(2);
    QByteArrayList partHeader = t.header;
    if (attachment) {
        const qsizetype start = text.indexOf("\r\n\r\n");
        partHeader = text.left(start).split('\n');
        for (QByteArray &line : partHeader) {
            line = line.trimmed();
        }
        text = text.mid(start + 4, text.indexOf("\r\n--", start) + 2 - start - 4);
    }
    QCOMPARE(partHeader.contains("Content-Type: text/plain; charset=utf-8"), !asciiBody);
    QCOMPARE(partHeader.contains("Content-Transfer-Encoding: quoted-printable"), !asciiBody);
    if (asciiBody) {
        QCOMPARE(text, body.join("\r\n").toLatin1() + "\r\n");
    } else {
        QVERIFY(!text.contains("\r\n.next"));
        QCOMPARE(decodeQuotedPrintable(text.replace("\r\n..", "\r\n.")), body.join("\r\n") + "\r\n");
    }
}

QTEST_GUILESS_MAIN(TestSmtpMime)
#include "tst_smtpmime.moc"
