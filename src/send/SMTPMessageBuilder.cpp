// Composition of the header block and body buffer of one outgoing message.
#include "send/SMTPMessageBuilder.h"

#include "base/CorvaneError.h"
#include "send/MimeText.h"
#include "send/SMTPMailbox.h"
#include "send/TNMUUProcessor.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <cstdio>

namespace corvane {

namespace {

const char *contentTypeName(int subType) {
    switch (subType) {
    case SMTPMessageBuilder::Enriched:
        return "text/enriched";
    case SMTPMessageBuilder::Sgml:
        return "text/sgml";
    case SMTPMessageBuilder::TabSeparatedValues:
        return "text/tab-separated-values";
    case SMTPMessageBuilder::Html:
        return "text/html";
    default:
        return "text/plain";
    }
}

// The current local time. The zone's rules are read once: asking the C library for local time looks at
// /etc/localtime again every time, several times per message.
QDateTime localNow() {
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    return QDateTime::currentDateTimeUtc().toTimeZone(zone);
}

// Refuses a header value with a line break: it would let the value add header lines or SMTP commands.
void checkHeaderValue(const QString &value, const char *field) {
    if (MimeText::hasLineBreak(value)) {
        throw CorvaneError(QStringLiteral("Line break in the %1 refused").arg(QLatin1String(field)));
    }
}

// Refuses a further header line that is not one field: a name of printable ASCII without blanks, ":", a value
// without line breaks.
void checkHeaderLine(const QString &line) {
    checkHeaderValue(line, "further header lines");
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    bool named = colon > 0;
    for (qsizetype i = 0; named && i < colon; ++i) {
        named = line[i].unicode() > 32 && line[i].unicode() < 127;
    }
    if (!named) {
        throw CorvaneError(
            QStringLiteral("Header line without a field name refused: %1").arg(SMTPMailbox::visible(line)));
    }
}

// Refuses an address that cannot travel in MAIL FROM or RCPT TO as one plain mailbox without extensions. An
// empty address passes: the client skips an empty recipient and names a missing sender itself.
void checkAddress(const QString &address) {
    if (!MimeText::isAscii(address)) {
        throw CorvaneError(
            QStringLiteral("Address with non-ASCII characters refused: %1").arg(SMTPMailbox::visible(address)));
    }
    if (address.isEmpty()) {
        return;
    }
    const QString problem = SMTPMailbox::problem(address);
    if (!problem.isEmpty()) {
        throw CorvaneError(QStringLiteral("Address refused: \"%1\" %2").arg(SMTPMailbox::visible(address), problem));
    }
}

void checkRecipients(const QStringList &entries, const char *field) {
    for (const QString &entry : entries) {
        checkHeaderValue(entry, field);
        checkAddress(SMTPMessageBuilder::bareAddress(entry));
    }
}

QByteArray joinEntries(const QStringList &entries) {
    QByteArray out;
    for (const QString &entry : entries) {
        if (!out.isEmpty()) {
            out.append(',');
        }
        out.append(MimeText::addressEntry(entry));
    }
    return out;
}

// Appends one text line (without line end) as wire lines: quoted-printable unless `ascii`, and every wire line
// that begins with "." gets one more.
void appendLine(QByteArray &out, const QString &line, bool ascii) {
    auto appendWire = [&out](const QByteArray &wire) {
        if (wire.startsWith('.')) {
            out.append('.');
        }
        out.append(wire);
        out.append("\r\n");
    };
    if (ascii) {
        appendWire(line.toLatin1());
        return;
    }
    for (const QByteArray &wire : MimeText::quotedPrintable(line)) {
        appendWire(wire);
    }
}

// Appends the body text lines: line breaks inside an entry start new lines, non-ASCII text becomes
// quoted-printable, and every wire line that begins with "." gets one more.
void appendText(QByteArray &out, const QStringList &body, bool ascii) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString &entry : body) {
        if (MimeText::hasLineBreak(entry)) {
            for (const QString &line : entry.split(lineBreak)) {
                appendLine(out, line, ascii);
            }
        } else {
            appendLine(out, entry, ascii);
        }
    }
}

