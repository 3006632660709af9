// Test fixture for the SMTP client: a scripted server, SMTP settings pointing at it, a scripted prompt and
// the connection layer with short time limits, plus a reader that splits the recorded bytes of one message
// into commands, header lines and body.
#pragma once

#include "ScriptedPrompt.h"
#include "ScriptedSmtpServer.h"
#include "send/SMTPConnection.h"
#include "settings/Settings.h"

#include <QByteArrayList>
#include <QStringList>
#include <memory>

namespace corvane {

struct SmtpSession {
    ScriptedSmtpServer server;
    Settings settings;
    ScriptedPrompt prompt;
    QStringList log;
    QStringList sendErrors;
    std::unique_ptr<SMTPConnection> smtp;

    explicit SmtpSession(int readLimitMs = 3000) {
        settings.SMTPHost = QStringLiteral("127.0.0.1");
        settings.SMTPPort = server.port();
        settings.SMTPID = QStringLiteral("client.test");
        settings.SMTPEmail = QStringLiteral("list@example.org");
        settings.SMTPName = QStringLiteral("List Owner");
        smtp = std::make_unique<SMTPConnection>(settings, prompt);
        smtp->setSendLog([this](const QString &line) { log.append(line); });
        smtp->setSendError([this](const QString &text) { sendErrors.append(text); });
        smtp->client().setTimeLimits(readLimitMs, readLimitMs);
    }

    // A one-recipient plain message in the record, from the sender of the settings.
    void plainMessage() {
        TPostMessage &m = smtp->message();
        m.FromAddress = settings.SMTPEmail;
        m.ToAddress = QStringList{QStringLiteral("member@example.com")};
        m.Subject = QStringLiteral("Hello");
        m.Body = QStringList{QStringLiteral("line one"), QStringLiteral("line two")};
    }
};

// One message as the server received it.
struct Transcript {
    QByteArrayList commands; // command lines before the message content, HELO included
    QByteArrayList header;   // header lines; a folded line keeps its CR LF and blank
    QByteArray body;         // the bytes between the header's blank line and the final "."
    QByteArrayList after;    // command lines after the final "."
    bool hasContent = false;

    QByteArray headerValue(const QByteArray &name) const {
        for (const QByteArray &line : header) {
            if (line.startsWith(name + ": ")) {
                return line.mid(name.size() + 2);
            }
        }
        return {};
    }
    bool hasHeader(const QByteArray &name) const {
        for (const QByteArray &line : header) {
            if (line.startsWith(name + ":")) {
                return true;
            }
        }
        return false;
    }

    static QByteArrayList lines(const QByteArray &text) {
        QByteArrayList out = text.split('\n');
        for (QByteArray &l : out) {
            l.chop(l.endsWith('\r') ? 1 : 0);
        }
        if (!out.isEmpty() && out.last().isEmpty()) {
            out.removeLast();
        }
        return out;
    }

    static Transcript of(const QByteArray &received) {
        Transcript t;
        const qsizetype data = received.indexOf("DATA\r\n");
        if (data < 0) {
            t.commands = lines(received);
            return t;
        }
        t.commands = lines(received.left(data + 6));
        const QByteArray rest = received.mid(data + 6);
        const qsizetype headerEnd = rest.indexOf("\r\n\r\n");
        if (headerEnd < 0) {
            return t;
        }
        t.hasContent = true;
        for (const QByteArray &line : rest.left(headerEnd).split('\n')) {
            const QByteArray l = line.endsWith('\r') ? line.chopped(1) : line;
            if (l.startsWith(' ') && !t.header.isEmpty()) {
                t.header.last().append("\r\n" + l);
            } else {
                t.header.append(l);
            }
        }
        const QByteArray content = rest.mid(headerEnd + 4);
        const qsizetype end = content.indexOf("\r\n.\r\n");
        t.body = end < 0 ? content : content.left(end + 2);
        if (end >= 0) {
            t.after = lines(content.mid(end + 5));
        }
        return t;
    }
};

} // namespace corvane
