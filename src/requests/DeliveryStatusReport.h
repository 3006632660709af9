// Reads the fields of a delivery status notification's machine-readable part (RFC 3464): the per-message
// block, then one block per recipient with its Action and its Final-Recipient and Original-Recipient. The
// text comes from a stranger's mail server: bounded in size and count, control characters never kept, and
// only addresses that pass the standard validity rules are given out.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace corvane {

class DeliveryStatusReport {
public:
    // At most this many per-recipient blocks are read; the rest of a longer report is ignored.
    static constexpr int kMaxRecipients = 1000;

    // The recipients of every per-recipient block whose Action is "failed" (any letter case), in report
    // order, duplicates kept: the Original-Recipient when it names a valid address (that is the address the
    // list sent to), else the Final-Recipient; a block naming neither validly adds nothing. Blocks whose
    // Action is "delayed", "delivered", "relayed" or "expanded" add nothing. None when the text holds no
    // block with an Action field at all, so that the caller can treat the report as an unstructured one.
    static std::optional<QStringList> failedRecipients(const QByteArray &text);

    // The address of a recipient field value "address-type; address" of type rfc822 or utf-8 (any letter
    // case), without angle brackets and blanks; empty when the type is another or the address not valid.
    static QString recipientAddress(const QByteArray &value);
};

} // namespace corvane
