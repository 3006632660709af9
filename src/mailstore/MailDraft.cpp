// Composing, sending and showing a new message, reply or forward.
#include "mailstore/MailDraft.h"

#include "base/CorvaneError.h"
#include "mailstore/HtmlText.h"
#include "mailstore/SubmissionProgram.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <unistd.h>

namespace corvane {

namespace {

const QString kSentItems = QStringLiteral("Sent Items");
const QString kDrafts = QStringLiteral("Drafts");

} // namespace

MailDraft::MailDraft(std::shared_ptr<MailBackend> store) : m_store(std::move(store)) {}

void MailDraft::setSubject(const QString &subject) {
    if (subject.contains(QLatin1Char('\r')) || subject.contains(QLatin1Char('\n')))
        throw CorvaneError(QStringLiteral("A subject may not contain a line break."));
    m_subject = subject;
}

QString MailDraft::Body() const {
    return m_html.isEmpty() ? m_body : HtmlText::toPlainText(m_html);
}

void MailDraft::setBody(const QString &body) {
    m_body = body;
    m_html.clear();
}

void MailDraft::setHTMLBody(const QString &html) {
    m_html = html;
    m_body.clear();
}

void MailDraft::setInReplyTo(const QByteArray &messageId, const QByteArray &references) {
    m_inReplyTo = messageId;
    m_references = references;
}

void MailDraft::setHeaderField(const QByteArray &name, const QString &value) {
    const bool nameOk = !name.isEmpty() && std::all_of(name.begin(), name.end(),
                                                       [](char ch) { return ch > ' ' && ch < 127 && ch != ':'; });
    if (!nameOk)
        throw CorvaneError(QStringLiteral("\"%1\" is not a header field name.").arg(QString::fromLatin1(name)));
    if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n')) || value.contains(QChar(0)))
        throw CorvaneError(
            QStringLiteral("The header field %1 cannot hold a line break.").arg(QString::fromLatin1(name)));
    for (auto &field : m_extraFields) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0) {
            field.second = value;
            return;
        }
    }
    m_extraFields.emplace_back(name, value);
}

MimeComposer::Composed MailDraft::compose() {
    for (int i = 1; i <= m_recipients.Count(); ++i) {
        MailRecipient &recipient = m_recipients.Item(i);
        if (!recipient.Resolved() && !recipient.Resolve())
            throw CorvaneError(QStringLiteral("\"%1\" is not an e-mail address.").arg(recipient.Address()));
    }
    MimeComposition c;
    c.senderName = m_store->submission().senderName;
    c.senderAddress = m_store->submission().senderAddress;
    for (int i = 1; i <= m_recipients.Count(); ++i)
        c.recipients.push_back(m_recipients.Item(i));
    c.subject = m_subject;
    c.plainBody = Body();
    c.htmlBody = m_html;
    c.attachments = m_attachments.all();
    c.readReceipt = m_readReceipt;
    c.inReplyTo = m_inReplyTo;
    c.references = m_references;
    c.extraFields = m_extraFields;
    return MimeComposer::compose(c);
}

void MailDraft::Send() {
    if (m_recipients.Count() == 0)
        throw CorvaneError(QStringLiteral("There must be at least one recipient to send a message to."));
    const MimeComposer::Composed message = compose();
    QStringList addresses;
    for (int i = 1; i <= m_recipients.Count(); ++i)
        addresses << m_recipients.Item(i).Address();
    SubmissionProgram::submit(m_store->submission(), addresses, message.submitted);
    try {
        m_store->deliver(m_store->ensureTopLevelFolder(kSentItems), message.filed, QStringLiteral("S"));
    } catch (const CorvaneError &e) {
        throw CorvaneError(QStringLiteral("The message was sent, but its copy could not be filed in \"%1\": %2")
                               .arg(kSentItems, e.message()));
    }
}

void MailDraft::display() {
    const QByteArray draft = compose().filed;
    const StoredEntry entry = m_store->deliver(m_store->ensureTopLevelFolder(kDrafts), draft, QStringLiteral("DS"));
    // One folder per user, so that nobody else's folder of the same name stands in the way.
    const QString dir = QDir::tempPath() + QStringLiteral("/corvane-drafts-") + QString::number(::getuid());
    QDir().mkpath(dir);
    QFile copy(dir + QLatin1Char('/') + entry.unique + QStringLiteral(".eml"));
    if (!copy.open(QIODevice::WriteOnly) || copy.write(draft) != draft.size())
        throw CorvaneError(QStringLiteral("The message cannot be written to %1 to be shown.").arg(copy.fileName()));
    copy.close();
    SubmissionProgram::display(m_store->submission(), copy.fileName());
}

} // namespace corvane
