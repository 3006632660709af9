// The IMAP account a store reaches: host, port, how the connection is secured, the user and password, the one
// certificate trusted by its fingerprint, and how long a silent server is waited for.
#pragma once

#include <QString>

namespace corvane {

struct ImapAccount {
    enum class Security { Tls, StartTls, None };

    QString host;
    // 0: the security's usual port (993 for TLS on connect, else 143).
    int port = 0;
    Security security = Security::Tls;
    QString user;
    QString password;
    // SHA-256 of the server certificate's DER form (hex digits, ":" and blanks ignored); empty: none trusted
    // beyond the system roots.
    QString trustedFingerprint;
    // Where the root certificates are read from (every "*.pem" and "*.crt" file of the directory).
    QString rootCertificates = QStringLiteral("/etc/ssl/certs");
    // Seconds of silence after which an operation fails instead of waiting on.
    int timeoutSeconds = 60;

    int effectivePort() const { return port > 0 ? port : (security == Security::Tls ? 993 : 143); }
    // The account as "user@host:port" for messages and for the store's identity.
    QString identity() const {
        return user + QLatin1Char('@') + host + QLatin1Char(':') + QString::number(effectivePort());
    }
    // The fingerprint as lower-case hex digits only.
    QString normalizedFingerprint() const {
        QString hex;
        for (const QChar c : trustedFingerprint) {
            if (c.isLetterOrNumber())
                hex.append(c.toLower());
        }
        return hex;
    }
};

} // namespace corvane
