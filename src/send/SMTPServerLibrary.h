// The relay library of the direct-sending method: "libSMTPServer.so" ("SMTPServer.dll" on Windows), built
// and installed with Corvane beside its programs (src/relay), loaded while the send dialog lives. Its entry
// "SendMail" delivers one message to one recipient itself, looking up the recipient domain's mail servers
// through a DNS server; the optional entry "SetHeaderLines" gives every following message extra header lines.
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
    // recipient's domain is bad, anything else on failure (the codes are listed in relay/RelayMail.h).
    using SendMailEntry = int (*)(const char *dnsHost, qint16 dnsTimeOut, const char *fromAddress, const char *fromName,
                                  const char *toAddress, const char *subject, const QStringList *body, bool html,
                                  const QStringList *attachments, QString *error);
    // The entry "SetHeaderLines": the complete header lines written after the others into every following
    // message (an empty list clears them); lines holding a line break are dropped. Returns the lines kept.
    using SetHeaderLinesEntry = int (*)(const QStringList *lines);

    static inline const QString kLoadWarning = QStringLiteral(
        "An error was encountered loading the SMTP Server DLL, SMTPServer.dll, in your Corvane directory!\r\n\r\n"
        "The library libSMTPServer.so (SMTPServer.dll on Windows) is built and installed with Corvane, beside its "
        "program. Install Corvane again, or copy the library from Corvane's build into the folder of the program "
        "or into the Corvane directory, and open the send dialog again.\r\n\r\nCVN will change to the default "
        "MAPI sending method.");
    static inline const QString kNoLibrary = QStringLiteral("no dll");

    // The library's file name on this platform.
    static QString fileName();

    // Loads the library from the folder of the running program, where Corvane installs it, else from
    // `directory` (the Corvane directory), and resolves "SendMail" (and "SetHeaderLines" when it has one).
    // False, with nothing loaded, when neither holds a library with "SendMail"; errorString() then says why.
    bool OpenSMTPServerDLL(const QString &directory);
    // Releases the library. False when none was loaded.
    bool FreeSMTPServerDLL();
    bool loaded() const { return m_entry != nullptr; }
    QString errorString() const { return m_error; }

    // Calls "SendMail" (see SendMailEntry). A time-out beyond the 16 bits is the longest there is (65535 ms)
    // rather than its low bits. Raises CorvaneError when no library is loaded.
    int SendMail(const QString &dnsHost, int dnsTimeOut, const QString &fromAddress, const QString &fromName,
                 const QString &toAddress, const QString &subject, const QStringList &body, bool html,
                 const QStringList &attachments, QString &error) const;

    // Hands `lines` to "SetHeaderLines" (see SetHeaderLinesEntry). False when no library is loaded, the
    // library has no such entry, or it dropped a line.
    bool setHeaderLines(const QStringList &lines) const;

private:
    bool load(const QString &path);

    std::unique_ptr<QLibrary> m_library;
    SendMailEntry m_entry = nullptr;
    SetHeaderLinesEntry m_headerEntry = nullptr;
    QString m_error;
};

} // namespace corvane
