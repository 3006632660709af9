// Locating the text part of a message and decoding it through vmime, with the message's structure read by
// Corvane where that gives what vmime would read.
#include "mailstore/MessageBody.h"

#include "base/CorvaneError.h"
#include "mailstore/Base64.h"
#include "mailstore/HtmlText.h"
#include "mailstore/MailCharset.h"
#include "mailstore/MimeFieldLines.h"
#include "mailstore/MultipartRanges.h"
#include "mailstore/QuotedPrintable.h"
#include "mailstore/SingleLineText.h"
#include "mailstore/VmimeInput.h"
#include "mailstore/VmimePlatform.h"

#include <vmime/contentTypeField.hpp>
#include <vmime/vmime.hpp>

#include <optional>
#include <string_view>

namespace corvane {

namespace {

// One part of a message as the search for its text sees it: its header, and its parts when it is multipart or
// else its contents, still transfer-encoded: vmime's content handler when vmime parsed the message, else the
// part's body bytes (a view into the raw message, which outlives the part) and transfer encoding. Never changed
// once built.
struct Part {
    std::shared_ptr<const vmime::header> header;
    std::vector<Part> parts;
    std::shared_ptr<const vmime::contentHandler> contents;
    std::string_view body;
    vmime::encoding encoding;
};

Part partOf(const vmime::bodyPart &parsed) {
    Part part{parsed.getHeader(), {}, parsed.getBody()->getContents(), {}, {}};
    for (size_t i = 0; i < parsed.getBody()->getPartCount(); ++i)
        part.parts.push_back(partOf(*parsed.getBody()->getPartAt(i)));
    return part;
}

std::string lowered(const std::string &text) {
    return vmime::utility::stringUtils::toLower(text);
}

// The content type of a part with header `header`; text/plain when it has none.
vmime::mediaType contentType(const vmime::header &header) {
    const auto field = header.findField(vmime::fields::CONTENT_TYPE);
    if (!field)
        return vmime::mediaType("text", "plain");
    const auto type = vmime::dynamicCast<const vmime::mediaType>(field->getValue());
    return type ? *type : vmime::mediaType("text", "plain");
}

bool isAttachment(const vmime::header &header) {
    const auto field = header.findField(vmime::fields::CONTENT_DISPOSITION);
    if (!field)
        return false;
    const auto disposition = vmime::dynamicCast<const vmime::contentDisposition>(field->getValue());
    return disposition && lowered(disposition->getName()) == "attachment";
}

// The first part of type text/`subtype` inside `part`, depth first, skipping attachments and enclosed
// messages; null when there is none.
const Part *findText(const Part &part, const std::string &subtype) {
    if (isAttachment(*part.header))
        return nullptr;
    const vmime::mediaType type = contentType(*part.header);
    if (lowered(type.getType()) == "multipart") {
        for (const Part &child : part.parts) {
            if (const Part *found = findText(child, subtype))
                return found;
        }
        return nullptr;
    }
    if (lowered(type.getType()) == "text" && lowered(type.getSubType()) == subtype)
        return &part;
    return nullptr;
}

// `body` decoded from transfer encoding `encoding` exactly as vmime's decoder for it would decode it: the
// identity encodings, quoted-printable and base64 by Corvane, any other through vmime. Raises (vmime's
// exception) for an encoding vmime does not know.
std::string decodedBody(std::string_view body, const vmime::encoding &encoding) {
    const std::string name = lowered(encoding.getName());
    if (name == "7bit" || name == "8bit" || name == "binary")
        return std::string(body);
    if (name == "quoted-printable")
        return QuotedPrintable::decoded(body);
    if (name == "base64")
        return Base64::decoded(body);
    std::string bytes;
    vmime::utility::outputStreamStringAdapter stream(bytes);
    vmime::stringContentHandler(std::string(body), encoding).extract(stream);
    return bytes;
}

// The transfer-decoded text of `part`. Raises for an unknown character set or transfer encoding.
QString partText(const Part &part) {
    std::string bytes;
    if (part.contents) {
        vmime::utility::outputStreamStringAdapter stream(bytes);
        part.contents->extract(stream);
    } else {
        bytes = decodedBody(part.body, part.encoding);
    }
    std::string charsetName;
    const auto field = part.header->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE);
    if (field && field->hasCharset())
        charsetName = field->getCharset().getName();
    return MailCharset::convertedText(bytes, charsetName);
}

// `text` with every line end ("\r\n", a lone "\r" or "\n") written as "\r\n", in one pass.
QString withCrLf(const QString &text) {
    QString out;
    out.reserve(text.size() + text.size() / 32 + 16);
    if (!text.contains(QLatin1Char('\r'))) {
        // Only "\n" line ends, the usual case: copy the lines between them with Qt's fast search.
        qsizetype from = 0;
        for (qsizetype lf = text.indexOf(QLatin1Char('\n')); lf >= 0; lf = text.indexOf(QLatin1Char('\n'), from)) {
            out.append(QStringView(text).sliced(from, lf - from));
            out.append(QLatin1String("\r\n"));
            from = lf + 1;
        }
        out.append(QStringView(text).sliced(from));
        return out;
    }
    const QChar *c = text.constData();
    const QChar *const end = c + text.size();
    const QChar *run = c;
    while (c != end) {
        const char16_t u = c->unicode();
        if (u != u'\r' && u != u'\n') {
            ++c;
            continue;
        }
        out.append(run, c - run);
        out.append(QLatin1String("\r\n"));
        c += (u == u'\r' && c + 1 != end && c[1] == u'\n') ? 2 : 1;
        run = c;
    }
    out.append(run, c - run);
    return out;
}

// Raises when `message` is multipart but `raw` (the whole message as stored) lacks the boundary, which vmime
// would read as one empty part and so lose the whole body.
void checkBoundary(const Part &message, const QByteArray &raw) {
    if (lowered(contentType(*message.header).getType()) != "multipart")
        return;
    const auto field = message.header->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE);
    const bool hasBoundary = field && field->hasBoundary() && !field->getBoundary().empty();
    if (!hasBoundary || !raw.contains("--" + QByteArray::fromStdString(field->getBoundary())))
        throw CorvaneError(QStringLiteral("The message's MIME structure is broken: its part boundary is missing."));
}

