// A request scan over a Maildir in a temporary directory: the entry rules' fixture, a Maildir store with the
// folder "MailingList", messages written into it as RFC 5322 files, a recording sender-method asker, and the
// statistics as text.
#pragma once

#include "../mailstore/MaildirFixture.h"
#include "RulesFixture.h"
#include "requests/SenderMethodAsker.h"
#include "requests/TfrmExtractentries.h"

#include <QDate>

namespace corvane::test {

class RecordingSenderAsker : public SenderMethodAsker {
public:
    bool ask(const QString &text, bool &alwaysShow) override {
        asked.append(text);
        alwaysShow = keepShowing;
        return change;
    }
    QStringList asked;
    bool change = false;
    bool keepShowing = true;
};

class ScanFixture : public RulesFixture {
public:
    ScanFixture() {
        settings.MailStore = mail.root();
        settings.MailingListGroup = QStringLiteral("MailingList");
        settings.GetSenderAddressMethod = 0;
        MaildirFixture::makeMaildir(mail.root() + QStringLiteral("/.MailingList"), true);
    }

    // A message as a file: the header fields (each "Name: value"), an empty line and the body; From, Subject,
    // Date and Message-ID are added unless `fields` names them.
    static QByteArray message(const QString &from, const QString &subject, const QString &body,
                              const QStringList &fields = {}) {
        QStringList header = fields;
        const auto has = [&](const char *name) {
            for (const QString &field : fields) {
                if (field.startsWith(QLatin1String(name) + QLatin1Char(':'), Qt::CaseInsensitive))
                    return true;
            }
            return false;
        };
        if (!has("From") && !from.isEmpty())
            header.prepend(QStringLiteral("From: ") + from);
        if (!has("Subject"))
            header.append(QStringLiteral("Subject: ") + subject);
        if (!has("Date"))
            header.append(QStringLiteral("Date: Tue, 12 Mar 2024 10:15:00 +0000"));
        header.append(QStringLiteral("Message-ID: <%1@test>").arg(++s_serial));
        return (header.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n") + body).toUtf8();
    }

    // Writes `content` as the next delivered message of `folder` (".MailingList" unless given), unread.
    QString deliver(const QByteArray &content, const QString &folder = QStringLiteral(".MailingList"),
                    const QString &subdir = QStringLiteral("new")) {
        ++m_delivered;
        const QString name = QStringLiteral("%1.M%2P1.test").arg(1700000000 + m_delivered).arg(m_delivered);
        return mail.put(folder, subdir, subdir == QLatin1String("cur") ? name + QStringLiteral(":2,S") : name, content);
    }

    TfrmExtractentries::Summary scan(bool requests = true, bool memberPosts = false,
                                     MemberPostHandler *members = nullptr) {
        TfrmExtractentries window(settings, rules, &dm.tblStats(), prompt, asker, members);
        window.onMessage = [this](const QString &line) { handled.append(line); };
        return window.OpenBtnClick(requests, memberPosts);
    }

    // Files left in the mailing-list folder: "new" and "cur" entries, unread ones marked "*".
    int filesLeft(const QString &folder = QStringLiteral(".MailingList")) const {
        return static_cast<int>(mail.filesIn(folder, QStringLiteral("new")).size() +
                                mail.filesIn(folder, QStringLiteral("cur")).size());
    }
    int unreadLeft(const QString &folder = QStringLiteral(".MailingList")) const {
        int unread = static_cast<int>(mail.filesIn(folder, QStringLiteral("new")).size());
        for (const QString &name : mail.filesIn(folder, QStringLiteral("cur")))
            unread += name.section(QLatin1String(":2,"), 1).contains(QLatin1Char('S')) ? 0 : 1;
        return unread;
    }

    // The statistics of 12 March 2024 as "subscribes|unsubscribes|bounces", "none" without a row.
    QString stats() {
        SqliteTable &table = dm.tblStats();
        for (table.first(); !table.eof(); table.next()) {
            if (table.date(QStringLiteral("Date")) == QDate(2024, 3, 12))
                return QStringLiteral("%1|%2|%3")
                    .arg(table.integer(QStringLiteral("Subscribes")))
                    .arg(table.integer(QStringLiteral("Unsubscribes")))
                    .arg(table.integer(QStringLiteral("Bounces")));
        }
        return QStringLiteral("none");
    }

    // The bounce reports counted on every day together.
    int totalBounces() {
        int total = 0;
        SqliteTable &table = dm.tblStats();
        for (table.first(); !table.eof(); table.next())
            total += table.integer(QStringLiteral("Bounces"));
        return total;
    }

    MaildirFixture mail;
    RecordingSenderAsker asker;
    QStringList handled;

private:
    int m_delivered = 0;
    static inline int s_serial = 0;
};

} // namespace corvane::test
