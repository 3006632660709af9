// Installs vmime's POSIX platform handler once.
#include "mailstore/VmimePlatform.h"

#include <mutex>
#include <vmime/platforms/posix/posixHandler.hpp>
#include <vmime/vmime.hpp>

namespace corvane {

void VmimePlatform::ensure() {
    static std::once_flag once;
    std::call_once(once, [] { vmime::platform::setHandler<vmime::platforms::posix::posixHandler>(); });
}

} // namespace corvane
