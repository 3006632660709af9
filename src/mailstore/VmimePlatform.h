// Sets up vmime's platform handler once per process; every mail-store entry point that parses or builds a
// message calls ensure() first.
#pragma once

namespace corvane {

class VmimePlatform {
public:
    // Installs the POSIX platform handler the first time it is called; later calls do nothing. Thread-safe.
    static void ensure();
};

} // namespace corvane
