// Tests of the quick routes of body reading: for every message, cleanly formed or not, plainText() gives exactly
// what vmime gives when it parses the whole message (the same text, or the same failure), and the quick routes
// are really taken for the messages they are meant for. Also the line ends of the returned text.
#include "base/CorvaneError.h"
#include "mailstore/MessageBody.h"

#include <QDir>
#include <QTest>

using namespace corvane;

Q_DECLARE_METATYPE(MessageBody::Route)

namespace {

// The body text, or the failure's message marked as such, so that results and failures compare alike.
QString outcome(const std::function<QString()> &read) {
    try {
        return read();
    } catch (const CorvaneError &e) {
        return QStringLiteral("raised: ") + e.message();
    }
}

// A long UTF-8 text, quoted-printable encoded, with encoded bytes falling on every offset around vmime's 16 KB
// read buffer and soft line breaks on both kinds of line end.
QByteArray longQuotedPrintable() {
    QByteArray out;
    for (int i = 0; out.size() < 40000; ++i) {
        out += "Gr=C3=BC=C3=9Fe aus Z=C3=BCrich, Zeile " + QByteArray::number(i);
        out += (i % 3 == 0) ? "=\r\n" : (i % 3 == 1 ? "=\n" : "\n");
        if (i % 7 == 0)
            out += QByteArray(i % 5, 'x');
    }
    return out;
}

QByteArray message(const QByteArray &header, const QByteArray &body) {
    return header + "\n" + body;
}

} // namespace

class TestMessageBody : public QObject {
    Q_OBJECT

private slots:
    void sameAsWholeMessage_data();
    void sameAsWholeMessage();
    void fixturesSameAsWholeMessage();
    void encodingMatrix_data();
    void encodingMatrix();
    void lineEnds_data();
    void lineEnds();
};

