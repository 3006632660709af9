// The send dialog's life, the send job, the test message and the send-error dialog.
#include "send/TdlgSendMail.h"

#include "base/AppPaths.h"
#include "base/BusyCursor.h"
#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "db/TdmML.h"
#include "send/MessageFiles.h"
#include "send/MessageMerge.h"
#include "send/PromptSendDelay.h"
#include "send/PromptSendError.h"
#include "send/SMTPConnection.h"
#include "settings/Settings.h"

#include <QElapsedTimer>

namespace corvane {

namespace {

// In the many-recipients mode progress is shown for the first row of every message and otherwise at most
// this often.
constexpr qint64 kProgressMs = 200;

} // namespace

TdlgSendMail::TdlgSendMail(TdmML &dm, Settings &settings, UserPrompt &prompt, bool debugMode, QObject *parent)
    : QObject(parent), m_dm(dm), m_settings(settings), m_prompt(prompt), m_debug(debugMode),
      m_recipients(dm.tblML(), dm.tblTemp(), prompt), m_transports(settings, prompt, m_draft, m_addRecip, m_log),
      m_defaultDelay(std::make_unique<PromptSendDelay>(prompt)),
      m_defaultError(std::make_unique<PromptSendError>(prompt)) {
    m_delay = m_defaultDelay.get();
    m_errorPrompt = m_defaultError.get();
    m_transports.setSendError([this](const QString &text) { ShowSendError(text); });
    m_transports.setRelayLibrary(&m_relay);
    m_transports.setDebugMode(debugMode);
    m_dm.CreateTemporaryTables();
    try {
        // The job walks its recipients by address.
        if (m_dm.tblTemp().isOpen()) {
            m_dm.tblTemp().setIndexFieldNames(QStringLiteral("Email"));
        }
    } catch (const std::exception &) {
        // Key order then; the recipients are the same.
    }
}

TdlgSendMail::~TdlgSendMail() {
    m_dm.DestroyTemporaryTables();
    if (m_settings.EmailMethod == 4 && !m_relay.FreeSMTPServerDLL()) {
        m_prompt.message(UserPrompt::Kind::Information, SMTPServerLibrary::kNoLibrary, UserPrompt::Ok);
    }
}

bool TdlgSendMail::btnsendClick(Settings &settings, UserPrompt &prompt) {
    if (settings.EmailMethod != -1) {
        return true;
    }
    if (prompt.message(UserPrompt::Kind::Information, kMethodNotChosen, UserPrompt::Ok | UserPrompt::Cancel) !=
        UserPrompt::Ok) {
        return false;
    }
    settings.EmailMethod = 0;
    return true;
}

SMTPConnection &TdlgSendMail::connection() {
    if (!m_connection) {
        m_connection = std::make_unique<SMTPConnection>(m_settings, m_prompt);
        m_connection->setSendLog([this](const QString &line) { m_log.add(line); });
        m_connection->setSendError([this](const QString &text) { ShowSendError(text); });
        m_transports.setConnection(m_connection.get());
    }
    return *m_connection;
}

void TdlgSendMail::addDefaultToAddress() {
    if (!m_settings.DefaultToAddress.isEmpty() && m_settings.EmailMethod != 4) {
        m_addRecip.addTo(m_settings.DefaultToAddress);
    }
}

void TdlgSendMail::FormShow(const QString &includeText, bool includeOn) {
    if (m_settings.EmailMethod == 4) {
        if (!m_relay.OpenSMTPServerDLL(AppPaths::applicationDirectory())) {
            m_prompt.message(UserPrompt::Kind::Warning, SMTPServerLibrary::kLoadWarning, UserPrompt::Ok);
            m_settings.EmailMethod = 0;
        }
    }
    if (m_settings.EmailMethod == 4 && m_settings.SendCount != 1) {
        m_prompt.message(UserPrompt::Kind::Information, kRelayIndividual, UserPrompt::Ok);
        m_settings.SendCount = 1;
    }
    m_recipients.setEdtfilter(includeText);
    if (includeOn) {
        m_recipients.setChoice(RecipientChoice::Choice::Filter);
    }
    m_draft.body =
        MessageMerge::PlaceSignature(m_draft.body, m_settings.AddSignaturePrior.checked, m_settings.Signature);
    m_draft.html = m_settings.chkhtmlchecked;
    m_recipients.rdballClick();
}

bool TdlgSendMail::FormKeyPressEscape() {
    return m_prompt.message(UserPrompt::Kind::Confirmation, kCloseQuestion, UserPrompt::Yes | UserPrompt::No) ==
           UserPrompt::Yes;
}

void TdlgSendMail::BitBtn1Click() {
    m_prompt.setCancelRequested(true);
    m_prompt.beep();
}

void TdlgSendMail::FormClose() {
    MessageFiles::DeletePreviewFile(previewFile);
    previewFile.clear();
    try {
        if (m_dm.tblML().isOpen()) {
            m_dm.tblML().setFiltered(false);
        }
    } catch (const std::exception &) {
        // The main window puts its own filter back afterwards.
    }
    m_settings.chkhtmlchecked = m_draft.html;
}

void TdlgSendMail::setPersonalised(bool on) {
    if (m_draft.personalised != on) {
        m_draft.personalised = on;
        m_recipients.markStale();
    }
}

bool TdlgSendMail::GetSalutationCheck(bool rescan) {
    if (rescan) {
        setPersonalised(MessageMerge::containsFields(m_draft.body));
    }
    if (m_settings.SendCount == 1 || !m_draft.personalised) {
        return true;
    }
    if (m_prompt.message(UserPrompt::Kind::Confirmation, kSalutationQuestion, UserPrompt::Yes | UserPrompt::No) !=
        UserPrompt::Yes) {
        return false;
    }
    m_settings.SendCount = 1;
    return true;
}

bool TdlgSendMail::InsertSalutationClick() {
    setPersonalised(true);
    return GetSalutationCheck(false);
}

QString TdlgSendMail::methodPhrase(int method) {
    switch (method) {
    case 1:
        return QStringLiteral("to your Outlook Outbox");
    case 2:
        return QStringLiteral("to Outlook (viewable in the Drafts folder).  Click Send/Receive in Outlook to commence "
                              "delivery of the mail.");
    case 3:
        return QStringLiteral("via your ISP's SMTP server");
    case 4:
        return QStringLiteral("via the CVN SMTP Relay Server");
    default:
        return QStringLiteral("to your default e-mail software");
    }
}

void TdlgSendMail::cancelConfirmation() {
    const bool yes = m_prompt.message(UserPrompt::Kind::Confirmation, kCancelQuestion,
                                      UserPrompt::Yes | UserPrompt::No) == UserPrompt::Yes;
    m_prompt.setCancelRequested(yes);
}

void TdlgSendMail::ShowSendError(const QString &text) {
    if (m_hideErrors || m_errorPrompt == nullptr) {
        return;
    }
    const SendErrorPrompt::Answer answer = m_errorPrompt->showSendError(text);
    if (answer.abortPressed) {
        cancelConfirmation();
    }
    m_hideErrors = answer.hideFurther;
}

void TdlgSendMail::reportStatus() {
    if (m_status) {
        m_status(m_state);
    }
}

void TdlgSendMail::closeConnection() {
    if (m_connection && m_settings.EmailMethod == 3) {
        m_connection->SMTPDisconnect();
    }
}

void TdlgSendMail::WaitStagger() {
    if (m_settings.StaggerDelay.spin < 1 || m_skipAllDelays || m_delay == nullptr) {
        return;
    }
    int remaining = m_settings.StaggerDelay.spin;
    m_delay->openDelay(remaining);
    for (;;) {
        const SendDelayPrompt::Event event = m_delay->waitEvent();
        if (event == SendDelayPrompt::Event::Skip) {
            break;
        }
        if (event == SendDelayPrompt::Event::SkipAll) {
            m_skipAllDelays = true;
            break;
        }
        if (event == SendDelayPrompt::Event::Cancel) {
            cancelConfirmation();
            break;
        }
        --remaining;
        if (remaining < 0 || m_prompt.cancelRequested()) {
            break;
        }
        m_delay->showRemaining(remaining);
    }
    m_delay->closeDelay();
}

void TdlgSendMail::SendBatch(const QString &fullName, const QString &salutation, const QString &address) {
    if (!m_firstMessage && m_settings.StaggerDelay.checked) {
        WaitStagger();
    }
    m_firstMessage = false;
    const bool ok = m_settings.SendCount == 1 ? m_transports.SendMail(fullName, salutation, address)
                                              : m_transports.SendMail(QString(), QString(), QString());
    if (m_transports.lastDeclined()) {
        // Cancelled at the HTML question: this message's recipients were not sent to.
        const QStringList unsent = m_settings.SendCount == 1 ? QStringList{address} : m_transports.lbBCC;
        for (const QString &recipient : unsent) {
            if (!recipient.isEmpty()) {
                m_log.add(QStringLiteral("Not sent, cancelled: ") + recipient);
            }
        }
        m_log.flush();
    } else {
        ++(ok ? m_state.messagesSent : m_state.messagesFailed);
    }
    m_transports.lbBCC.clear();
    m_batchCount = 0;
    reportStatus();
}

// Walks tblTemp in its order, gathering rows into messages. A cancel confirmed at any point stops the walk
// before the row at which it is noticed goes out; the recipients gathered for the message not yet handed
// over are named in the log instead of being sent.
void TdlgSendMail::runRows(qint64 total) {
    SqliteTable &temp = m_dm.tblTemp();
    const int email = temp.fieldIndex(QStringLiteral("Email"));
    const int name = temp.fieldIndex(QStringLiteral("Name"));
    const int salutation = temp.fieldIndex(QStringLiteral("Salutation"));
    QElapsedTimer shown;
    shown.start();
    bool cancelled = false;
    temp.first();
    while (!temp.eof()) {
        const QString address = temp.field(email).toString();
        const bool single = m_settings.SendCount == 1;
        if (single) {
            m_addRecip.setTo(m_toCopy);
            if (!address.isEmpty()) {
                m_addRecip.addTo(address);
            }
        } else if (!address.isEmpty()) {
            m_transports.lbBCC.append(address);
        }
        ++m_batchCount;
        if (single || m_batchCount == 1 || shown.elapsed() >= kProgressMs) {
            m_prompt.showProgress(static_cast<int>((m_state.processed + 1) * 100 / std::max<qint64>(total, 1)),
                                  QStringLiteral("Sending e-mail to ") + address, true);
            shown.restart();
        }
        if (m_prompt.cancelRequested()) {
            cancelled = true;
            break;
        }
        if (single || m_batchCount >= m_settings.SendCount) {
            SendBatch(temp.field(name).toString(), temp.field(salutation).toString(), address);
        }
        ++m_state.processed;
        temp.next();
    }
    if (cancelled) {
        QStringList unsent = m_transports.lbBCC;
        if (m_settings.SendCount == 1) {
            m_addRecip.setTo(m_toCopy);
            const QString address = temp.field(email).toString();
            if (!address.isEmpty()) {
                unsent << address;
            }
        }
        for (const QString &address : unsent) {
            m_log.add(QStringLiteral("Not sent, cancelled: ") + address);
        }
        m_log.flush();
        m_transports.lbBCC.clear();
        m_batchCount = 0;
    } else if (!m_transports.lbBCC.isEmpty()) {
        SendBatch(QString(), QString(), QString());
    }
}

bool TdlgSendMail::Button2Click() {
    if (!GetSalutationCheck(true)) {
        return false;
    }
    m_hideErrors = false;
    if (m_draft.subject.isEmpty() || m_draft.body.size() < 3) {
        if (m_prompt.message(UserPrompt::Kind::Confirmation, kEmptyQuestion, UserPrompt::Yes | UserPrompt::No) !=
            UserPrompt::Yes) {
            return false;
        }
    }
    m_log.start(m_settings.SendLog, AppPaths::applicationDirectory() + SendLog::kFileName);
    const bool smtp = m_settings.EmailMethod == 3;
    if (smtp && !connection().SMTPConnect()) {
        m_log.finish();
        return false;
    }
    if (m_recipients.stale()) {
        m_recipients.btnrecalcClick(m_draft.personalised);
        if (m_recipients.stale()) {
            if (smtp) {
                closeConnection();
            }
            m_log.finish();
            m_prompt.message(UserPrompt::Kind::Warning, kNotGenerated, UserPrompt::Ok);
            return false;
        }
    }
    m_skipAllDelays = false;
    m_firstMessage = true;
    m_toCopy = m_addRecip.lbTo();
    m_transports.lbBCC.clear();
    m_batchCount = 0;
    m_state = Status();
    m_prompt.setCancelRequested(false);
    m_running = true;
    bool completed = false;
    try {
        const qint64 total = m_dm.tblTemp().recordCount();
        m_state.total = total;
        m_log.add(QStringLiteral("Commencing send to ") + QString::number(total) + QStringLiteral(" recipients"));
        runRows(total);
        m_log.add(QString());
        m_log.add(QStringLiteral("Send to ") + QString::number(m_state.processed) +
                  QStringLiteral(" recipients has been completed"));
        if (smtp) {
            m_connection->SMTPDisconnect();
        }
        m_log.finish();
        reportStatus();
        m_prompt.hideProgress();
        if (m_settings.SendLog && m_log.failed()) {
            m_prompt.message(
                UserPrompt::Kind::Warning,
                QStringLiteral("The send log could not be written to %1: %2").arg(m_log.path(), m_log.errorString()),
                UserPrompt::Ok);
        }
        if (m_debug) {
            m_prompt.message(UserPrompt::Kind::Information, kLogSaved, UserPrompt::Ok);
        }
        m_prompt.message(UserPrompt::Kind::Information,
                         QStringLiteral("Your e-mails to ") + QString::number(m_state.processed) +
                             QStringLiteral(" recipients have been sent ") + methodPhrase(m_settings.EmailMethod) +
                             QLatin1Char('.'),
                         UserPrompt::Ok);
        completed = true;
    } catch (const std::exception &) {
        m_prompt.hideProgress();
        m_prompt.message(UserPrompt::Kind::Warning, kSendError, UserPrompt::Ok);
    }
    // Whatever happened: the progress window goes, the To list is the person's own again, the log is on disk
    // and a connection this job opened is closed.
    m_running = false;
    m_prompt.hideProgress();
    m_addRecip.setTo(m_toCopy);
    m_transports.lbBCC.clear();
    if (smtp && m_connection && m_connection->client().Connected()) {
        m_connection->SMTPDisconnect();
    }
    m_log.finish();
    return completed;
}

void TdlgSendMail::SendTestClick() {
    m_hideErrors = false;
    if (!GetSalutationCheck(true)) {
        return;
    }
    const int method = m_settings.EmailMethod;
    if (method != 3 && method != 4) {
        m_transports.SendMail(MailTransports::kTestName, MailTransports::kTestName, MailTransports::kTestAddress);
        return;
    }
    BusyCursor busy(m_prompt);
    if (method == 3 && !connection().SMTPConnect()) {
        return;
    }
    QString address;
    if (m_prompt.inputText(kTestCaption, kTestLabel, address) && !address.trimmed().isEmpty()) {
        const QStringList before = m_addRecip.lbTo();
        m_addRecip.addTo(address.trimmed());
        try {
            m_transports.SendMail(MailTransports::kTestName, MailTransports::kTestName, MailTransports::kTestAddress);
        } catch (const std::exception &) {
            m_addRecip.setTo(before);
            if (method == 3) {
                connection().SMTPDisconnect();
            }
            throw;
        }
        m_addRecip.setTo(before);
        if (method == 3) {
            connection().SMTPDisconnect();
        }
        m_prompt.message(UserPrompt::Kind::Information, kTestDone, UserPrompt::Ok);
        return;
    }
    if (method == 3) {
        connection().SMTPDisconnect();
    }
}

} // namespace corvane
