// A send dialog over a real list database and the scripted SMTP server, with scripted "Send Delay" and
// "Sending Error" dialogs, for the tests of the send job.
#pragma once

#include "ScriptedSmtpServer.h"
#include "TestDatabase.h"
#include "send/SMTPConnection.h"
#include "send/SendDelayPrompt.h"
#include "send/SendErrorPrompt.h"
#include "send/TdlgSendMail.h"
#include "settings/Settings.h"

#include <QFile>
#include <QQueue>
#include <QRegularExpression>

namespace corvane {

// Ticks on demand: every waitEvent takes the next queued event (Tick when none is queued) and records it.
struct ScriptedDelay : SendDelayPrompt {
    QQueue<Event> events;
    int opened = 0;
    int waits = 0;
    QList<int> shownRemaining;
    std::function<void()> onOpen;
    void openDelay(int remaining) override {
        ++opened;
        shownRemaining << remaining;
        if (onOpen) {
            onOpen();
        }
    }
    void showRemaining(int remaining) override { shownRemaining << remaining; }
    Event waitEvent() override {
        ++waits;
        return events.isEmpty() ? Event::Tick : events.dequeue();
    }
    void closeDelay() override {}
};

struct ScriptedErrors : SendErrorPrompt {
    QStringList texts;
    QQueue<Answer> answers;
    Answer showSendError(const QString &text) override {
        texts << text;
        return answers.isEmpty() ? Answer{} : answers.dequeue();
    }
};

struct SendJobFixture {
    TestDatabase db;
    ScriptedSmtpServer server;
    Settings settings;
    ScriptedDelay delay;
    ScriptedErrors errors;
    std::unique_ptr<TdlgSendMail> dlg;

    void setUp() {
        db.setUp();
        settings.EmailMethod = 3;
        settings.SMTPHost = QStringLiteral("127.0.0.1");
        settings.SMTPPort = server.port();
        settings.SMTPID = QStringLiteral("client.test");
        settings.SMTPEmail = QStringLiteral("list@example.org");
        settings.SMTPName = QStringLiteral("List Owner");
        settings.SendLog = true;
        settings.Signature.clear();
        dlg = std::make_unique<TdlgSendMail>(*db.dm, settings, *db.prompt, false);
        dlg->setSendDelayPrompt(&delay);
        dlg->setSendErrorPrompt(&errors);
        dlg->connection().client().setTimeLimits(3000, 3000);
    }
    void tearDown() {
        dlg.reset();
        db.tearDown();
    }

    ScriptedPrompt &prompt() { return *db.prompt; }
    // Adds list entries: address, category, name, salutation.
    void member(const QString &address, const QString &category = QStringLiteral("news"),
                const QString &name = QString(), const QString &salutation = QString()) {
        db.table().appendRecord({address, category, 0, QString(), name, salutation, false});
    }
    // `count` members m01@example.com ... with names "Name NN" and salutations "SNN".
    void members(int count) {
        for (int i = 1; i <= count; ++i) {
            const QString n = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
            member(QStringLiteral("m%1@example.com").arg(n), QStringLiteral("news"), QStringLiteral("Name ") + n,
                   QStringLiteral("S") + n);
        }
    }
    void message(const QString &subject, const QString &body) {
        dlg->draft().subject = subject;
        dlg->draft().body = body;
    }
    QString logPath() const { return AppPaths::applicationDirectory() + SendLog::kFileName; }
    QByteArray logFile() const {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // What the server received with the Date and Message-ID values replaced by "DATE" and "ID".
    QByteArray received() const {
        QString text = QString::fromLatin1(server.received);
        text.replace(QRegularExpression(QStringLiteral("\r\nDate: [^\r]*")), QStringLiteral("\r\nDate: DATE"));
        text.replace(QRegularExpression(QStringLiteral("\r\nMessage-ID: [^\r]*")),
                     QStringLiteral("\r\nMessage-ID: ID"));
        return text.toLatin1();
    }
    // The RCPT addresses of every message, in order.
    QList<QStringList> rcptPerMessage() const {
        QList<QStringList> out;
        for (const QByteArray &line : server.received.split('\n')) {
            if (line.startsWith("MAIL FROM:")) {
                out.append(QStringList());
            } else if (line.startsWith("RCPT TO:<") && !out.isEmpty()) {
                out.last() << QString::fromLatin1(line.mid(9, line.indexOf('>') - 9));
            }
        }
        return out;
    }
};

} // namespace corvane