// The quoted parameter value of a file name; quotes and backslashes are escaped, and a name that is not
// ASCII becomes encoded words on one line (folding inside quotes would become part of the name).
QByteArray quotedFileName(const QString &name) {
    QByteArray value = MimeText::headerText(name).replace("\r\n ", " ");
    value.replace('\\', "\\\\");
    value.replace('"', "\\\"");
    return '"' + value + '"';
}

// The Content-Disposition parameter of a file name: ASCII names quoted, others in the RFC 2231 form.
QByteArray dispositionFileName(const QString &name) {
    if (MimeText::isAscii(name)) {
        return "filename=" + quotedFileName(name);
    }
    return "filename*=utf-8''" + name.toUtf8().toPercentEncoding();
}

} // namespace

QString SMTPMessageBuilder::bareAddress(const QString &entry) {
    const qsizetype open = entry.indexOf(QLatin1Char('<'));
    if (open >= 0) {
        qsizetype end = open + 1;
        while (end < entry.size() && entry[end] != QLatin1Char('<') && entry[end] != QLatin1Char('>')) {
            ++end;
        }
        return entry.mid(open + 1, end - open - 1);
    }
    const qsizetype colon = entry.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        const qsizetype next = entry.indexOf(QLatin1Char(':'), colon + 1);
        return entry.mid(colon + 1, next < 0 ? -1 : next - colon - 1);
    }
    return entry;
}

QByteArray SMTPMessageBuilder::newBoundary() {
    QByteArray boundary("====================54535");
    for (int i = 0; i < 6; ++i) {
        boundary.append(static_cast<char>('a' + QRandomGenerator::global()->bounded(25)));
    }
    return boundary + "====";
}

QByteArray SMTPMessageBuilder::dateText(const QDateTime &time) {
    static const char *days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate d = time.date();
    const QTime t = time.time();
    const int offset = time.offsetFromUtc() / 60;
    const int absOffset = offset < 0 ? -offset : offset;
    // Formatted directly rather than through QString::arg: this runs for every message sent.
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%s, %02d %s %d %02d:%02d:%02d %c%02d%02d",
                                     days[d.dayOfWeek() - 1], d.day(), months[d.month() - 1], d.year(), t.hour(),
                                     t.minute(), t.second(), offset < 0 ? '-' : '+', absOffset / 60, absOffset % 60);
    return QByteArray(text, std::clamp(length, 0, static_cast<int>(sizeof text) - 1));
}

QByteArray SMTPMessageBuilder::newMessageId(const QString &fromAddress) {
    const qsizetype at = fromAddress.lastIndexOf(QLatin1Char('@'));
    QString domain = at >= 0 ? fromAddress.mid(at + 1) : QString();
    if (domain.isEmpty() || !MimeText::isAscii(domain)) {
        domain = QStringLiteral("localhost");
    }
    const quint64 random = QRandomGenerator::global()->generate64();
    return "<" + QByteArray::number(QDateTime::currentMSecsSinceEpoch(), 36) + "." + QByteArray::number(random, 36) +
           "@" + domain.toLatin1() + ">";
}

