// Test helper shared by the reader's fuzz test and its libFuzzer entry point: runs every public read path of a
// stored message and of a contact over one input and reports each broken rule: an exception other than
// CorvaneError, a control character in a one-line value or in a failure's message, a NUL in the body.
#pragma once

#include "MemoryMailStore.h"
#include "base/CorvaneError.h"
#include "mailstore/ContactItem.h"
#include "mailstore/MailItem.h"

#include <QStringList>

namespace corvane::test {

// True when `text` holds a character no one-line value may hold.
inline bool hasControlCharacter(const QString &text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029)
            return true;
    }
    return false;
}

// Every read path over `raw` as a message and as a vCard; the broken rules, none when all hold.
inline QStringList probeReader(const QByteArray &raw) {
    auto store = std::make_shared<MemoryMailStore>(raw);
    const MailItem item(store, QString(), MemoryMailStore::entry());
    const ContactItem contact(store, QString(), MemoryMailStore::entry());
    QStringList faults;
    const auto line = [&](const char *what, const QString &text) {
        if (hasControlCharacter(text))
            faults << QStringLiteral("%1 holds a control character").arg(QLatin1String(what));
    };
    const auto run = [&](const char *what, const auto &call) {
        try {
            call();
        } catch (const CorvaneError &e) {
            line(what, e.message());
        } catch (const std::exception &e) {
            faults << QStringLiteral("%1 raised %2").arg(QLatin1String(what), QString::fromLocal8Bit(e.what()));
        } catch (...) {
            faults << QStringLiteral("%1 raised an exception of no known type").arg(QLatin1String(what));
        }
    };
    const auto recipients = [&](const char *what, const MailRecipients &list) {
        for (int i = 1; i <= list.Count(); ++i) {
            line(what, list.Item(i).Name());
            line(what, list.Item(i).Address());
        }
    };
    run("body", [&] {
        if (item.body().contains(QChar(u'\0')))
            faults << QStringLiteral("body holds NUL");
    });
    run("subject", [&] { line("subject", item.subject()); });
    run("senton", [&] { item.senton(); });
    run("SenderName", [&] { line("SenderName", item.SenderName()); });
    run("SenderEmailAddress", [&] { line("SenderEmailAddress", item.SenderEmailAddress()); });
    run("Sender", [&] {
        const MailRecipient sender = item.Sender();
        line("Sender", sender.Name());
        line("Sender", sender.Address());
    });
    run("Recipients", [&] { recipients("Recipients", item.Recipients()); });
    run("Replyrecipients", [&] { recipients("Replyrecipients", item.Replyrecipients()); });
    run("reply", [&] {
        const auto draft = item.reply();
        line("reply subject", draft->Subject());
        recipients("reply recipients", draft->Recipients());
    });
    run("forward", [&] {
        const auto draft = item.forward();
        line("forward subject", draft->Subject());
        for (int i = 1; i <= draft->Attachments().Count(); ++i)
            line("attachment name", draft->Attachments().Item(i).displayName);
    });
    run("Email1Address", [&] { line("Email1Address", contact.Email1Address()); });
    run("FullName", [&] { line("FullName", contact.FullName()); });
    return faults;
}

} // namespace corvane::test