void TestMessageBody::sameAsWholeMessage_data() {
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<MessageBody::Route>("route");
    using R = MessageBody::Route;
    const QByteArray common = "Date: Mon, 3 Mar 2025 14:05:09 +0100\nFrom: a@example.org\nSubject: s\n";

    QTest::newRow("no MIME fields at all") << message(common, "subscribe\n") << R::SinglePart;
    QTest::newRow("empty body") << message(common + "Content-Type: text/plain\n", "") << R::SinglePart;
    QTest::newRow("body of blank lines") << message(common, "\n\n\r\n") << R::SinglePart;
    QTest::newRow("CRLF header and body")
        << QByteArray("Subject: s\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nline one\r\nline two\r\n")
        << R::SinglePart;
    QTest::newRow("folded Content-Type with comment and quoted charset")
        << message(common + "Content-Type: text/plain;\n\tcharset=\"ISO-8859-1\" (western)\n", "caf\xe9\n")
        << R::SinglePart;
    QTest::newRow("RFC 2231 charset parameter")
        << message(common + "Content-Type: text/plain; charset*=iso-8859-1''\n", "d\xe9j\xe0\n") << R::SinglePart;
    QTest::newRow("field names in capitals, no space after colon")
        << message(common + "CONTENT-TYPE:TEXT/PLAIN;CHARSET=UTF-8\nCONTENT-TRANSFER-ENCODING:BASE64\n", "w6l0w6kK\n")
        << R::SinglePart;
    QTest::newRow("two Content-Type fields, the first counts")
        << message(common + "Content-Type: text/html\nContent-Type: text/plain\n", "<p>a &amp; b</p>\n")
        << R::SinglePart;
    QTest::newRow("Content-Type after a folded Received field")
        << message("Received: from a\n\tby b\n  ; Mon, 3 Mar 2025\n" + common + "Content-Type: text/html\n",
                   "<b>bold</b>\n")
        << R::SinglePart;
    QTest::newRow("quoted-printable oddities")
        << message(common + "Content-Transfer-Encoding: quoted-printable\nContent-Type: text/plain; charset=utf-8\n",
                   "soft=\nbreak =c3=bc lower, =ZZ bad, = lone, trailing  \t\nend=")
        << R::SinglePart;
    QTest::newRow("long quoted-printable body")
        << message(common + "Content-Transfer-Encoding: quoted-printable\nContent-Type: text/plain; charset=utf-8\n",
                   longQuotedPrintable())
        << R::SinglePart;
    QTest::newRow("base64 with garbage, no padding, CRLF")
        << message(common + "Content-Transfer-Encoding: base64\n", "dW5z!dWJz\r\nY3JpYmU*gbmV3cw\r\n\r\n")
        << R::SinglePart;
    QTest::newRow("unknown transfer encoding")
        << message(common + "Content-Transfer-Encoding: x-no-such-encoding\n", "subscribe\n") << R::SinglePart;
    QTest::newRow("unknown charset") << message(common + "Content-Type: text/plain; charset=x-no-such\n", "x\n")
                                     << R::SinglePart;
    QTest::newRow("8-bit bytes without charset, not UTF-8") << message(common, "Gr\xfc\xdf"
                                                                               "e\n")
                                                            << R::SinglePart;
    QTest::newRow("NUL and lone CR in the body")
        << message(common, QByteArray("a\0b\rc\r\r\nd\n", 11)) << R::SinglePart;
    QTest::newRow("HTML only, quoted-printable")
        << message(common + "Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n",
                   "<html><head><title>t</title></head><body><p>caf=C3=A9</p>line<br>two</body></html>\n")
        << R::SinglePart;
    QTest::newRow("single part marked as attachment")
        << message(common + "Content-Disposition: attachment; filename=a.txt\n", "not the body\n") << R::SinglePart;
    QTest::newRow("enclosed message is not text")
        << message(common + "Content-Type: message/rfc822\n", "Subject: inner\n\ninner body\n") << R::SinglePart;
    QTest::newRow("neither text nor multipart")
        << message(common + "Content-Type: application/octet-stream\n", "bytes\n") << R::SinglePart;

    const QByteArray alternative = "--b\nContent-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: "
                                   "quoted-printable\n\nFr=C3=BChling\n--b\nContent-Type: text/html\n\n<p>html</p>\n"
                                   "--b--\n";
    const QByteArray mixed = common + "Content-Type: multipart/mixed; boundary=b\n";
    const QByteArray text = "Content-Type: text/plain\n\n";
    QTest::newRow("multipart/alternative")
        << message(common + "MIME-Version: 1.0\nContent-Type: multipart/alternative; boundary=b\n", alternative)
        << R::Multipart;
    QTest::newRow("multipart with boundary in capitals and folded")
        << message(common + "Content-Type: Multipart/Mixed;\n boundary=\"b\"\n", alternative) << R::Multipart;
    QTest::newRow("multipart without boundary parameter")
        << message(common + "Content-Type: multipart/mixed\n", alternative) << R::MimeFieldsOnly;
    QTest::newRow("multipart whose boundary never occurs")
        << message(common + "Content-Type: multipart/mixed; boundary=zz\n", text + "just text\n") << R::Multipart;
    QTest::newRow("multipart whose boundary occurs only in a dropped field")
        << message(common + "X-Note: --zz\nContent-Type: multipart/mixed; boundary=zz\n", text + "just text\n")
        << R::Multipart;
    QTest::newRow("boundary with characters vmime would not generate")
        << message(common + "Content-Type: multipart/mixed; boundary=\"a$b[c] d%\"\n",
                   "--a$b[c] d%\n" + text + "odd boundary\n--a$b[c] d%--\n")
        << R::Multipart;
    QTest::newRow("boundary of 80 characters")
        << message(common + "Content-Type: multipart/mixed; boundary=" + QByteArray(80, 'x') + "\n",
                   "--" + QByteArray(80, 'x') + "\n" + text + "long boundary\n--" + QByteArray(80, 'x') + "--\n")
        << R::Multipart;
    QTest::newRow("multipart with empty body") << message(mixed, "") << R::Multipart;
    QTest::newRow("multipart without closing boundary, blank after a boundary")
        << message(mixed, "prolog\n--b\n" + text + "first\n--b \n" + text + "second\n--b\t\n") << R::Multipart;
    QTest::newRow("blanks after the closing boundary")
        << message(mixed, "--b\n" + text + "first\n--b-- \t\r\nepilogue\n") << R::Multipart;
    QTest::newRow("boundary that begins a longer word or follows other text")
        << message(mixed, "--b\n" + text + "one\n--bb\nx --b\n--b junk\n--b\n" + text + "two\n--b--\n") << R::Multipart;
    QTest::newRow("padding between dashes and boundary")
        << message(mixed, "--  b\n" + text + "one\n--\tb--\n") << R::Multipart;
    QTest::newRow("single dash after a boundary")
        << message(mixed, "--b\n" + text + "one\n--b-\n" + text + "two\n--b--\n") << R::MimeFieldsOnly;
    QTest::newRow("successive boundaries, empty parts")
        << message(mixed, "--b\n--b\n\n--b--b\n" + text + "late\n--b--\n") << R::Multipart;
    QTest::newRow("boundary at the very end without line end")
        << message(mixed, "--b\n" + text + "one\n--b") << R::Multipart;
    QTest::newRow("epilogue with another boundary after the closing one")
        << message(mixed, "--b\n" + QByteArray("Content-Disposition: attachment\n\nno\n--b--\nepilogue\n--b\n") + text +
                              "after the end\n")
        << R::Multipart;
    QTest::newRow("inner multipart not closed, its boundary recurring later")
        << message(mixed, "--b\nContent-Type: multipart/alternative; boundary=i\n\n--i\n" +
                              QByteArray("Content-Type: text/html\n\n<p>inner</p>\n--b\n") + text +
                              "outer\n--b--\n--i\n" + text + "past the end\n")
        << R::Multipart;
    QTest::newRow("inner multipart not closed, its boundary never recurring")
        << message(mixed, "--b\nContent-Type: multipart/alternative; boundary=i\n\n--i\n" +
                              QByteArray("Content-Disposition: attachment\n\nskip\n--b\n") + text + "outer\n--b--\n")
        << R::Multipart;
    QTest::newRow("part with an empty header") << message(mixed, "--b\n\nimplicit text/plain\n--b--\n") << R::Multipart;
    QTest::newRow("part without header") << message(mixed, "--b\nplain words\n--b--\n") << R::MimeFieldsOnly;
    QTest::newRow("part whose header has a line without colon")
        << message(mixed, "--b\nContent-Type: text/plain\nbroken line\n\nx\n--b--\n") << R::MimeFieldsOnly;
    QTest::newRow("CR-only line ends") << message(mixed, "\r--b\r" + text + "x\r--b--\r") << R::MimeFieldsOnly;
    QTest::newRow("enclosed message inside multipart")
        << message(mixed, "--b\nContent-Type: message/rfc822\n\nSubject: in\n\ninner\n--b\n" + text + "outer\n--b--\n")
        << R::Multipart;
    QByteArray large = "--b\nContent-Type: application/octet-stream\nContent-Transfer-Encoding: base64\n\n";
    for (int i = 0; i < 5; ++i) {
        large += QByteArray(5000 + i * 2731, 'A') + "\n--b\nContent-Type: image/png\n\n";
    }
    large += "png\n--b\n" + text + "after large parts\n--b--\n";
    QTest::newRow("boundaries far into a large body") << message(mixed, large) << R::Multipart;
    QByteArray nested = text + "deepest\n";
    for (int level = 0; level < 20; ++level) {
        const QByteArray b = "n" + QByteArray::number(level);
        nested = "Content-Type: multipart/mixed; boundary=" + b + "\n\n--" + b + "\n" + nested + "\n--" + b + "--\n";
    }
    QTest::newRow("nesting deeper than Corvane splits") << common + nested << R::MimeFieldsOnly;
    QTest::newRow("nested multipart after an attachment, CRLF")
        << QByteArray("Content-Type: multipart/mixed; boundary=o\r\n\r\n--o\r\nContent-Disposition: attachment\r\n"
                      "\r\nattached\r\n--o\r\nContent-Type: multipart/alternative; boundary=i\r\n\r\n--i\r\n"
                      "Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                      "Q2Fm6Q==\r\n--i--\r\n--o--\r\n")
        << R::Multipart;
    QTest::newRow("multipart with HTML only")
        << message(common + "Content-Type: multipart/related; boundary=r\n",
                   "--r\nContent-Type: text/html\n\n<div>a</div><div>b</div>\n--r\nContent-Type: image/png\n\nx\n"
                   "--r--\n")
        << R::Multipart;

    QTest::newRow("mbox From line") << QByteArray("From a@example.org Mon Mar  3 14:05:09 2025\n") +
                                           message(common, "subscribe\n")
                                    << R::WholeMessage;
    QTest::newRow("line without colon in the header")
        << message(common + "not a field\nContent-Type: text/html\n", "<p>x</p>\n") << R::WholeMessage;
    QTest::newRow("space before the colon")
        << message(common + "Content-Type : text/html\n", "<p>x</p>\n") << R::WholeMessage;
    QTest::newRow("folded line of blanks ends the header for vmime")
        << message(common + "Content-Type: text/plain\n  \nContent-Transfer-Encoding: base64\n", "c3Vic2NyaWJl\n")
        << R::WholeMessage;
    QTest::newRow("header begins with a continuation line")
        << message(" folded\n" + common, "subscribe\n") << R::WholeMessage;
    QTest::newRow("header without end") << QByteArray("Subject: s\nContent-Type: text/plain\n") << R::WholeMessage;
    QTest::newRow("header without end or line end") << QByteArray("Subject: s") << R::WholeMessage;
    QTest::newRow("empty file") << QByteArray() << R::SinglePart;
}

void TestMessageBody::sameAsWholeMessage() {
    QFETCH(QByteArray, raw);
    QFETCH(MessageBody::Route, route);
    QCOMPARE(MessageBody::routeFor(raw), route);
    QCOMPARE(outcome([&] { return MessageBody::plainText(raw); }),
             outcome([&] { return MessageBody::plainTextOfWholeMessage(raw); }));
}

void TestMessageBody::fixturesSameAsWholeMessage() {
    const QDir dir(QStringLiteral(CORVANE_TEST_DATA "/mail"));
    const QStringList names = dir.entryList({QStringLiteral("*.eml")}, QDir::Files);
    QVERIFY(names.size() >= 10);
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray raw = file.readAll();
        const QString quick = outcome([&] { return MessageBody::plainText(raw); });
        QVERIFY2(quick == outcome([&] { return MessageBody::plainTextOfWholeMessage(raw); }), qPrintable(name));
    }
}