SMTPMessageBuilder::Composed SMTPMessageBuilder::compose(const TPostMessage &message, int subType,
                                                         const QString &charset) {
    checkHeaderValue(message.FromAddress, "sender address");
    checkAddress(message.FromAddress);
    checkHeaderValue(message.FromName, "sender name");
    checkRecipients(message.ToAddress, "To addresses");
    checkRecipients(message.ToCarbonCopy, "CC addresses");
    checkRecipients(message.ToBlindCarbonCopy, "BCC addresses");
    checkHeaderValue(message.Subject, "subject");
    checkHeaderValue(message.LocalProgram, "X-Mailer text");
    checkHeaderValue(message.ReplyTo, "Reply-To address");
    checkHeaderValue(message.AutoSubmitted, "Auto-Submitted text");
    checkHeaderValue(message.Date, "date");
    for (const QString &line : message.HeaderLines) {
        checkHeaderLine(line);
    }
    for (const QString &path : message.Attachments) {
        checkHeaderValue(path, "attachment name");
    }

    bool ascii = true;
    for (const QString &line : message.Body) {
        ascii = ascii && MimeText::isAscii(line);
    }
    const QByteArray textType = QByteArray("Content-Type: ") + contentTypeName(subType) +
                                "; charset=" + (ascii ? charset.toLatin1() : QByteArray("utf-8"));
    const QByteArray transferEncoding("Content-Transfer-Encoding: quoted-printable");

    Composed result;
    QByteArrayList &h = result.headerLines;
    const QByteArray fromName = MimeText::isAscii(message.FromName) ? message.FromName.toLatin1()
                                                                    : MimeText::encodedWords(message.FromName) + ' ';
    h.append("From: " + fromName + "<" + message.FromAddress.toLatin1() + ">");
    if (!message.ToAddress.isEmpty()) {
        h.append("To: " + joinEntries(message.ToAddress));
    }
    if (!message.ToCarbonCopy.isEmpty()) {
        h.append("CC: " + joinEntries(message.ToCarbonCopy));
    }
    if (!message.Subject.isEmpty()) {
        h.append("Subject: " + MimeText::headerText(message.Subject));
    }
    if (!message.LocalProgram.isEmpty()) {
        h.append("X-Mailer: " + MimeText::headerText(message.LocalProgram));
    }
    if (!message.ReplyTo.isEmpty()) {
        h.append("Reply-To: " + MimeText::addressEntry(message.ReplyTo));
    }
    if (!message.AutoSubmitted.isEmpty()) {
        h.append("Auto-Submitted: " + MimeText::headerText(message.AutoSubmitted));
    }
    for (const QString &line : message.HeaderLines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        h.append(line.left(colon).toLatin1() + ": " + MimeText::headerText(line.mid(colon + 1).trimmed()));
    }
    h.append("Date: " + (message.Date.isEmpty() ? dateText(localNow()) : MimeText::headerText(message.Date)));
    h.append("Message-ID: " + newMessageId(message.FromAddress));
    h.append("Mime-Version: 1.0");

    if (message.Attachments.isEmpty()) {
        h.append(textType);
        if (!ascii) {
            h.append(transferEncoding);
        }
        appendText(result.body, message.Body, ascii);
    } else {
        result.boundary = newBoundary();
        const QByteArray &b = result.boundary;
        h.append("Content-Type: multipart/mixed; boundary=\"" + b + "\"");
        QByteArray &body = result.body;
        body.append("--" + b + "\r\n" + textType + "\r\n");
        if (!ascii) {
            body.append(transferEncoding + "\r\n");
        }
        body.append("\r\n");
        appendText(body, message.Body, ascii);
        for (const QString &path : message.Attachments) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                throw CorvaneError(
                    QStringLiteral("Cannot read the attachment \"%1\": %2").arg(path, file.errorString()));
            }
            const QString name = QFileInfo(path).fileName();
            body.append("--" + b + "\r\n");
            // A name that is not ASCII goes on a folded line of its own to keep the lines short.
            const QByteArray separator = MimeText::isAscii(name) ? "; " : ";\r\n ";
            body.append("Content-Type: application/octet-stream" + separator + "name=" + quotedFileName(name) + "\r\n");
            body.append("Content-Transfer-Encoding: base64\r\n");
            body.append("Content-Disposition: attachment" + separator + dispositionFileName(name) + "\r\n\r\n");
            body.append(TNMUUProcessor::encodeBase64Lines(file.readAll()));
        }
        body.append("--" + b + "--\r\n");
    }

    for (const QByteArray &line : h) {
        result.headerBlock.append(line);
        result.headerBlock.append("\r\n");
    }
    result.headerBlock.append("\r\n\r\n");
    if (result.headerBlock.size() >= kHeaderLimit) {
        throw CorvaneError(QStringLiteral("The message header is too long"));
    }
    return result;
}

} // namespace corvane
