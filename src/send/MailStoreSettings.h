// Opens the mail store the way the settings describe it: the store root (MailStore) or, with MailStoreKind
// "imap", the IMAP account (IMAPHost, IMAPPort, IMAPSecurity, IMAPUser, IMAPPasswordFile,
// IMAPCertificateSHA256), the submission program (SubmitCommand) and the sender of composed messages (the
// SMTP sender name and address).
#pragma once

#include "mailstore/MailStoreApplication.h"

namespace corvane {

class Settings;

class MailStoreSettings {
public:
    // A mail-store application for the current settings; nothing is opened on disk yet.
    // Raises when IMAPSecurity names no known security.
    static MailStoreApplication application(const Settings &settings);
    // The IMAP account the settings describe, without its password. Raises as application().
    static ImapAccount imapAccount(const Settings &settings);
};

} // namespace corvane
