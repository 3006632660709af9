// The benchmark folder shared by the benchmarks that read mail: 10,000 generated messages (plain text,
// multipart/alternative with quoted-printable, base64 bodies, encoded-word subjects and names, ISO-8859-1, HTML
// only, a few attachments; 1 KB to about 30 KB each) from a fixed seed, written into a new Maildir; reading
// every message as the request scan does, and the plain read of the same files that serves as reference.
#pragma once

#include "base/CorvaneError.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailStoreApplication.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>

namespace corvane::bench {

// Generates one message after another from a fixed seed. Every message is complete and well formed; their mix
// of structures, encodings and sizes follows what a list owner's Inbox typically holds.
class MessageGenerator {
public:
    explicit MessageGenerator(unsigned seed) : m_random(seed) {}

    // Message number `index` as the bytes of its file.
    QByteArray next(int index) {
        m_lineEnd = below(20) == 0 ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
        const int bodyBytes = bodySize();
        const int kind = below(100);
        QByteArray head = commonHeaders(index);
        QByteArray rest;
        if (kind < 30)
            rest = plainMessage(bodyBytes);
        else if (kind < 55)
            rest = alternativeMessage(bodyBytes);
        else if (kind < 65)
            rest = base64Message(bodyBytes);
        else if (kind < 75)
            rest = latin1Message(bodyBytes);
        else if (kind < 85)
            rest = htmlMessage(bodyBytes);
        else if (kind < 90)
            rest = attachmentMessage(bodyBytes);
        else
            rest = flowedMessage(bodyBytes);
        return head + rest;
    }

private:
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }

    // The body size: mostly short requests and replies, some longer posts, a few long digests.
    int bodySize() {
        const int band = below(100);
        if (band < 60)
            return 600 + below(3400);
        if (band < 90)
            return 4000 + below(8000);
        return 12000 + below(16000);
    }

    QByteArray line(const QByteArray &text) { return text + m_lineEnd; }

    QByteArray word(bool accented) {
        static const char *const plain[] = {"please", "subscribe", "list",    "the",     "meeting",   "weekly", "news",
                                            "report", "members",   "address", "thanks",  "change",    "reply",  "about",
                                            "next",   "garden",    "concert", "tickets", "volunteers"};
        static const char *const foreign[] = {"Grüße", "Frühling", "été",  "château", "Müller", "€",
                                              "naïve", "señor",    "déjà", "Straße",  "café",   "Zürich"};
        if (accented && below(5) == 0)
            return QByteArray(foreign[below(std::size(foreign))]);
        return QByteArray(plain[below(std::size(plain))]);
    }

    // UTF-8 prose of about `bytes` bytes in lines of up to 72 characters, with some quoted lines.
    QByteArray prose(int bytes, bool accented) {
        QByteArray out;
        QByteArray current = below(8) == 0 ? QByteArrayLiteral("> ") : QByteArray();
        while (out.size() + current.size() < bytes) {
            const QByteArray w = word(accented);
            if (current.size() + w.size() + 1 > 72) {
                out += current + '\n';
                current = below(8) == 0 ? QByteArrayLiteral("> ") : QByteArray();
                if (below(12) == 0)
                    out += '\n';
            }
            if (!current.isEmpty() && !current.endsWith(' '))
                current += ' ';
            current += w;
        }
        return out + current + '\n';
    }

    QByteArray withLineEnds(const QByteArray &text) const {
        QByteArray out = text;
        if (m_lineEnd != "\n")
            out.replace("\n", m_lineEnd);
        return out;
    }

    static QByteArray quotedPrintable(const QByteArray &text) {
        QByteArray out;
        for (const QByteArray &textLine : text.split('\n')) {
            QByteArray encoded;
            int column = 0;
            for (qsizetype i = 0; i < textLine.size(); ++i) {
                const auto c = static_cast<unsigned char>(textLine[i]);
                const bool last = i + 1 == textLine.size();
                QByteArray piece;
                if (c == '=' || c > 126 || ((c == ' ' || c == '\t') && last))
                    piece = '=' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
                else
                    piece = QByteArray(1, static_cast<char>(c));
                if (column + piece.size() > 75) {
                    encoded += "=\n";
                    column = 0;
                }
                encoded += piece;
                column += static_cast<int>(piece.size());
            }
            out += encoded + '\n';
        }
        out.chop(1);
        return out;
    }

