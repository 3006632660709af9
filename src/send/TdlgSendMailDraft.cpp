// The send dialog's message editing: loading, pasting, the preview file, the external editor, the typed
// recipients' file and the attachment list.
#include "send/TdlgSendMail.h"

#include "base/BusyCursor.h"
#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "send/MessageFiles.h"

namespace corvane {

bool TdlgSendMail::confirmLoad() {
    return !MessageFiles::needsLoadQuestion(m_draft.body) ||
           m_prompt.message(UserPrompt::Kind::Confirmation, MessageFiles::kLoadQuestion,
                            UserPrompt::Yes | UserPrompt::No) == UserPrompt::Yes;
}

bool TdlgSendMail::loadMessage(const QString &path) {
    try {
        m_draft.body = MessageFiles::readText(path);
    } catch (const std::exception &) {
        m_prompt.message(UserPrompt::Kind::Warning, MessageFiles::kLoadError, UserPrompt::Ok);
        return false;
    }
    if (MessageFiles::isHtmlFileName(path)) {
        m_draft.html = true;
        return true;
    }
    return false;
}

bool TdlgSendMail::confirmPaste() {
    return !MessageFiles::needsLoadQuestion(m_draft.body) ||
           m_prompt.message(UserPrompt::Kind::Confirmation, MessageFiles::kPasteQuestion,
                            UserPrompt::Yes | UserPrompt::No) == UserPrompt::Yes;
}

bool TdlgSendMail::pasteMessage(const QString &text) {
    m_draft.body = text;
    if (MessageFiles::isHtmlText(text)) {
        m_draft.html = true;
        return true;
    }
    return false;
}

QString TdlgSendMail::refreshPreview() {
    BusyCursor busy(m_prompt);
    try {
        previewFile = MessageFiles::writePreview(previewFile, m_draft.body);
    } catch (const std::exception &) {
        previewFile.clear();
        m_prompt.message(UserPrompt::Kind::Warning, MessageFiles::kPreviewError, UserPrompt::Ok);
    }
    return previewFile;
}

bool TdlgSendMail::editInEditor(const std::function<bool(const QString &)> &open) {
    try {
        const QString path = MessageFiles::freeEditorFileName(MessageFiles::temporaryDirectory());
        MessageFiles::writeText(path, m_draft.body);
        if (!open || !open(path)) {
            throw CorvaneError(QStringLiteral("The editor could not be started."));
        }
        if (m_prompt.message(UserPrompt::Kind::Information, MessageFiles::kEditorOpened,
                             UserPrompt::Ok | UserPrompt::Cancel) == UserPrompt::Cancel) {
            return false;
        }
        m_draft.body = MessageFiles::readText(path);
        return true;
    } catch (const std::exception &) {
        m_prompt.message(UserPrompt::Kind::Warning, MessageFiles::kEditorError, UserPrompt::Ok);
        return false;
    }
}

bool TdlgSendMail::loadRecipients(const QString &path) {
    try {
        m_recipients.memCustom = MessageFiles::readText(path);
        return true;
    } catch (const std::exception &) {
        m_prompt.message(UserPrompt::Kind::Warning, MessageFiles::kLoadError, UserPrompt::Ok);
        return false;
    }
}

void TdlgSendMail::addAttachment(const QString &path) {
    if (!path.isEmpty()) {
        m_draft.attachments.append(path);
    }
}

bool TdlgSendMail::removeAttachment(int index) {
    if (index < 0 || index >= m_draft.attachments.size()) {
        return false;
    }
    m_draft.attachments.removeAt(index);
    return true;
}

} // namespace corvane
