// Finding e-mail addresses in free text: message bodies and files scanned by the harvesters and the
// delivery-failure reports read by the request scan.
#pragma once

#include <QStringList>
#include <QStringView>

namespace corvane {

class AddressExtraction {
public:
    // Clears `result`, then appends every valid address found in `lines`, in order of appearance, letter case
    // unchanged and duplicates kept. An address ends at a delimiter character (tabs end it only on its left,
    // underscores only on its right), must pass the validity check (with `exceptions` applied when given) and
    // may be at most 59 characters long. Never raises: a failure within one line ends that line, keeping what
    // it had found. `result` may be the same list as `lines`.
    static void extractemailaddresses(const QStringList &lines, QStringList &result, const QStringList *exceptions);

private:
    static void extractFromLine(QStringView line, QStringList &found, const QStringList *exceptions);
};

} // namespace corvane
