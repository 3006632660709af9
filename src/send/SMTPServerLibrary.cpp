// Loading and calling the relay library.
#include "send/SMTPServerLibrary.h"

#include "base/CorvaneError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

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
    QStringList folders;
    if (QCoreApplication::instance() != nullptr) {
        folders << QCoreApplication::applicationDirPath();
    }
    folders << directory;
    QStringList problems;
    for (const QString &folder : folders) {
        // The full path: a bare name would be looked for on the system's library path, not in Corvane's folders.
        const QString path = QDir(folder).absoluteFilePath(fileName());
        if (QFileInfo::exists(path) && load(path)) {
            return true;
        }
        problems << (QFileInfo::exists(path) ? m_error : path + QStringLiteral(": no such file"));
    }
    m_error = problems.join(QStringLiteral("; "));
    return false;
}

bool SMTPServerLibrary::load(const QString &path) {
    auto library = std::make_unique<QLibrary>(path);
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
    m_headerEntry = reinterpret_cast<SetHeaderLinesEntry>(library->resolve("SetHeaderLines"));
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
    m_headerEntry = nullptr;
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
    const int timeOut = std::clamp(dnsTimeOut, 0, 0xFFFF);
    return m_entry(dns.constData(), static_cast<qint16>(static_cast<quint16>(timeOut)), from.constData(),
                   name.constData(), to.constData(), subj.constData(), &body, html, &attachments, &error);
}

bool SMTPServerLibrary::setHeaderLines(const QStringList &lines) const {
    if (m_headerEntry == nullptr) {
        return false;
    }
    return m_headerEntry(&lines) == lines.size();
}

} // namespace corvane
