// The help pages: which HTML page of the "help" folder beside the program belongs to each help context
// number the windows open, and where that folder is. An unknown context opens the contents page.
#pragma once

#include <QString>
#include <vector>

namespace corvane {

class HelpTopics {
public:
    static constexpr int kContents = 0;

    struct Topic {
        int context;
        QString file; // page file name inside the help folder
        QString title;
    };

    // Every page, the contents first.
    static const std::vector<Topic> &topics();
    // The page file of `context`; the contents page for an unknown context.
    static QString pageFor(int context);
    // The folder "help" beside the running program (the build's program folder or the installed one).
    static QString helpDirectory();
};

} // namespace corvane