// The body text of a message (see MessageBody::plainText); `raw` is the message as stored.
QString textOf(const Part &message, const QByteArray &raw) {
    checkBoundary(message, raw);
    if (const Part *plain = findText(message, "plain"))
        return SingleLineText::withoutNul(withCrLf(partText(*plain)));
    if (const Part *html = findText(message, "html"))
        return SingleLineText::withoutNul(withCrLf(HtmlText::toPlainText(partText(*html))));
    return {};
}

// Runs `read` with vmime set up, turning vmime's failures into CorvaneError.
template <typename Read> auto guarded(Read read) {
    VmimePlatform::ensure();
    try {
        return read();
    } catch (const CorvaneError &) {
        throw;
    } catch (const std::exception &e) {
        throw CorvaneError(QStringLiteral("The message cannot be read: %1")
                               .arg(SingleLineText::of(QString::fromLocal8Bit(e.what()).left(200))));
    }
}

// `text` parsed by vmime, as far as vmime may be given it (VmimeInput): the rest is ignored.
Part parsedMessage(const std::string &text) {
    vmime::message message;
    const auto length = static_cast<size_t>(VmimeInput::parseableLength(text, VmimeInput::kBody));
    if (length < text.size())
        message.parse(text.substr(0, length));
    else
        message.parse(text);
    return partOf(message);
}

// The header made of the MIME field lines `text`, parsed by vmime. The same few field lines recur in message
// after message, so the last ones parsed are kept, per thread, and shared read-only by the parts that carry them.
std::shared_ptr<const vmime::header> parsedHeader(const std::string &text) {
    constexpr size_t kKept = 32;
    thread_local std::vector<std::pair<std::string, std::shared_ptr<const vmime::header>>> kept;
    thread_local size_t next = 0;
    for (const auto &[lines, header] : kept) {
        if (lines == text)
            return header;
    }
    auto header = std::make_shared<vmime::header>();
    header->parse(text);
    if (kept.size() < kKept) {
        kept.emplace_back(text, header);
    } else {
        kept[next] = {text, header};
        next = (next + 1) % kKept;
    }
    return header;
}

