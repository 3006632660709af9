// Loading and calling the relay library.
#include "send/SMTPServerLibrary.h"

#include "base/CorvaneError.h"

namespace corvane {

QString SMTPServerLibrary::fileName() {
#ifdef Q_OS_WIN
    return QStringLiteral("SMTPServer.dll");
#else
    return QStringLiteral("libSMTPServer.so");
#endif
}

bool SMTPServerLibrary::OpenSMTPServerDLL(const QString &directory) {
    FreeSMTPServerDLL();
    QString dir = directory;
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QLatin1Char('\\'))) {
        dir += QLatin1Char('/');
    }
    // The full path: a bare name would be looked for on the system's library path, not in Corvane's directory.
    auto library = std::make_unique<QLibrary>(dir + fileName());
    if (!library->load()) {
        m_error = library->errorString();
        return false;
    }
    auto entry = reinterpret_cast<SendMailEntry>(library->resolve("SendMail"));
    if (entry == nullptr) {
        m_error = library->errorString();
        library->unload();
        return false;
    }
    m_library = std::move(library);
    m_entry = entry;
    m_error.clear();
    return true;
}

bool SMTPServerLibrary::FreeSMTPServerDLL() {
    if (!m_library) {
        return false;
    }
    m_entry = nullptr;
    m_library->unload();
    m_library.reset();
    return true;
}

int SMTPServerLibrary::SendMail(const QString &dnsHost, int dnsTimeOut, const QString &fromAddress,
                                const QString &fromName, const QString &toAddress, const QString &subject,
                                const QStringList &body, bool html, const QStringList &attachments,
                                QString &error) const {
    if (m_entry == nullptr) {
        throw CorvaneError(QStringLiteral("The SMTP server library is not loaded."));
    }
    error.clear();
    const QByteArray dns = dnsHost.toUtf8();
    const QByteArray from = fromAddress.toUtf8();
    const QByteArray name = fromName.toUtf8();
    const QByteArray to = toAddress.toUtf8();
    const QByteArray subj = subject.toUtf8();
    return m_entry(dns.constData(), static_cast<qint16>(dnsTimeOut & 0xFFFF), from.constData(), name.constData(),
                   to.constData(), subj.constData(), &body, html, &attachments, &error);
}

} // namespace corvane
