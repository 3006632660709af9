// Parsing the per-recipient blocks of a delivery-status part.
#include "requests/DeliveryStatusReport.h"

#include "requests/AddressRoutines.h"

#include <QHash>
#include <QList>

namespace corvane {

namespace {

// Field lines longer than this (after unfolding) are cut: no real field comes near it.
constexpr qsizetype kMaxFieldBytes = 2048;

using Block = QHash<QByteArray, QByteArray>;

// `value` with every control character (and DEL) turned into a blank, trimmed.
QByteArray withoutControls(QByteArray value) {
    for (char &c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            c = ' ';
    }
    return value.trimmed();
}

// The blocks of `text`: groups of "Name: value" lines (folded lines joined) separated by empty lines. The
// first value of a name counts; lines that are no field are skipped.
QList<Block> blocksOf(const QByteArray &text) {
    QList<Block> blocks;
    Block current;
    QByteArray name;
    QByteArray value;
    const auto storeField = [&] {
        if (!name.isEmpty() && !current.contains(name))
            current.insert(name, withoutControls(value.left(kMaxFieldBytes)));
        name.clear();
        value.clear();
    };
    const auto endBlock = [&] {
        storeField();
        if (!current.isEmpty())
            blocks.append(current);
        current.clear();
    };
    qsizetype pos = 0;
    while (pos < text.size() && blocks.size() <= DeliveryStatusReport::kMaxRecipients) {
        qsizetype eol = text.indexOf('\n', pos);
        if (eol < 0)
            eol = text.size();
        QByteArrayView line(text.constData() + pos, eol - pos);
        pos = eol + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty()) {
            endBlock();
            continue;
        }
        if (line.front() == ' ' || line.front() == '\t') {
            if (!name.isEmpty() && value.size() < kMaxFieldBytes)
                value += ' ' + line.trimmed().toByteArray();
            continue;
        }
        storeField();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        name = line.first(colon).trimmed().toByteArray().toLower();
        value = line.sliced(colon + 1).toByteArray().left(kMaxFieldBytes);
    }
    endBlock();
    return blocks;
}

// The first word of an Action value ("failed (bad mailbox)" gives "failed"), in lower case.
QByteArray actionOf(const QByteArray &value) {
    QByteArray word = value.trimmed().toLower();
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] == ' ' || word[i] == '(' || word[i] == ';')
            return word.left(i);
    }
    return word;
}

} // namespace

QString DeliveryStatusReport::recipientAddress(const QByteArray &value) {
    const qsizetype semicolon = value.indexOf(';');
    if (semicolon < 0)
        return {};
    const QByteArray type = value.left(semicolon).trimmed().toLower();
    if (type != "rfc822" && type != "utf-8")
        return {};
    QString address = QString::fromUtf8(value.mid(semicolon + 1)).trimmed();
    if (address.startsWith(QLatin1Char('<')) && address.endsWith(QLatin1Char('>')))
        address = address.mid(1, address.size() - 2).trimmed();
    if (!AddressRoutines::validemailaddress(address).valid)
        return {};
    return address;
}

std::optional<QStringList> DeliveryStatusReport::failedRecipients(const QByteArray &text) {
    QStringList failed;
    bool structured = false;
    int recipients = 0;
    for (const Block &block : blocksOf(text)) {
        const auto action = block.constFind("action");
        if (action == block.constEnd())
            continue;
        structured = true;
        if (++recipients > kMaxRecipients)
            break;
        if (actionOf(*action) != "failed")
            continue;
        QString address = recipientAddress(block.value("original-recipient"));
        if (address.isEmpty())
            address = recipientAddress(block.value("final-recipient"));
        if (!address.isEmpty())
            failed.append(address);
    }
    if (!structured)
        return std::nullopt;
    return failed;
}

} // namespace corvane
