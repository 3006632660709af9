// A composed mail item: a new message (CreateItem 0), a reply or a forward. Holds subject, plain or HTML body,
// recipients, attachments and the read-receipt flag; Send() hands it to the store's submission program and
// files a copy in "Sent Items", display() files it in "Drafts" and opens it for the person.
#pragma once

#include "mailstore/MailAttachments.h"
#include "mailstore/MailBackend.h"
#include "mailstore/MailRecipients.h"
#include "mailstore/MimeComposer.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace corvane {

class MailDraft {
public:
    explicit MailDraft(std::shared_ptr<MailBackend> store);

    QString Subject() const { return m_subject; }
    // Raises when the subject holds a line break.
    void setSubject(const QString &subject);
    // The plain-text body; for an HTML message its text.
    QString Body() const;
    // Makes the message plain text with `body` (line ends "\n" or "\r\n").
    void setBody(const QString &body);
    // The HTML body; empty for a plain-text message.
    QString HTMLBody() const { return m_html; }
    // Makes the message HTML with `html`; its plain-text alternative is derived from it.
    void setHTMLBody(const QString &html);

    MailRecipients &Recipients() { return m_recipients; }
    const MailRecipients &Recipients() const { return m_recipients; }
    // Resolves every recipient; true when all could be resolved.
    bool resolveall() { return m_recipients.resolveAll(); }

    bool ReadReceiptRequested() const { return m_readReceipt; }
    void setReadReceiptRequested(bool requested) { m_readReceipt = requested; }

    MailAttachments &Attachments() { return m_attachments; }
    const MailAttachments &Attachments() const { return m_attachments; }

    // The message this one answers, for the In-Reply-To and References headers ("<id>" forms).
    void setInReplyTo(const QByteArray &messageId, const QByteArray &references);

    // Adds the header field `name` with `value` (for example "Auto-Submitted"), replacing an earlier value
    // given for the same name. Raises when the name is not a header field name or the value holds a line
    // break.
    void setHeaderField(const QByteArray &name, const QString &value);

    // Hands the message to the submission program with every To, CC and BCC address after "--", then files
    // a read copy in "Sent Items" (created when missing). Raises, with nothing filed, when there is no
    // recipient, a recipient is not an e-mail address, the program cannot be started, runs past its time
    // limit or ends with a failure (its error output is the message). Raises when the copy cannot be filed
    // after a successful hand-over, saying so.
    void Send();
    // Files the message in "Drafts" (created when missing) as a draft and opens a copy of it ("*.eml" in a
    // folder of the user's in the temporary folder) with the display program. Raises when it cannot be built
    // or filed, or the display program cannot be started.
    void display();

private:
    // The message as it is filed and as it is submitted (see MimeComposer). Resolves the recipients first.
    // Raises when a recipient is not an e-mail address or an attachment cannot be read.
    MimeComposer::Composed compose();

    std::shared_ptr<MailBackend> m_store;
    QString m_subject;
    QString m_body;
    QString m_html;
    bool m_readReceipt = false;
    QByteArray m_inReplyTo;
    QByteArray m_references;
    std::vector<std::pair<QByteArray, QString>> m_extraFields;
    MailRecipients m_recipients;
    MailAttachments m_attachments;
};

} // namespace corvane
