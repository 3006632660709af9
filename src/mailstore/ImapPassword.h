// Where the IMAP password comes from: the environment variable CORVANE_IMAP_PASSWORD, the password file
// named in the settings (only when its owner alone may read it), or the desktop's secret store (QtKeychain:
// Secret Service, KWallet, the Windows credential store). The password never goes into the settings file.
#pragma once

#include <QString>
#include <functional>

namespace corvane {

class ImapPassword {
public:
    // The password for `user` at `host`: CORVANE_IMAP_PASSWORD when set and not empty, else the first line of
    // `passwordFile` when one is named, else the secret store's entry. Raises, saying why, when the file
    // cannot be read or others than its owner may read or write it, or when no source has a password.
    static QString lookup(const QString &passwordFile, const QString &user, const QString &host);

    // The first line of `path` (without its line end). Raises when the file is missing, unreadable, longer
    // than 4 KB, or readable or writable by its group or by others.
    static QString fromFile(const QString &path);

    // The secret store's password for `user` at `host`; empty when it has none. Raises when the store
    // cannot be reached.
    static QString fromSecretStore(const QString &user, const QString &host);
    // Keeps `password` in the secret store for `user` at `host`. Raises when the store refuses.
    static void toSecretStore(const QString &user, const QString &host, const QString &password);

    // Takes the place of the desktop's secret store in toSecretStore while set (it raises as the store would);
    // empty: QtKeychain. For tests on machines without a secret service.
    using SecretWriter = std::function<void(const QString &user, const QString &host, const QString &password)>;
    static SecretWriter &secretWriter();

    // "********" for any non-empty password: how a password is shown.
    static QString masked(const QString &password) {
        return password.isEmpty() ? QString() : QStringLiteral("********");
    }
};

} // namespace corvane
