// The harvesters' result list and the joins that put names and addresses into it.
#include "listio/HarvestList.h"

#include "base/LineText.h"
#include "requests/AddressRoutines.h"
#include "requests/TextRoutines.h"

namespace corvane {

bool HarvestList::add(const QString &line) {
    const QString text = TextRoutines::Trim(LineText::oneLine(line)).trimmed();
    if (text.isEmpty())
        return false;
    const QString key = text.toCaseFolded();
    if (m_lines.contains(key))
        return false;
    m_lines.insert(key, text);
    return true;
}

void HarvestList::addNameAndAddress(const QString &name, const QString &address) {
    const QString bare = TextRoutines::Trim(LineText::oneLine(address)).trimmed();
    if (bare.isEmpty())
        return;
    QString display = TextRoutines::Trim(LineText::oneLine(name)).trimmed();
    if (display.contains(QLatin1Char('@')))
        display.clear();
    if (display.indexOf(QLatin1Char(',')) > 0)
        display = AddressRoutines::RemoveCommaFromName(display);
    add(display.isEmpty() ? bare : display + QStringLiteral(" <") + bare + QLatin1Char('>'));
}

void HarvestList::addSemicolonList(const QString &text) {
    QStringList parts;
    TextRoutines::OCVStrToStringlist(parts, text, QStringLiteral(";"), false, false, false);
    for (const QString &part : parts)
        add(part);
}

} // namespace corvane
