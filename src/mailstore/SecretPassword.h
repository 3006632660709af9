// Where an account's password comes from, for every account Corvane logs in to (IMAP, SMTP): the account's
// environment variable, the password file named in the settings (only when its owner alone may read it), or
// the desktop's secret store (QtKeychain: Secret Service, KWallet, the Windows credential store). A password
// never goes into the settings file.
#pragma once

#include <QString>

namespace corvane {

class SecretPassword {
public:
    // One kind of account: the name shown in messages ("IMAP"), the secret store's service name, the
    // environment variable and the setting that names the password file.
    struct Account {
        QString label;
        QString service;
        QString environment;
        QString fileSetting;
    };
    static Account imap();
    static Account smtp();

    // The password for `user` at `host`: the account's environment variable when set and not empty, else the
    // first line of `passwordFile` when one is named, else the secret store's entry. Raises, saying why, when
    // the file cannot be read or others than its owner may read or write it, or when no source has one.
    static QString lookup(const Account &account, const QString &passwordFile, const QString &user,
                          const QString &host);

    // The first line of `path` (without its line end). Raises when the file is missing, unreadable, longer
    // than 4 KB, or readable or writable by its group or by others.
    static QString fromFile(const Account &account, const QString &path);

    // The secret store's password for `user` at `host`; empty when it has none. Raises when the store
    // cannot be reached.
    static QString fromSecretStore(const Account &account, const QString &user, const QString &host);
    // Keeps `password` in the secret store for `user` at `host`. Raises when the store refuses.
    static void toSecretStore(const Account &account, const QString &user, const QString &host,
                              const QString &password);

    // "********" for any non-empty password: how a password is shown.
    static QString masked(const QString &password) {
        return password.isEmpty() ? QString() : QStringLiteral("********");
    }
};

} // namespace corvane
