// The SMTP client's protected greeting: EHLO, STARTTLS or TLS from the start, the certificate check and AUTH.
#include "base/CorvaneError.h"
#include "send/TNMSMTP.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>

namespace corvane {

namespace {

QString fingerprintOf(const QSslCertificate &certificate) {
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex());
}

} // namespace

std::optional<TNMSMTP::Security> TNMSMTP::securityFromText(const QString &text) {
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("none")) {
        return Security::None;
    }
    if (word == QLatin1String("starttls")) {
        return Security::StartTls;
    }
    if (word == QLatin1String("tls")) {
        return Security::Tls;
    }
    return std::nullopt;
}

int TNMSMTP::portFor(Security security, int port) {
    if (port != 25) {
        return port;
    }
    return security == Security::StartTls ? 587 : security == Security::Tls ? 465 : port;
}

QString TNMSMTP::normalFingerprint(const QString &text) {
    QString hex = text.trimmed().toLower();
    hex.remove(QLatin1Char(':')).remove(QLatin1Char(' '));
    static const QRegularExpression sha256(QStringLiteral("^[0-9a-f]{64}$"));
    return sha256.match(hex).hasMatch() ? hex : QString();
}

// Called during the handshake with what the system's verification found. A trusted fingerprint accepts its
// certificate whatever the errors; with a fingerprint set, any other certificate is refused (see encrypt).
// Errors not ignored here make the socket end the handshake and close.
void TNMSMTP::checkCertificate(const QList<QSslError> &errors) {
    const QString actual = fingerprintOf(m_socket->peerCertificate());
    const QString trusted = normalFingerprint(TrustedFingerprint);
    if (!trusted.isEmpty() && actual == trusted) {
        m_socket->ignoreSslErrors();
        return;
    }
    QStringList problems;
    for (const QSslError &error : errors) {
        if (!problems.contains(error.errorString())) {
            problems << error.errorString();
        }
    }
    m_certificateProblem =
        problems.join(QStringLiteral("; ")) + QStringLiteral(" (its SHA-256 fingerprint is %1)").arg(actual);
}

void TNMSMTP::encrypt() {
    if (!TrustedFingerprint.trimmed().isEmpty() && normalFingerprint(TrustedFingerprint).isEmpty()) {
        failConnection(QStringLiteral("The trusted certificate fingerprint \"%1\" is not a SHA-256 fingerprint "
                                      "(64 hexadecimal digits)")
                           .arg(TrustedFingerprint));
    }
    m_certificateProblem.clear();
    QSslConfiguration configuration = m_socket->sslConfiguration();
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    configuration.setProtocol(QSsl::SecureProtocols);
    m_socket->setSslConfiguration(configuration);
    m_socket->setPeerVerifyName(Host);
    m_socket->startClientEncryption();
    const Wait wait = waitFor([this] { return m_socket->isEncrypted(); }, deadline(m_connectLimit), true);
    if (!m_certificateProblem.isEmpty()) {
        failConnection(QStringLiteral("The SMTP server's certificate is not trusted: ") + m_certificateProblem);
    }
    if (wait == Wait::Closed) {
        failConnection(QStringLiteral("The TLS handshake with the SMTP server failed: ") + m_socket->errorString());
    }
    if (wait != Wait::Ready) {
        failWait(wait, QStringLiteral("The TLS handshake with the SMTP server did not finish in time"),
                 QStringLiteral("Connection Canceled"));
    }
    const QString trusted = normalFingerprint(TrustedFingerprint);
    const QString actual = fingerprintOf(m_socket->peerCertificate());
    if (!trusted.isEmpty() && actual != trusted) {
        failConnection(QStringLiteral("The SMTP server's certificate is not trusted: its SHA-256 fingerprint %1 is "
                                      "not the trusted one, %2")
                           .arg(actual, trusted));
    }
}