// Every combination of transfer encoding, character set and media type a single part can name, each written
// with both line ends: the direct decoding gives what vmime gives.
void TestMessageBody::encodingMatrix_data() {
    QTest::addColumn<QByteArray>("raw");
    const QByteArray text = "Gr\xc3\xbc\xc3\x9f"
                            "e =3D caf\xc3\xa9\n\tline two \n";
    const QList<QPair<QByteArray, QByteArray>> encodings = {
        {"", text},
        {"7bit", text},
        {"8BIT", text},
        {"binary", text},
        {"quoted-printable", "Gr=C3=BC=C3=9Fe =3D3D caf=C3=A9\n=09line two=20\n"},
        {"Base64", text.toBase64()},
        {"x-uuencode", "begin 644 a\n#86)C\n`\nend\n"},
    };
    const QList<QByteArray> types = {"",
                                     "Content-Type: text/plain",
                                     "Content-Type: text/plain; charset=utf-8",
                                     "Content-Type: text/plain; charset=iso-8859-15",
                                     "Content-Type: text/plain; charset=\"windows-1252\"",
                                     "Content-Type: text/html; charset=UTF-8",
                                     "Content-Type: text/enriched",
                                     "Content-Type: text/plain; charset=x-unknown"};
    for (const auto &[encoding, body] : encodings) {
        for (const QByteArray &type : types) {
            for (const QByteArray &lineEnd : {QByteArray("\n"), QByteArray("\r\n")}) {
                QByteArray header = "Subject: matrix\n";
                if (!type.isEmpty())
                    header += type + "\n";
                if (!encoding.isEmpty())
                    header += "Content-Transfer-Encoding: " + encoding + "\n";
                QByteArray raw = header + "\n" + body;
                raw.replace("\n", lineEnd);
                QTest::addRow("%s | %s | %s", encoding.isEmpty() ? "none" : encoding.constData(),
                              type.isEmpty() ? "no type" : type.constData(), lineEnd.size() == 1 ? "LF" : "CRLF")
                    << raw;
            }
        }
    }
}

