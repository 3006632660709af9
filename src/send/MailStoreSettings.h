// Opens the mail store the way the settings describe it: the store root (MailStore), the submission program
// (SubmitCommand) and the sender of composed messages (the SMTP sender name and address).
#pragma once

#include "mailstore/MailStoreApplication.h"

namespace corvane {

class Settings;

class MailStoreSettings {
public:
    // A mail-store application for the current settings; nothing is opened on disk yet.
    static MailStoreApplication application(const Settings &settings);
};

} // namespace corvane