    static QByteArray base64Lines(const QByteArray &bytes) {
        const QByteArray encoded = bytes.toBase64();
        QByteArray out;
        for (qsizetype i = 0; i < encoded.size(); i += 76)
            out += encoded.mid(i, 76) + '\n';
        return out;
    }

    static bool isAscii(const QByteArray &text) {
        return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 128; });
    }

    // `text` (UTF-8) as one encoded word: base64 or Q in UTF-8, or base64 in ISO-8859-1 when it fits.
    QByteArray encodedWord(const QByteArray &text) {
        const int form = below(3);
        const QString unicode = QString::fromUtf8(text);
        if (form == 2 && unicode.toLatin1() != unicode.toUtf8() && !unicode.contains(QChar(0x20AC)))
            return "=?ISO-8859-1?B?" + unicode.toLatin1().toBase64() + "?=";
        if (form == 0)
            return "=?UTF-8?B?" + text.toBase64() + "?=";
        QByteArray q;
        for (const char ch : text) {
            const auto c = static_cast<unsigned char>(ch);
            if (c == ' ')
                q += '_';
            else if (c > 126 || c == '=' || c == '?' || c == '_')
                q += '=' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
            else
                q += ch;
        }
        return "=?utf-8?Q?" + q + "?=";
    }

    QByteArray sender() {
        static const char *const first[] = {"Jürgen", "Anna",  "François", "Élodie", "Tom",
                                            "Zoë",    "Maria", "Bob",      "Søren",  "Chloé"};
        static const char *const last[] = {"Müller", "Smith", "Château", "Brown", "Núñez", "Jones", "Lefèvre"};
        const QByteArray name = QByteArray(first[below(std::size(first))]) + ' ' + last[below(std::size(last))];
        const QByteArray address = "member" + QByteArray::number(below(5000)) + "@example.org";
        const int form = below(10);
        if (form < 2)
            return address;
        if (form == 2)
            return "\"Smith, " + QByteArray(isAscii(name) ? name : "Bob") + "\" <" + address + ">";
        if (form < 7 || !isAscii(name))
            return (isAscii(name) ? name : encodedWord(name)) + " <" + address + ">";
        return "\"" + name + "\" <" + address + ">";
    }

    QByteArray subject() {
        static const char *const subjects[] = {"subscribe",        "unsubscribe news",      "Re: next meeting",
                                               "Frühling concert", "Abonnement à la liste", "change address",
                                               "Fwd: tickets",     "weekly report",         "Grüße aus Zürich"};
        const QByteArray text = subjects[below(std::size(subjects))];
        if (isAscii(text) && below(2) == 0)
            return text;
        return encodedWord(text);
    }

    QByteArray commonHeaders(int index) {
        const qint64 when = 1'700'000'000LL + index * 97LL;
        const QByteArray date = QDateTime::fromSecsSinceEpoch(when, Qt::UTC)
                                    .toString(QStringLiteral("ddd, d MMM yyyy hh:mm:ss +0000"))
                                    .toLatin1();
        QByteArray h;
        h += line("Return-Path: <member" + QByteArray::number(index) + "@example.org>");
        for (int hop = 0; hop < 2 + below(3); ++hop) {
            h += line("Received: from mx" + QByteArray::number(hop) + ".example.net (mx" + QByteArray::number(hop) +
                      ".example.net [192.0.2." + QByteArray::number(below(250)) + "])");
            h += line("\tby lists.example.net (Postfix) with ESMTPS id " + QByteArray::number(index * 31 + hop, 16));
            h += line("\tfor <owner@lists.example.net>; " + date);
        }
        h += line("Date: " + date);
        h += line("From: " + sender());
        h += line("To: \"List Owner\" <owner@lists.example.net>");
        if (below(4) == 0)
            h += line("Cc: second@example.net, =?UTF-8?B?w4lsb2RpZQ==?= <elodie@example.com>");
        h += line("Subject: " + subject());
        h += line("Message-ID: <" + QByteArray::number(index) + ".bench@example.org>");
        h += line("List-Id: Garden news <news.lists.example.net>");
        if (below(3) == 0) {
            h += line("DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=example.org; s=mail;");
            h += line("\tb=" + QByteArray(180, 'A'));
        }
        return h;
    }

    QByteArray plainMessage(int bytes) {
        QByteArray m;
        switch (below(4)) {
        case 0:
            break; // no MIME headers at all: ASCII text
        case 1:
            m += line("MIME-Version: 1.0") + line("Content-Type: text/plain; charset=us-ascii");
            break;
        default:
            m += line("MIME-Version: 1.0") + line("Content-Type: text/plain; charset=UTF-8; format=flowed") +
                 line("Content-Transfer-Encoding: 8bit");
            return m + m_lineEnd + withLineEnds(prose(bytes, true));
        }
        return m + m_lineEnd + withLineEnds(prose(bytes, false));
    }

    QByteArray flowedMessage(int bytes) {
        return line("MIME-Version: 1.0") + line("Content-Type: text/plain; charset=utf-8") +
               line("Content-Transfer-Encoding: quoted-printable") + m_lineEnd +
               withLineEnds(quotedPrintable(prose(bytes, true)));
    }

    QByteArray html(const QByteArray &text) {
        QByteArray out = "<html><head><meta charset=\"utf-8\"><style>p { margin: 0; }</style></head><body>\n";
        for (const QByteArray &paragraph : text.split('\n')) {
            if (paragraph.isEmpty())
                continue;
            QByteArray escaped = paragraph;
            escaped.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;");
            out += below(3) == 0 ? "<div>" + escaped + "&nbsp;</div>\n" : "<p>" + escaped + "</p>\n";
        }
        return out + "</body></html>\n";
    }

    QByteArray alternativeMessage(int bytes) {
        const QByteArray boundary = "=-=alt" + QByteArray::number(below(1'000'000)) + "=-=";
        const QByteArray text = prose(bytes / 2, true);
        QByteArray m = line("MIME-Version: 1.0") +
                       line("Content-Type: multipart/alternative; boundary=\"" + boundary + "\"") + m_lineEnd +
                       line("This is a multi-part message in MIME format.") + m_lineEnd;
        m += line("--" + boundary) + line("Content-Type: text/plain; charset=UTF-8") +
             line("Content-Transfer-Encoding: quoted-printable") + m_lineEnd + withLineEnds(quotedPrintable(text));
        m += line("--" + boundary) + line("Content-Type: text/html; charset=UTF-8") +
             line("Content-Transfer-Encoding: quoted-printable") + m_lineEnd +
             withLineEnds(quotedPrintable(html(text)));
        return m + line("--" + boundary + "--");
    }

    QByteArray base64Message(int bytes) {
        return line("MIME-Version: 1.0") + line("Content-Type: text/plain; charset=\"utf-8\"") +
               line("Content-Transfer-Encoding: base64") + m_lineEnd +
               withLineEnds(base64Lines(prose(bytes * 3 / 4, true)));
    }

    QByteArray latin1Message(int bytes) {
        const QByteArray latin1 =
            QString::fromUtf8(prose(bytes, true)).replace(QChar(0x20AC), QLatin1String("EUR")).toLatin1();
        if (below(2) == 0)
            return line("MIME-Version: 1.0") + line("Content-Type: text/plain; charset=ISO-8859-1") +
                   line("Content-Transfer-Encoding: 8bit") + m_lineEnd + withLineEnds(latin1);
        return line("MIME-Version: 1.0") + line("Content-Type: text/plain; charset=iso-8859-1") +
               line("Content-Transfer-Encoding: quoted-printable") + m_lineEnd + withLineEnds(quotedPrintable(latin1));
    }

    QByteArray htmlMessage(int bytes) {
        const QByteArray body = html(prose(bytes * 2 / 3, true));
        if (below(2) == 0)
            return line("MIME-Version: 1.0") + line("Content-Type: text/html; charset=utf-8") +
                   line("Content-Transfer-Encoding: quoted-printable") + m_lineEnd +
                   withLineEnds(quotedPrintable(body));
        return line("MIME-Version: 1.0") + line("Content-Type: text/html; charset=utf-8") + m_lineEnd +
               withLineEnds(body);
    }

    QByteArray attachmentMessage(int bytes) {
        const QByteArray boundary = "mixed-" + QByteArray::number(below(1'000'000));
        QByteArray attachment(bytes / 2 + 2000, '\0');
        for (char &c : attachment)
            c = static_cast<char>(below(256));
        QByteArray m = line("MIME-Version: 1.0") +
                       line("Content-Type: multipart/mixed; boundary=\"" + boundary + "\"") + m_lineEnd;
        m += line("--" + boundary) + line("Content-Type: text/plain; charset=utf-8") +
             line("Content-Transfer-Encoding: 8bit") + m_lineEnd + withLineEnds(prose(1000, true));
        m += line("--" + boundary) + line("Content-Type: application/pdf; name=\"minutes.pdf\"") +
             line("Content-Disposition: attachment; filename=\"minutes.pdf\"") +
             line("Content-Transfer-Encoding: base64") + m_lineEnd + withLineEnds(base64Lines(attachment));
        return m + line("--" + boundary + "--");
    }

    std::mt19937 m_random;
    QByteArray m_lineEnd;
};

