// The mailbox check of the SMTP client's paths.
#include "send/SMTPMailbox.h"

namespace corvane {

namespace {

bool isAlnum(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The characters of RFC 5322 atext: letters, digits and ! # $ % & ' * + - / = ? ^ _ ` { | } ~
bool isAtext(char16_t c) {
    return isAlnum(c) || QStringView(u"!#$%&'*+-/=?^_`{|}~").contains(QChar(c));
}

bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

// The first character of `part` that `allowed` refuses, described for the person; empty when there is none.
template <typename Allowed> QString badCharacter(QStringView part, Allowed allowed) {
    for (const QChar c : part) {
        if (allowed(c.unicode())) {
            continue;
        }
        if (c == u' ' || c == u'\t') {
            return QStringLiteral("holds a blank");
        }
        if (isControl(c.unicode())) {
            return QStringLiteral("holds a control character");
        }
        return QStringLiteral("holds \"%1\"").arg(c);
    }
    return {};
}

// Dot-separated parts, none of them empty.
bool dotsInPlace(QStringView text) {
    return !text.startsWith(u'.') && !text.endsWith(u'.') && !text.contains(u"..");
}

QString domainProblem(QStringView domain) {
    if (domain.startsWith(u'[')) {
        // An address literal such as [192.0.2.1] or [IPv6:2001:db8::1]; the server judges its content.
        if (!domain.endsWith(u']') || domain.size() < 3) {
            return QStringLiteral("has an unclosed address literal");
        }
        return badCharacter(domain.sliced(1, domain.size() - 2),
                            [](char16_t c) { return c > 0x20 && c < 0x7f && c != u'[' && c != u']' && c != u'\\'; });
    }
    const QString bad =
        badCharacter(domain, [](char16_t c) { return isAlnum(c) || c == u'-' || c == u'_' || c == u'.'; });
    if (!bad.isEmpty()) {
        return bad;
    }
    return dotsInPlace(domain) ? QString() : QStringLiteral("has a misplaced dot after the \"@\"");
}

} // namespace

QString SMTPMailbox::problem(QStringView address) {
    // Characters first, so that a blank or a bracket is named even in an address without "@".
    const qsizetype at = address.indexOf(u'@');
    const QStringView local = at < 0 ? address : address.first(at);
    const QString badLocal = badCharacter(local, [](char16_t c) { return isAtext(c) || c == u'.'; });
    if (!badLocal.isEmpty()) {
        return badLocal;
    }
    if (at < 0) {
        return QStringLiteral("has no \"@\"");
    }
    const QStringView domain = address.sliced(at + 1);
    if (domain.contains(u'@')) {
        return QStringLiteral("has more than one \"@\"");
    }
    if (local.isEmpty()) {
        return QStringLiteral("has nothing before the \"@\"");
    }
    if (domain.isEmpty()) {
        return QStringLiteral("has nothing after the \"@\"");
    }
    if (address.size() > kMaxLength) {
        return QStringLiteral("is longer than %1 characters").arg(kMaxLength);
    }
    if (local.size() > kMaxLocalLength) {
        return QStringLiteral("has more than %1 characters before the \"@\"").arg(kMaxLocalLength);
    }
    if (!dotsInPlace(local)) {
        return QStringLiteral("has a misplaced dot before the \"@\"");
    }
    return domainProblem(domain);
}

QString SMTPMailbox::visible(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!isControl(u)) {
            out.append(c);
        } else {
            const int width = u <= 0xff ? 2 : 4;
            out.append(QLatin1String(width == 2 ? "\\x" : "\\u"));
            out.append(QString::number(u, 16).toUpper().rightJustified(width, QLatin1Char('0')));
        }
    }
    return out;
}

} // namespace corvane