void TestMessageBody::encodingMatrix() {
    QFETCH(QByteArray, raw);
    QCOMPARE(MessageBody::routeFor(raw), MessageBody::Route::SinglePart);
    QCOMPARE(outcome([&] { return MessageBody::plainText(raw); }),
             outcome([&] { return MessageBody::plainTextOfWholeMessage(raw); }));
}

void TestMessageBody::lineEnds_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");
    QTest::newRow("LF") << QByteArray("a\nb\n") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("CRLF kept") << QByteArray("a\r\nb") << QStringLiteral("a\r\nb");
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QStringLiteral("a\r\n\r\nb");
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << QStringLiteral("a\r\n\r\nb");
    QTest::newRow("no line end") << QByteArray("abc") << QStringLiteral("abc");
    QTest::newRow("only line ends") << QByteArray("\n\r\n\r") << QStringLiteral("\r\n\r\n\r\n");
}

void TestMessageBody::lineEnds() {
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    const QByteArray raw = "Subject: s\nContent-Type: text/plain; charset=utf-8\n\n" + body;
    QCOMPARE(MessageBody::plainText(raw), expected);
    QCOMPARE(MessageBody::plainTextOfWholeMessage(raw), expected);
}

QTEST_GUILESS_MAIN(TestMessageBody)
#include "tst_mailbody.moc"