// Writes `count` generated messages into the Inbox of a new Maildir at `root`; answers their total size.
inline qint64 buildMaildir(const QString &root, int count) {
    for (const char *sub : {"new", "cur", "tmp"})
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
    MessageGenerator generator(20261209u);
    qint64 total = 0;
    for (int i = 0; i < count; ++i) {
        const QByteArray message = generator.next(i);
        const QString unique = QStringLiteral("%1.M%2P4242.benchhost").arg(1'700'000'000LL + i * 97LL).arg(i);
        const bool seen = i % 10 != 0;
        const QString path = root + (seen ? QStringLiteral("/cur/") + unique + QStringLiteral(":2,S")
                                          : QStringLiteral("/new/") + unique);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(message) != message.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
        total += message.size();
    }
    return total;
}

// What one read of a folder found; `characters` keeps the work from being optimized away.
struct ReadResult {
    int messages = 0;
    int failures = 0;
    qint64 characters = 0;
};

// Reads every item as the request scan does (subject, sender's name and address, plain body), from the last
// down when `fromLast`. A message that raises counts as a failure and the read goes on.
inline ReadResult readItems(const MailItems &items, bool fromLast = false) {
    ReadResult result;
    const int count = items.Count();
    for (int n = 1; n <= count; ++n) {
        try {
            const auto item = items.Item(fromLast ? count + 1 - n : n);
            result.characters += item->subject().size() + item->SenderName().size() +
                                 item->SenderEmailAddress().size() + item->body().size();
        } catch (const CorvaneError &) {
            ++result.failures;
        }
    }
    result.messages = count;
    return result;
}

// readItems() over the Inbox of the Maildir at `root`, through a fresh mail-store application.
inline ReadResult readInbox(const QString &root) {
    const MailStoreApplication application(root);
    return readItems(
        application.GetNameSpace(QStringLiteral("MAPI")).Folders(1).Folders(QStringLiteral("Inbox")).Items());
}

// The reference read: every message file of the Maildir at `root` read whole, its header cut off at the first
// empty line and its "Subject:" and "From:" lines found, with no decoding at all.
inline ReadResult plainRead(const QString &root) {
    ReadResult result;
    for (const char *sub : {"/cur", "/new"}) {
        QDirIterator files(root + QLatin1String(sub), QDir::Files);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly)) {
                ++result.failures;
                continue;
            }
            const QByteArray raw = file.readAll();
            qsizetype end = raw.indexOf("\n\n");
            const qsizetype crlf = raw.indexOf("\r\n\r\n");
            end = crlf >= 0 && (end < 0 || crlf < end) ? crlf : end;
            const QByteArray head = end >= 0 ? raw.left(end) : raw;
            for (const QByteArray &line : head.split('\n')) {
                if (line.startsWith("Subject:") || line.startsWith("From:")) {
                    result.characters += line.size();
                }
            }
            result.characters += raw.size() - head.size();
            ++result.messages;
        }
    }
    return result;
}

} // namespace corvane::bench
