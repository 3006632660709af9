// The DNS wire format for the relay library's own resolver: one query (a name and a record type) and the
// records of an answer that the relay uses (MX, A, AAAA, following CNAME). Answers are hostile input: every
// read is bounds-checked, name compression may only point backwards (so it cannot loop), and an answer that
// does not match its query is refused.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <optional>

namespace corvane::relay {

class DnsMessage {
public:
    enum Type : quint16 { A = 1, CName = 5, Mx = 15, Aaaa = 28 };
    enum RCode : int { NoError = 0, FormErr = 1, ServFail = 2, NxDomain = 3, NotImp = 4, Refused = 5 };

    struct MxRecord {
        quint16 preference = 0;
        // The mail server's host name without the final dot; empty for the root (a null MX).
        QByteArray exchange;
    };

    struct Answer {
        int rcode = NoError;
        // The records of the queried type for the name (or for the end of its CNAME chain).
        QList<MxRecord> mx;
        QList<QHostAddress> addresses;
    };

    // The query packet for `name` (ASCII host name, without the final dot) and `type`, recursion desired.
    static QByteArray query(quint16 id, const QByteArray &name, Type type);

    // Reads `packet` as the answer to query(id, name, type). Nothing, with the reason in `error`, when the
    // packet is cut short, malformed, truncated by the server (TC), not an answer, for another id or
    // question, or a compressed name loops or runs past 255 bytes.
    static std::optional<Answer> parse(QByteArrayView packet, quint16 id, const QByteArray &name, Type type,
                                       QString &error);

    // Reads the (possibly compressed) name at `offset` into `name` (labels joined by ".", lower case kept as
    // sent) and moves `offset` past it. False when the name is malformed; see parse().
    static bool readName(QByteArrayView packet, qsizetype &offset, QByteArray &name, QString &error);

    // The text of an RCODE for error messages ("server failure", "refused", ...).
    static QString rcodeText(int rcode);
};

} // namespace corvane::relay
