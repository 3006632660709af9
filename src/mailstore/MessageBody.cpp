// Locating the text part of a message and decoding it through vmime, with the message's structure read by
// Corvane where that gives what vmime would read.
#include "mailstore/MessageBody.h"

#include "base/CorvaneError.h"
#include "mailstore/HtmlText.h"
#include "mailstore/MailCharset.h"
#include "mailstore/MimeFieldLines.h"
#include "mailstore/MultipartRanges.h"
#include "mailstore/VmimePlatform.h"

#include <vmime/contentTypeField.hpp>
#include <vmime/vmime.hpp>

#include <optional>

namespace corvane {

namespace {

std::string lowered(const std::string &text) {
    return vmime::utility::stringUtils::toLower(text);
}

// The content type of `part`; text/plain when it has none.
vmime::mediaType contentType(const vmime::bodyPart &part) {
    const auto field = part.getHeader()->findField(vmime::fields::CONTENT_TYPE);
    if (!field)
        return vmime::mediaType("text", "plain");
    const auto type = vmime::dynamicCast<const vmime::mediaType>(field->getValue());
    return type ? *type : vmime::mediaType("text", "plain");
}

bool isAttachment(const vmime::bodyPart &part) {
    const auto field = part.getHeader()->findField(vmime::fields::CONTENT_DISPOSITION);
    if (!field)
        return false;
    const auto disposition = vmime::dynamicCast<const vmime::contentDisposition>(field->getValue());
    return disposition && lowered(disposition->getName()) == "attachment";
}

// The first part of type text/`subtype` inside `part`, depth first, skipping attachments and enclosed
// messages; null when there is none.
std::shared_ptr<const vmime::bodyPart> findText(const std::shared_ptr<const vmime::bodyPart> &part,
                                                const std::string &subtype) {
    if (isAttachment(*part))
        return nullptr;
    const vmime::mediaType type = contentType(*part);
    if (lowered(type.getType()) == "multipart") {
        for (size_t i = 0; i < part->getBody()->getPartCount(); ++i) {
            if (auto found = findText(part->getBody()->getPartAt(i), subtype))
                return found;
        }
        return nullptr;
    }
    if (lowered(type.getType()) == "text" && lowered(type.getSubType()) == subtype)
        return part;
    return nullptr;
}

// The transfer-decoded text of `part`. Raises for an unknown character set.
QString partText(const vmime::bodyPart &part) {
    std::string bytes;
    vmime::utility::outputStreamStringAdapter stream(bytes);
    part.getBody()->getContents()->extract(stream);
    std::string charsetName;
    const auto field = part.getHeader()->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE);
    if (field && field->hasCharset())
        charsetName = field->getCharset().getName();
    return MailCharset::convertedText(bytes, charsetName);
}

// `text` with every line end ("\r\n", a lone "\r" or "\n") written as "\r\n", in one pass.
QString withCrLf(const QString &text) {
    QString out;
    out.reserve(text.size() + text.size() / 32 + 16);
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
void checkBoundary(const vmime::bodyPart &message, const QByteArray &raw) {
    if (lowered(contentType(message).getType()) != "multipart")
        return;
    const auto field = message.getHeader()->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE);
    const bool hasBoundary = field && field->hasBoundary() && !field->getBoundary().empty();
    if (!hasBoundary || !raw.contains("--" + QByteArray::fromStdString(field->getBoundary())))
        throw CorvaneError(QStringLiteral("The message's MIME structure is broken: its part boundary is missing."));
}

// The body text of a parsed message or part (see MessageBody::plainText); `raw` is the message as stored.
QString textOf(const std::shared_ptr<const vmime::bodyPart> &message, const QByteArray &raw) {
    checkBoundary(*message, raw);
    if (const auto plain = findText(message, "plain"))
        return withCrLf(partText(*plain));
    if (const auto html = findText(message, "html"))
        return withCrLf(HtmlText::toPlainText(partText(*html)));
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
        throw CorvaneError(QStringLiteral("The message cannot be read: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

// A part holding the header `fields`; its body is left empty.
std::shared_ptr<vmime::bodyPart> partWithHeader(const MimeFieldLines &fields) {
    auto part = std::make_shared<vmime::bodyPart>();
    part->getHeader()->parse(fields.header());
    return part;
}

bool isMultipart(const vmime::bodyPart &part) {
    return lowered(contentType(part).getType()) == "multipart";
}

std::shared_ptr<vmime::message> parsedMessage(const std::string &text) {
    auto message = std::make_shared<vmime::message>();
    message->parse(text);
    return message;
}

// Deeper nesting than this is left to vmime.
constexpr int kMaxDepth = 16;

// The part whose bytes are raw[begin, end), built as vmime's parser would build it: its MIME fields, and either
// its parts (multipart, split at its boundary) or its contents, decoded on extraction by the encoder of its
// Content-Transfer-Encoding (7bit when there is none). Null when the part, or one inside it, needs vmime's own
// parser: a header not cleanly formed, a multipart without boundary parameter, nesting beyond kMaxDepth.
std::shared_ptr<vmime::bodyPart> builtPart(const QByteArray &raw, qsizetype begin, qsizetype end, int depth) {
    // Two boundary lines in a row: vmime reads a part with neither fields nor contents.
    if (begin == end)
        return std::make_shared<vmime::bodyPart>();
    const std::optional<MimeFieldLines> fields = MimeFieldLines::read(raw, begin, end);
    if (!fields || depth > kMaxDepth)
        return nullptr;
    auto part = partWithHeader(*fields);
    const qsizetype bodyStart = fields->bodyStart();
    if (bodyStart == end)
        return part;
    const auto typeField = part->getHeader()->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE);
    if (typeField && typeField->getValue<vmime::mediaType>()->getType() == vmime::mediaTypes::MULTIPART) {
        if (!typeField->hasBoundary() || typeField->getBoundary().empty())
            return nullptr;
        const QByteArray boundary = QByteArray::fromStdString(typeField->getBoundary());
        for (const auto &range : MultipartRanges::of(raw, bodyStart, end, boundary)) {
            auto child = builtPart(raw, range.begin, range.end, depth + 1);
            if (!child)
                return nullptr;
            part->getBody()->appendPart(child);
        }
        return part;
    }
    vmime::encoding encoding(vmime::encodingTypes::SEVEN_BIT);
    if (const auto field = part->getHeader()->findField(vmime::fields::CONTENT_TRANSFER_ENCODING))
        encoding = *field->getValue<vmime::encoding>();
    const std::string contents(raw.constData() + bodyStart, static_cast<size_t>(end - bodyStart));
    part->getBody()->setContents(std::make_shared<vmime::stringContentHandler>(contents, encoding));
    return part;
}

} // namespace

QString MessageBody::plainText(const QByteArray &raw) {
    return guarded([&] {
        if (const auto part = builtPart(raw, 0, raw.size(), 0))
            return textOf(part, raw);
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
        if (const auto part = builtPart(raw, 0, raw.size(), 0))
            return isMultipart(*part) ? Route::Multipart : Route::SinglePart;
        return MimeFieldLines::read(raw, 0, raw.size()) ? Route::MimeFieldsOnly : Route::WholeMessage;
    });
}

} // namespace corvane