std::optional<QByteArrayList> TNMSMTP::extension(const QByteArray &keyword) const {
    // The first line is the greeting; each further line one extension, its keyword and its arguments.
    for (qsizetype i = 1; i < m_replyLines.size(); ++i) {
        QByteArrayList words = m_replyLines.at(i).mid(4).simplified().toUpper().split(' ');
        // Some servers still announce "AUTH=LOGIN PLAIN".
        if (words.first().startsWith(keyword + '=')) {
            words.first() = words.first().mid(keyword.size() + 1);
            return words;
        }
        if (words.first() == keyword) {
            words.removeFirst();
            return words;
        }
    }
    return std::nullopt;
}

void TNMSMTP::greetSecurely(const QByteArray &name) {
    command("EHLO " + name);
    if (!accepted({250})) {
        if (SecurityMode == Security::StartTls || !AuthUser.isEmpty()) {
            throw CorvaneError(QStringLiteral("The SMTP server refused EHLO: ") + replyText());
        }
        command("HELO " + name);
        if (!accepted({250})) {
            emit heloRefused();
            throw CorvaneError(QStringLiteral("Authentication failed"));
        }
        return;
    }
    if (SecurityMode == Security::StartTls) {
        if (!extension("STARTTLS")) {
            throw CorvaneError(QStringLiteral("The SMTP server does not offer STARTTLS: Corvane does not send over "
                                              "an unencrypted connection when STARTTLS is chosen"));
        }
        command("STARTTLS");
        if (!accepted({220})) {
            throw CorvaneError(QStringLiteral("The SMTP server refused STARTTLS: ") + replyText());
        }
        // Anything after the 220 was sent before the encryption and would be read as if it came through it.
        if (m_socket->bytesAvailable() > 0) {
            failConnection(QStringLiteral("The SMTP server sent data after its reply to STARTTLS"));
        }
        encrypt();
        command("EHLO " + name);
        if (!accepted({250})) {
            throw CorvaneError(QStringLiteral("The SMTP server refused EHLO: ") + replyText());
        }
    }
    if (!AuthUser.isEmpty()) {
        authenticate();
    }
}

// AUTH PLAIN when offered, else AUTH LOGIN; the dialogue shows "****" for the credentials. A refusal (4xx,
// 5xx) throws with the server's reply line and leaves the connection to be closed with QUIT.
void TNMSMTP::authenticate() {
    if (!m_socket->isEncrypted()) {
        throw CorvaneError(QStringLiteral("Corvane does not send the SMTP password over an unencrypted connection: "
                                          "choose STARTTLS or TLS for this server, or no user"));
    }
    const QByteArrayList mechanisms = extension("AUTH").value_or(QByteArrayList());
    const auto refused = [this] {
        return CorvaneError(QStringLiteral("The SMTP server refused the log-in of %1: %2").arg(AuthUser, replyText()));
    };
    const QByteArray user = AuthUser.toUtf8();
    const QByteArray password = AuthPassword.toUtf8();
    if (mechanisms.contains("PLAIN")) {
        command("AUTH PLAIN " + (QByteArray(1, '\0') + user + QByteArray(1, '\0') + password).toBase64(), {},
                "AUTH PLAIN ****");
        if (!accepted({235})) {
            throw refused();
        }
        return;
    }
    if (mechanisms.contains("LOGIN")) {
        command("AUTH LOGIN");
        if (!accepted({334})) {
            throw refused();
        }
        command(user.toBase64(), {}, "****");
        if (!accepted({334})) {
            throw refused();
        }
        command(password.toBase64(), {}, "****");
        if (!accepted({235})) {
            throw refused();
        }
        return;
    }
    throw CorvaneError(QStringLiteral("The SMTP server offers neither AUTH PLAIN nor AUTH LOGIN%1")
                           .arg(mechanisms.isEmpty()
                                    ? QStringLiteral(" (no AUTH at all)")
                                    : QStringLiteral(" (only %1)").arg(QString::fromLatin1(mechanisms.join(' ')))));
}

} // namespace corvane
