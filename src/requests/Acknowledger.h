// Where the entry rules hand the outcome sentence of an e-mailed request, to be mailed back to the person
// who sent it. This base class mails nothing and records nothing; the acknowledgement mailer derives from
// it and decides from its own settings whether and how a sentence is sent.
#pragma once

#include <QString>

namespace corvane {

class Acknowledger {
public:
    virtual ~Acknowledger() = default;

    // Answers `address` with `sentence`. Must not change the list; a failure to send is the mailer's to
    // record, and anything it raises is ignored by the entry rules.
    virtual void SendAcknowledgement(const QString &address, const QString &sentence) {
        Q_UNUSED(address);
        Q_UNUSED(sentence);
    }
};

} // namespace corvane
