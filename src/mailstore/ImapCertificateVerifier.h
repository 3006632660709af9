// Decides whether the IMAP server's certificate is trusted: signed through the system's root certificates and
// issued for the host name connected to, or else exactly the one certificate the settings trust by its SHA-256
// fingerprint.
#pragma once

#include <QString>
#include <memory>
#include <vmime/security/cert/certificateVerifier.hpp>

namespace corvane {

class ImapCertificateVerifier : public vmime::security::cert::certificateVerifier {
public:
    // `rootDirectory` holds the trusted root certificates ("*.pem", "*.crt"); `fingerprint` is lower-case hex
    // or empty.
    ImapCertificateVerifier(QString rootDirectory, QString fingerprint);

    // Returns when the chain is trusted, else throws vmime's certificate exception with the reason.
    void verify(std::shared_ptr<vmime::security::cert::certificateChain> chain, const vmime::string &hostname) override;

    // How the last accepted chain was trusted.
    QString trust() const { return m_trust; }
    // The SHA-256 fingerprint of the last server certificate seen, lower-case hex.
    QString seenFingerprint() const { return m_seen; }

private:
    QString m_rootDirectory;
    QString m_fingerprint;
    QString m_trust;
    QString m_seen;
};

} // namespace corvane
