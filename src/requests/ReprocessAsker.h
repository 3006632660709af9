// How the errors window asks the person how to reprocess a failed add or remove request: the "Reprocess
// Entry" dialog implements it in the desktop program, a fake in the tests.
#pragma once

namespace corvane {

class Tdlgreprocess;

class ReprocessAsker {
public:
    virtual ~ReprocessAsker() = default;

    // Shows `form` for editing. True when the person pressed OK; `form` then holds the chosen action, the
    // address, the category and the "Ignore All Rules" state. False on Cancel; `form` is then undefined.
    virtual bool ask(Tdlgreprocess &form) = 0;
};

} // namespace corvane
