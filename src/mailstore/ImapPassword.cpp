// The IMAP account's password sources: the shared password lookup with the IMAP names.
#include "mailstore/ImapPassword.h"

#include "mailstore/SecretPassword.h"

namespace corvane {

QString ImapPassword::lookup(const QString &passwordFile, const QString &user, const QString &host) {
    return SecretPassword::lookup(SecretPassword::imap(), passwordFile, user, host);
}

QString ImapPassword::fromFile(const QString &path) {
    return SecretPassword::fromFile(SecretPassword::imap(), path);
}

QString ImapPassword::fromSecretStore(const QString &user, const QString &host) {
    return SecretPassword::fromSecretStore(SecretPassword::imap(), user, host);
}

ImapPassword::SecretWriter &ImapPassword::secretWriter() {
    static SecretWriter writer;
    return writer;
}

void ImapPassword::toSecretStore(const QString &user, const QString &host, const QString &password) {
    if (secretWriter()) {
        secretWriter()(user, host, password);
        return;
    }
    SecretPassword::toSecretStore(SecretPassword::imap(), user, host, password);
}

} // namespace corvane
