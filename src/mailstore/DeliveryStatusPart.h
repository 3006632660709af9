// Finds the machine-readable part of a delivery status notification: the message/delivery-status (or
// message/global-delivery-status) part directly inside a multipart/report, with its transfer encoding
// undone. Mail from strangers: every bound (size, nesting, part count) is checked, nothing raises.
#pragma once

#include <QByteArray>
#include <optional>

namespace corvane {

class DeliveryStatusPart {
public:
    // The delivery-status part is refused beyond this size (a real one holds a few lines per recipient).
    static constexpr qsizetype kMaxPartBytes = 1024 * 1024;

    // The decoded body of the first delivery-status part of `raw` that is a direct child of a
    // multipart/report, looking at most three multipart levels down and never into enclosed messages. None
    // when the message holds no such part, the part is too large or its structure cannot be read.
    static std::optional<QByteArray> of(const QByteArray &raw);
};

} // namespace corvane
