// Verifying the IMAP server's certificate against the system roots or the one trusted fingerprint.
#include "mailstore/ImapCertificateVerifier.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <vmime/security/cert/X509Certificate.hpp>
#include <vmime/security/cert/certificateChain.hpp>
#include <vmime/security/cert/certificateNotTrustedException.hpp>
#include <vmime/security/cert/defaultCertificateVerifier.hpp>

namespace corvane {

namespace {

using vmime::security::cert::X509Certificate;

// Every certificate of the files in `directory`; files that hold none are passed over.
std::vector<std::shared_ptr<X509Certificate>> rootsIn(const QString &directory) {
    std::vector<std::shared_ptr<X509Certificate>> roots;
    const QDir dir(directory);
    for (const QString &name : dir.entryList({QStringLiteral("*.pem"), QStringLiteral("*.crt")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly) || file.size() > 1024 * 1024)
            continue;
        const QByteArray data = file.readAll();
        try {
            if (auto cert = X509Certificate::import(reinterpret_cast<const vmime::byte_t *>(data.constData()),
                                                    static_cast<size_t>(data.size())))
                roots.push_back(cert);
        } catch (const std::exception &) {
        }
    }
    return roots;
}

} // namespace

ImapCertificateVerifier::ImapCertificateVerifier(QString rootDirectory, QString fingerprint)
    : m_rootDirectory(std::move(rootDirectory)), m_fingerprint(std::move(fingerprint)) {}

void ImapCertificateVerifier::verify(std::shared_ptr<vmime::security::cert::certificateChain> chain,
                                     const vmime::string &hostname) {
    m_trust.clear();
    m_seen.clear();
    if (!chain || chain->getCount() == 0)
        throw vmime::security::cert::certificateNotTrustedException();
    const vmime::byteArray der = chain->getAt(0)->getEncoded();
    m_seen = QString::fromLatin1(QCryptographicHash::hash(QByteArray(reinterpret_cast<const char *>(der.data()),
                                                                     static_cast<qsizetype>(der.size())),
                                                          QCryptographicHash::Sha256)
                                     .toHex());
    // The person trusted exactly this certificate: its fingerprint stands for both the issuer and the name.
    if (!m_fingerprint.isEmpty() && m_seen == m_fingerprint) {
        m_trust = QStringLiteral("trusted fingerprint");
        return;
    }
    static const std::vector<std::shared_ptr<X509Certificate>> systemRoots = rootsIn(QStringLiteral("/etc/ssl/certs"));
    vmime::security::cert::defaultCertificateVerifier verifier;
    verifier.setX509RootCAs(m_rootDirectory == QLatin1String("/etc/ssl/certs") ? systemRoots
                                                                               : rootsIn(m_rootDirectory));
    verifier.verify(chain, hostname);
    m_trust = QStringLiteral("system roots");
}

} // namespace corvane
