// Locating the delivery-status part of a report, with Corvane's own part splitting and vmime's header parser
// for each part's MIME fields.
#include "mailstore/DeliveryStatusPart.h"

#include "mailstore/Base64.h"
#include "mailstore/MimeFieldLines.h"
#include "mailstore/MultipartRanges.h"
#include "mailstore/QuotedPrintable.h"
#include "mailstore/VmimePlatform.h"

#include <vmime/contentTypeField.hpp>
#include <vmime/vmime.hpp>

#include <string_view>

namespace corvane {

namespace {

constexpr int kMaxDepth = 3;
constexpr size_t kMaxParts = 64;
// Bytes the part splitting may look at beyond four times the message's size.
constexpr qint64 kSearchBudgetBase = 8LL * 1024 * 1024;

struct PartFields {
    std::string type;
    std::string subType;
    std::string boundary;
    std::string encoding;
    qsizetype bodyStart = 0;
};

std::string lowered(const std::string &text) {
    return vmime::utility::stringUtils::toLower(text);
}

// The MIME fields of the part raw[begin, end); none when its header is not cleanly formed. A part without
// Content-Type is text/plain. Raises vmime's exceptions for fields it cannot read.
std::optional<PartFields> fieldsOf(const QByteArray &raw, qsizetype begin, qsizetype end) {
    const std::optional<MimeFieldLines> lines = MimeFieldLines::read(raw, begin, end);
    if (!lines)
        return std::nullopt;
    vmime::header header;
    header.parse(lines->header());
    PartFields fields{"text", "plain", {}, "7bit", lines->bodyStart()};
    if (const auto field = header.findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE)) {
        const auto type = field->getValue<vmime::mediaType>();
        fields.type = lowered(type->getType());
        fields.subType = lowered(type->getSubType());
        if (field->hasBoundary())
            fields.boundary = field->getBoundary();
    }
    if (const auto field = header.findField(vmime::fields::CONTENT_TRANSFER_ENCODING))
        fields.encoding = lowered(field->getValue<vmime::encoding>()->getName());
    return fields;
}

std::optional<QByteArray> decoded(std::string_view body, const std::string &encoding) {
    if (encoding == "base64")
        return QByteArray::fromStdString(Base64::decoded(body));
    if (encoding == "quoted-printable")
        return QByteArray::fromStdString(QuotedPrintable::decoded(body));
    if (encoding == "7bit" || encoding == "8bit" || encoding == "binary")
        return QByteArray(body.data(), static_cast<qsizetype>(body.size()));
    return std::nullopt;
}

// `budget` bounds the bytes the part splitting may look at over the whole search (see MultipartRanges).
std::optional<QByteArray> search(const QByteArray &raw, qsizetype begin, qsizetype end, int depth, qint64 &budget) {
    const std::optional<PartFields> fields = fieldsOf(raw, begin, end);
    if (!fields || fields->type != "multipart" || fields->boundary.empty() || depth >= kMaxDepth)
        return std::nullopt;
    const bool report = fields->subType == "report";
    const auto parts =
        MultipartRanges::of(raw, fields->bodyStart, end, QByteArray::fromStdString(fields->boundary), budget);
    if (!parts)
        return std::nullopt;
    const std::vector<MultipartRanges::Range> &ranges = *parts;
    for (size_t i = 0; i < ranges.size() && i < kMaxParts; ++i) {
        const auto &range = ranges[i];
        const std::optional<PartFields> child = fieldsOf(raw, range.begin, range.end);
        if (!child)
            continue;
        const bool status = child->type == "message" &&
                            (child->subType == "delivery-status" || child->subType == "global-delivery-status");
        if (report && status) {
            if (range.end - child->bodyStart > DeliveryStatusPart::kMaxPartBytes)
                return std::nullopt;
            return decoded(
                std::string_view(raw.constData() + child->bodyStart, static_cast<size_t>(range.end - child->bodyStart)),
                child->encoding);
        }
        if (child->type == "multipart") {
            if (auto found = search(raw, range.begin, range.end, depth + 1, budget))
                return found;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> DeliveryStatusPart::of(const QByteArray &raw) {
    VmimePlatform::ensure();
    try {
        qsizetype begin = 0;
        if (raw.startsWith("From ")) {
            const qsizetype eol = raw.indexOf('\n');
            begin = eol < 0 ? raw.size() : eol + 1;
        }
        qint64 budget = 4 * static_cast<qint64>(raw.size()) + kSearchBudgetBase;
        return search(raw, begin, raw.size(), 0, budget);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

} // namespace corvane
