// The relay library of the direct-sending method: "libSMTPServer.so" ("SMTPServer.dll" on Windows) loaded
// from the application directory while the send dialog lives, and its entry "SendMail", which delivers one
// message to one recipient itself, looking up the recipient domain's mail servers through a DNS server.
#pragma once

#include <QLibrary>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

namespace corvane {

class SMTPServerLibrary {
public:
    // The entry "SendMail": DNS server, DNS time-out (its low 16 bits), sender address, sender name,
    // recipient address, subject (zero-terminated UTF-8 texts), body lines, HTML flag, attachment paths, and
    // the error text, cleared by the caller and filled by the library. Returns 0 when sent, 4 or 5 when the
    // recipient's domain is bad, anything else on failure.
    using SendMailEntry = int (*)(const char *dnsHost, qint16 dnsTimeOut, const char *fromAddress, const char *fromName,
                                  const char *toAddress, const char *subject, const QStringList *body, bool html,
                                  const QStringList *attachments, QString *error);

    static inline const QString kLoadWarning = QStringLiteral(
        "An error was encountered loading the SMTP Server DLL, SMTPServer.dll, in your Corvane directory!\r\n\r\n"
        "The file comes with Corvane's relay server package: install that package, or copy the library "
        "libSMTPServer.so (SMTPServer.dll on Windows) into the Corvane directory, and open the send dialog "
        "again.\r\n\r\nCVN will change to the default MAPI sending method.");
    static inline const QString kNoLibrary = QStringLiteral("no dll");

    // The library's file name on this platform.
    static QString fileName();

    // Loads the library from `directory` (the application directory, with its trailing separator) and
    // resolves "SendMail". False, with nothing loaded, when either fails; errorString() then says why.
    bool OpenSMTPServerDLL(const QString &directory);
    // Releases the library. False when none was loaded.
    bool FreeSMTPServerDLL();
    bool loaded() const { return m_entry != nullptr; }
    QString errorString() const { return m_error; }

    // Calls "SendMail" (see SendMailEntry). Raises CorvaneError when no library is loaded.
    int SendMail(const QString &dnsHost, int dnsTimeOut, const QString &fromAddress, const QString &fromName,
                 const QString &toAddress, const QString &subject, const QStringList &body, bool html,
                 const QStringList &attachments, QString &error) const;

private:
    std::unique_ptr<QLibrary> m_library;
    SendMailEntry m_entry = nullptr;
    QString m_error;
};

} // namespace corvane
