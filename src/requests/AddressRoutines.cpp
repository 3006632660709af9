// The address validity check with its error codes and texts, the splitting of "Name <address>" forms, and
// the name helpers that derive a display name and a salutation. The validity check also runs once per
// candidate in the address extraction, so it works in one pass over the characters without allocating.
#include "requests/AddressRoutines.h"

#include "requests/TextRoutines.h"

#include <array>

namespace corvane {

namespace {

constexpr qsizetype kMaxUserLength = 64;
constexpr qsizetype kMaxDomainLength = 256;

constexpr QChar kAt = u'@';
constexpr QChar kDot = u'.';
constexpr QChar kHyphen = u'-';

// Letters, digits and the nine signs $ % ' + - . / @ _ ; everything else, including every character beyond
// ASCII, is refused anywhere in an address.
constexpr std::array<bool, 128> makePermittedTable() {
    std::array<bool, 128> table{};
    for (char c = 'A'; c <= 'Z'; ++c) {
        table[static_cast<unsigned char>(c)] = true;
    }
    for (char c = 'a'; c <= 'z'; ++c) {
        table[static_cast<unsigned char>(c)] = true;
    }
    for (char c = '0'; c <= '9'; ++c) {
        table[static_cast<unsigned char>(c)] = true;
    }
    for (char c : {'$', '%', '\'', '+', '-', '.', '/', '@', '_'}) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}

constexpr std::array<bool, 128> kPermitted = makePermittedTable();

bool isPermitted(QChar c) {
    return c.unicode() < kPermitted.size() && kPermitted[c.unicode()];
}

using Validity = AddressRoutines::Validity;

constexpr Validity invalid(int code) {
    return Validity{false, code};
}

// The domain rules after the length test: no leading or trailing dot, no two dots in a row, no label before
// a dot that begins or ends with a hyphen, no second "@", and at least one dot. Answers 0 when they pass.
int checkDomain(QStringView domain) {
    if (domain.startsWith(kDot) || domain.endsWith(kDot)) {
        return 5;
    }
    qsizetype labelStart = 0;
    bool hasDot = false;
    for (qsizetype i = 0; i < domain.size(); ++i) {
        const QChar c = domain[i];
        if (c == kDot) {
            hasDot = true;
            if (i + 1 < domain.size() && domain[i + 1] == kDot) {
                return 5;
            }
            const QStringView label = domain.sliced(labelStart, i - labelStart);
            if (label.startsWith(kHyphen) || label.endsWith(kHyphen)) {
                return 5;
            }
            labelStart = i + 1;
        } else if (c == kAt) {
            return 10;
        }
    }
    return hasDot ? 0 : 8;
}

// The standard rules in their order; answers 0 when the address passes all of them.
int standardRulesCode(QStringView address) {
    if (address.isEmpty()) {
        return 2;
    }
    qsizetype firstAt = -1;
    bool allPermitted = true;
    for (qsizetype i = 0; i < address.size(); ++i) {
        const QChar c = address[i];
        if (c == kAt) {
            if (firstAt < 0) {
                firstAt = i;
            }
        } else if (!isPermitted(c)) {
            allPermitted = false;
        }
    }
    if (firstAt < 0) {
        return 1;
    }
    if (!allPermitted) {
        return 5;
    }
    const QStringView user = address.first(firstAt);
    const QStringView domain = address.sliced(firstAt + 1);
    if (user.isEmpty()) {
        return 6;
    }
    if (domain.isEmpty()) {
        return 7;
    }
    if (domain.size() > kMaxDomainLength) {
        return 4;
    }
    if (user.size() > kMaxUserLength) {
        return 3;
    }
    if (user.startsWith(kDot) || user.endsWith(kDot) || user.contains(u"..")) {
        return 5;
    }
    return checkDomain(domain);
}

} // namespace

AddressRoutines::Validity AddressRoutines::validemailaddress(const QString &address, const QStringList *exceptions) {
    return validemailaddress(QStringView(address), exceptions);
}

// Standard rules first, then (only when they pass and a list is given) the case-sensitive exception
// fragments. Nothing escapes: an unexpected failure reports the address as invalid with code 0.
AddressRoutines::Validity AddressRoutines::validemailaddress(QStringView address, const QStringList *exceptions) {
    try {
        const int code = standardRulesCode(address);
        if (code != 0) {
            return invalid(code);
        }
        if (exceptions != nullptr) {
            for (const QString &fragment : *exceptions) {
                if (!fragment.isEmpty() && address.contains(fragment, Qt::CaseSensitive)) {
                    return invalid(101);
                }
            }
        }
        return Validity{true, 0};
    } catch (...) {
        return invalid(0);
    }
}

QString AddressRoutines::GetEmailErrorCode(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("Unknown error occured!");
    case 1:
        return QStringLiteral("Address does not contain an @ symbol");
    case 2:
        return QStringLiteral("Data too small");
    case 3:
        return QStringLiteral("User name part is too long!");
    case 4:
        return QStringLiteral("Domain name part is too long");
    case 5:
        return QStringLiteral("Address contains an invalid character");
    case 6:
        return QStringLiteral("Address does not contain a user name part");
    case 7:
        return QStringLiteral("Address does not contain a domain name part");
    case 8:
        return QStringLiteral("The domain TLD part is missing (.com, .net, etc)");
    case 9:
        return QStringLiteral("Address has an invalid general domain");
    case 10:
        return QStringLiteral("Address contains too many @ symbols");
    case 101:
        return QStringLiteral("E-mail address contains Exception text as set in Options");
    default:
        return QStringLiteral("Invalid error code!");
    }
}