// Deeper nesting than this is left to vmime, which is given a bounded part of such a message.
constexpr int kMaxDepth = 16;
// A part's MIME fields longer than this are left to vmime likewise.
constexpr size_t kMaxFieldLines = 64 * 1024;
// What splitting one message may cost: bytes searched for boundaries, and this much more for every part found.
qint64 splitBudget(const QByteArray &raw) {
    return 4 * static_cast<qint64>(raw.size()) + 8 * 1024 * 1024;
}
constexpr qint64 kCostPerPart = 4096;

// The part whose bytes are raw[begin, end), built as vmime's parser would build it: its MIME fields, and either
// its parts (multipart, split at its boundary) or its body and Content-Transfer-Encoding (7bit when there is
// none). None when the part, or one inside it, needs vmime's own parser: a header not cleanly formed, a
// multipart without boundary parameter, nesting beyond kMaxDepth, MIME fields beyond kMaxFieldLines, or a
// structure whose splitting would cost more than `budget` (which every part and boundary search draws on).
std::optional<Part> builtPart(const QByteArray &raw, qsizetype begin, qsizetype end, int depth, qint64 &budget) {
    budget -= kCostPerPart;
    if (budget <= 0)
        return std::nullopt;
    // Two boundary lines in a row: vmime reads a part with neither fields nor contents.
    if (begin == end)
        return Part{std::make_shared<vmime::header>(), {}, std::make_shared<vmime::emptyContentHandler>(), {}, {}};
    const std::optional<MimeFieldLines> fields = MimeFieldLines::read(raw, begin, end);
    if (!fields || depth > kMaxDepth || fields->header().size() > kMaxFieldLines)
        return std::nullopt;
    const std::shared_ptr<const vmime::header> header = parsedHeader(fields->header());
    Part part{header, {}, nullptr, {}, vmime::encoding(vmime::encodingTypes::SEVEN_BIT)};
    const qsizetype bodyStart = fields->bodyStart();
    if (bodyStart == end) {
        part.contents = std::make_shared<vmime::emptyContentHandler>();
        return part;
    }
    const auto typeField = header->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE);
    if (typeField && typeField->getValue<vmime::mediaType>()->getType() == vmime::mediaTypes::MULTIPART) {
        if (!typeField->hasBoundary() || typeField->getBoundary().empty())
            return std::nullopt;
        const QByteArray boundary = QByteArray::fromStdString(typeField->getBoundary());
        const auto ranges = MultipartRanges::of(raw, bodyStart, end, boundary, budget);
        if (!ranges)
            return std::nullopt;
        for (const auto &range : *ranges) {
            std::optional<Part> child = builtPart(raw, range.begin, range.end, depth + 1, budget);
            if (!child)
                return std::nullopt;
            part.parts.push_back(std::move(*child));
        }
        return part;
    }
    if (const auto field = header->findField(vmime::fields::CONTENT_TRANSFER_ENCODING))
        part.encoding = *field->getValue<vmime::encoding>();
    part.body = std::string_view(raw.constData() + bodyStart, static_cast<size_t>(end - bodyStart));
    return part;
}

} // namespace

QString MessageBody::plainText(const QByteArray &raw) {
    return guarded([&] {
        qint64 budget = splitBudget(raw);
        if (const std::optional<Part> part = builtPart(raw, 0, raw.size(), 0, budget))
            return textOf(*part, raw);
        const std::optional<MimeFieldLines> fields = MimeFieldLines::read(raw, 0, raw.size());
        if (!fields)
            return plainTextOfWholeMessage(raw);
        const auto bodyStart = static_cast<size_t>(fields->bodyStart());
        return textOf(parsedMessage(fields->header() + raw.toStdString().substr(bodyStart)), raw);
    });
}

QString MessageBody::plainTextOfWholeMessage(const QByteArray &raw) {
    return guarded([&] { return textOf(parsedMessage(raw.toStdString()), raw); });
}

MessageBody::Route MessageBody::routeFor(const QByteArray &raw) {
    return guarded([&] {
        qint64 budget = splitBudget(raw);
        if (const std::optional<Part> part = builtPart(raw, 0, raw.size(), 0, budget))
            return lowered(contentType(*part->header).getType()) == "multipart" ? Route::Multipart : Route::SinglePart;
        return MimeFieldLines::read(raw, 0, raw.size()) ? Route::MimeFieldsOnly : Route::WholeMessage;
    });
}

} // namespace corvane
