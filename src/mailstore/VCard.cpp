// vCard reading: unfolding, property splitting and value decoding.
#include "mailstore/VCard.h"

#include "base/CorvaneError.h"
#include "mailstore/MailCharset.h"
#include "mailstore/SingleLineText.h"

#include <QList>
#include <QStringDecoder>

namespace corvane {

namespace {

struct Property {
    QByteArray name;
    QList<QByteArray> params;
    QByteArray value;
};

QList<QByteArray> physicalLines(const QByteArray &data) {
    QList<QByteArray> lines = data.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// Splits "group.NAME;P1;P2=x:value" outside double quotes. Returns false when there is no ":".
bool splitProperty(const QByteArray &line, Property &out) {
    bool quoted = false;
    qsizetype colon = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0)
        return false;
    QList<QByteArray> parts;
    QByteArray current;
    quoted = false;
    for (const char c : line.left(colon)) {
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted) {
            parts.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    parts.append(current);
    QByteArray name = parts.takeFirst().trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf('.');
    out.name = dot >= 0 ? name.mid(dot + 1) : name;
    out.params.clear();
    for (const QByteArray &p : parts)
        out.params.append(p.trimmed().toUpper());
    out.value = line.mid(colon + 1);
    return true;
}

bool isQuotedPrintable(const QByteArray &head) {
    return head.toUpper().contains("QUOTED-PRINTABLE");
}

// The value of parameter `key` ("CHARSET"), empty when absent.
QByteArray paramValue(const QList<QByteArray> &params, const QByteArray &key) {
    for (const QByteArray &p : params) {
        if (p.startsWith(key + '='))
            return p.mid(key.size() + 1).replace('"', "");
    }
    return {};
}

QByteArray decodeQuotedPrintable(const QByteArray &value) {
    QByteArray out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size()) {
            bool ok = false;
            const int byte = value.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out.append(static_cast<char>(byte));
                i += 2;
                continue;
            }
        }
        out.append(value[i]);
    }
    return out;
}

// `bytes` in `charset` (UTF-8 when empty): invalid UTF-8 without a declared set is read as ISO-8859-1; an
// unknown declared set is read as UTF-8 with replacement characters.
QString decodeText(const QByteArray &bytes, const QByteArray &charset) {
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder(bytes);
        return QString::fromUtf8(bytes);
    }
    return MailCharset::lenientText(bytes);
}

// Removes the backslash escapes of a text value ("\n", "\,", "\;", "\\").
QString unescape(const QString &value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value[++i];
            out.append(next == QLatin1Char('n') || next == QLatin1Char('N') ? QLatin1Char('\n') : next);
        } else {
            out.append(value[i]);
        }
    }
    return out;
}

// Splits a structured value at ";" that are not escaped.
QStringList structuredParts(const QString &value) {
    QStringList parts{QString()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            parts.last().append(value.mid(i, 2));
            ++i;
        } else if (value[i] == QLatin1Char(';')) {
            parts.append(QString());
        } else {
            parts.last().append(value[i]);
        }
    }
    for (QString &p : parts)
        p = unescape(p).trimmed();
    return parts;
}

} // namespace

VCard VCard::parse(const QByteArray &data) {
    const QList<QByteArray> lines = physicalLines(data);
    qsizetype begin = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed().toUpper() == "BEGIN:VCARD") {
            begin = i;
            break;
        }
    }
    if (begin < 0)
        throw CorvaneError(QStringLiteral("The file is not a vCard."));

    bool version21 = false;
    for (qsizetype i = begin + 1; i < lines.size(); ++i) {
        if (lines[i].trimmed().toUpper().startsWith("VERSION:")) {
            version21 = lines[i].trimmed().mid(8).trimmed() == "2.1";
            break;
        }
    }

    // Joins folded lines: a line beginning with a blank continues the one before (2.1 keeps the blank, 3.0 and
    // 4.0 drop it); a quoted-printable value ending in "=" continues on the next line whatever it begins with.
    QList<QByteArray> logical;
    for (qsizetype i = begin + 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if (!logical.isEmpty() && !line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
            logical.last() += version21 ? line : line.mid(1);
            continue;
        }
        if (!logical.isEmpty()) {
            QByteArray &last = logical.last();
            const qsizetype colon = last.indexOf(':');
            if (colon > 0 && isQuotedPrintable(last.left(colon)) && last.endsWith('=')) {
                last.chop(1);
                last += line;
                continue;
            }
        }
        if (line.trimmed().toUpper() == "END:VCARD")
            break;
        logical.append(line);
    }

    VCard card;
    QString structuredName;
    Property p;
    for (const QByteArray &line : logical) {
        if (!splitProperty(line, p))
            continue;
        QByteArray raw = p.value;
        if (p.params.contains("QUOTED-PRINTABLE") || paramValue(p.params, "ENCODING") == "QUOTED-PRINTABLE")
            raw = decodeQuotedPrintable(raw);
        else if (p.params.contains("BASE64") || paramValue(p.params, "ENCODING") == "B" ||
                 paramValue(p.params, "ENCODING") == "BASE64")
            raw = QByteArray::fromBase64(raw);
        const QString text = decodeText(raw, paramValue(p.params, "CHARSET"));
        if (p.name == "VERSION") {
            card.m_version = text.trimmed();
        } else if (p.name == "FN" && card.m_fullName.isEmpty()) {
            card.m_fullName = SingleLineText::of(unescape(text)).trimmed();
        } else if (p.name == "N" && structuredName.isEmpty()) {
            const QStringList parts = structuredParts(text);
            QStringList ordered;
            for (const int index : {3, 1, 2, 0, 4}) {
                if (index < parts.size() && !parts[index].isEmpty())
                    ordered.append(parts[index]);
            }
            structuredName = SingleLineText::of(ordered.join(QLatin1Char(' ')));
        } else if (p.name == "EMAIL") {
            QString address = SingleLineText::of(unescape(text)).trimmed();
            if (address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
                address = address.mid(7);
            if (!address.isEmpty())
                card.m_emails.append(address);
        }
    }
    if (card.m_fullName.isEmpty())
        card.m_fullName = structuredName;
    return card;
}

} // namespace corvane