// The name is tidied first. When the address holds "<", the address becomes the trimmed text after the
// first "<" with every ">" removed, and an empty (or discarded) name is taken from the text before "<".
// Finally "Surname, Given" is turned round.
void AddressRoutines::SMTPAddressToEmailName(QString &address, QString &name) {
    name = CleanDisplayName(name);
    const qsizetype open = address.indexOf(QLatin1Char('<'));
    if (open < 0) {
        return;
    }
    const QString prefix = TextRoutines::Trim(address.left(open));
    QString bare = address;
    bare.remove(QLatin1Char('>'));
    bare = TextRoutines::Trim(bare.mid(bare.indexOf(QLatin1Char('<')) + 1));
    address = bare;
    if (name.isEmpty()) {
        name = CleanDisplayName(prefix);
    }
    name = RemoveCommaFromName(name);
}

QString AddressRoutines::CleanDisplayName(const QString &text) {
    QString result = TextRoutines::Trim(text);
    if (result.contains(kAt)) {
        return QString();
    }
    if (result.startsWith(QLatin1Char('"'))) {
        result.remove(0, 1);
    }
    if (result.endsWith(QLatin1Char('"'))) {
        result.chop(1);
    }
    return result;
}

// "Doe, John" gives "John Doe"; the part before the first comma goes behind the rest, one space between.
// "Doe," gives " Doe" (nothing after the comma, still one space).
QString AddressRoutines::RemoveCommaFromName(const QString &name) {
    const qsizetype comma = name.indexOf(QLatin1Char(','));
    if (comma <= 0) {
        return name;
    }
    QString left = TextRoutines::Trim(name.left(comma + 1));
    if (left.endsWith(QLatin1Char(','))) {
        left.chop(1);
    }
    const QString right = TextRoutines::Trim(name.mid(comma + 1));
    return right + QLatin1Char(' ') + left;
}

QString AddressRoutines::SalutationFromName(const QString &fullName) {
    const qsizetype space = fullName.indexOf(QLatin1Char(' '));
    if (space < 0) {
        return fullName;
    }
    return TextRoutines::Trim(fullName.left(space));
}

bool AddressRoutines::LooksLikeAddress(const QString &word) {
    if (word.isEmpty() || word.contains(QLatin1Char(' '))) {
        return false;
    }
    const qsizetype dot = word.indexOf(kDot);
    const qsizetype at = word.indexOf(kAt);
    return dot >= 1 && at >= 1 && at < word.size() - 1;
}

} // namespace corvane
