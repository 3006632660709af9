// One complete IMAP response as vmime's parser read it, with the few things Corvane takes from it: the
// messages of a FETCH (UID, flags, size, raw bytes), the mailboxes of a LIST, STATUS counts and the response
// codes (UIDVALIDITY, APPENDUID). What the server sends is a stranger's text: nothing is trusted beyond its form.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace vmime::net::imap {
class IMAPParser;
} // namespace vmime::net::imap

namespace corvane {

class ImapResponse {
public:
    struct Fetched {
        quint32 uid = 0;
        bool seen = false;
        bool deleted = false;
        bool hasFlags = false;
        qint64 size = -1;
        std::optional<QByteArray> raw;
    };
    struct Mailbox {
        std::string encodedName;
        char separator = 0;
        bool noSelect = false;
        // "\\Trash", "\\Sent", "\\Drafts" or empty.
        QString specialUse;
    };

    // Takes ownership of a response read by vmime's parser (its type is vmime's IMAPParser::response).
    explicit ImapResponse(void *response);
    ~ImapResponse();
    ImapResponse(const ImapResponse &) = delete;
    ImapResponse &operator=(const ImapResponse &) = delete;

    // True when the command ended in OK; the server's closing text otherwise.
    bool ok() const;
    QString statusText() const;
    // True when the response holds the server's continuation request.
    bool continuation() const;
    // True when the server said BYE.
    bool bye() const;

    // True when the response tells of messages that arrived, vanished or changed flags (EXISTS, EXPUNGE, a
    // FETCH without message bytes).
    bool mailboxChanged() const;

    std::vector<Fetched> fetched() const;
    std::vector<Mailbox> mailboxes() const;
    // The STATUS value UNSEEN, none when absent.
    std::optional<quint64> unseen() const;
    // The UIDVALIDITY code of a SELECT, 0 when absent.
    quint32 uidValidity() const;
    // The UIDVALIDITY and UID of APPENDUID, none when absent.
    std::optional<std::pair<quint32, quint32>> appendUid() const;

private:
    struct Parsed;
    std::unique_ptr<Parsed> m_parsed;
};

} // namespace corvane
