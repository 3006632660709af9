// libFuzzer entry point of the mail reader (built with -DCORVANE_FUZZ=ON and clang): each input is read as a
// stored message and as a contact through every public read path; a broken rule stops the run with the
// input saved. Start it over the seed messages, for example:
//   fuzz_mailreader -max_len=65536 tests/data/mail/fuzz tests/data/mail
#include "MailReaderProbe.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray raw(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList faults = corvane::test::probeReader(raw);
    if (!faults.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(faults.join(QStringLiteral("; "))));
        std::abort();
    }
    return 0;
}
