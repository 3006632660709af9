// The message being written in the send dialog: subject, body (plain text or HTML source), the HTML and
// personalisation flags and the attachment paths. The extra recipients live in TdlgAddRecip.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

struct SendDraft {
    // edtMessageSubject: sent as typed, merge fields not replaced.
    QString subject;
    // edtMessageText.
    QString body;
    // chkHTML "Message is in HTML format".
    bool html = false;
    // chkDoAddSalutation "Message contains name, date or salutation fields" (hidden).
    bool personalised = false;
    // lbAttach: full paths in the order added.
    QStringList attachments;

    // The caption of the body tab: "HTML Source" while the HTML flag is on, else "Message Body".
    QString bodyTabCaption() const { return html ? QStringLiteral("HTML Source") : QStringLiteral("Message Body"); }
};

} // namespace corvane
