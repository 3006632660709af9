// The check run when the person confirms a directory that does not exist yet: offer to create it, with all
// missing parent folders.
#pragma once

#include "base/UserPrompt.h"

namespace corvane {

class DirectoryCreation {
public:
    // True when `path` names an existing directory or one created now after the person agreed. False when
    // the text has 3 characters or fewer, the person cancels, or the creation fails (reported as a
    // warning).
    static bool ensureDirectory(UserPrompt &prompt, const QString &path);
};

} // namespace corvane
