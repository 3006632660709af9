// Locating the text part of a message and decoding it through vmime.
#include "mailstore/MessageBody.h"

#include "base/CorvaneError.h"
#include "mailstore/HtmlText.h"
#include "mailstore/MailCharset.h"
#include "mailstore/VmimePlatform.h"

#include <vmime/contentTypeField.hpp>
#include <vmime/vmime.hpp>

#include <cstring>
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

// Whether the field named by the `length` bytes at `name` can change how the body is found or decoded.
bool isMimeField(const char *name, qsizetype length) {
    static const char *const fields[] = {"content-type", "content-transfer-encoding", "content-disposition",
                                         "mime-version"};
    for (const char *field : fields) {
        if (static_cast<qsizetype>(std::strlen(field)) == length && qstrnicmp(name, field, length) == 0)
            return true;
    }
    return false;
}

// A cleanly formed header cut down to its MIME fields.
struct MimeFields {
    // The MIME fields as written, each with its folded lines, then the empty line that ends the header.
    std::string header;
    // Where the body begins in the raw message.
    qsizetype bodyStart = 0;
};

// The MIME fields of `raw`; none when the header is not cleanly formed (a line that is neither a field nor a
// folded continuation, a folded line of blanks alone, which vmime takes for the end of the header, or no empty
// line at all), so that only vmime decides how to read it.
std::optional<MimeFields> mimeFields(const QByteArray &raw) {
    const char *const data = raw.constData();
    const qsizetype size = raw.size();
    MimeFields fields;
    bool inField = false;
    bool keep = false;
    qsizetype pos = 0;
    while (pos < size) {
        const qsizetype eol = raw.indexOf('\n', pos);
        if (eol < 0)
            return std::nullopt;
        const qsizetype next = eol + 1;
        qsizetype contentEnd = eol;
        if (contentEnd > pos && data[contentEnd - 1] == '\r')
            --contentEnd;
        if (contentEnd == pos) {
            fields.header.append(data + pos, static_cast<size_t>(next - pos));
            fields.bodyStart = next;
            return fields;
        }
        if (data[pos] == ' ' || data[pos] == '\t') {
            bool blank = true;
            for (qsizetype i = pos; i < contentEnd && blank; ++i)
                blank = data[i] == ' ' || data[i] == '\t';
            if (!inField || blank)
                return std::nullopt;
        } else {
            qsizetype colon = pos;
            while (colon < contentEnd && data[colon] > 32 && data[colon] < 127 && data[colon] != ':')
                ++colon;
            if (colon == pos || colon == contentEnd || data[colon] != ':')
                return std::nullopt;
            inField = true;
            keep = isMimeField(data + pos, colon - pos);
        }
        if (keep)
            fields.header.append(data + pos, static_cast<size_t>(next - pos));
        pos = next;
    }
    return std::nullopt;
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
std::shared_ptr<vmime::bodyPart> partWithHeader(const MimeFields &fields) {
    auto part = std::make_shared<vmime::bodyPart>();
    part->getHeader()->parse(fields.header);
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

} // namespace

QString MessageBody::plainText(const QByteArray &raw) {
    return guarded([&] {
        const std::optional<MimeFields> fields = mimeFields(raw);
        if (!fields)
            return plainTextOfWholeMessage(raw);
        const auto body = raw.constData() + fields->bodyStart;
        const auto bodySize = static_cast<size_t>(raw.size() - fields->bodyStart);
        auto part = partWithHeader(*fields);
        if (isMultipart(*part))
            return textOf(parsedMessage(fields->header + std::string(body, bodySize)), raw);
        // What vmime does for a body that is not multipart: the contents as they are, decoded on extraction by
        // the encoder of the Content-Transfer-Encoding, 7bit when there is none.
        vmime::encoding encoding(vmime::encodingTypes::SEVEN_BIT);
        if (const auto field = part->getHeader()->findField(vmime::fields::CONTENT_TRANSFER_ENCODING))
            encoding = *field->getValue<vmime::encoding>();
        part->getBody()->setContents(
            std::make_shared<vmime::stringContentHandler>(std::string(body, bodySize), encoding));
        return textOf(part, raw);
    });
}

QString MessageBody::plainTextOfWholeMessage(const QByteArray &raw) {
    return guarded([&] { return textOf(parsedMessage(raw.toStdString()), raw); });
}

MessageBody::Route MessageBody::routeFor(const QByteArray &raw) {
    return guarded([&] {
        const std::optional<MimeFields> fields = mimeFields(raw);
        if (!fields)
            return Route::WholeMessage;
        return isMultipart(*partWithHeader(*fields)) ? Route::MimeFieldsOnly : Route::SinglePart;
    });
}

} // namespace corvane
