// The errors list, its line format and its file.
#include "requests/ErrorsList.h"

#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "base/LineMerge.h"
#include "base/LineText.h"
#include "base/TextFile.h"

#include <QFileInfo>

namespace corvane {

QString ErrorsList::fileName() {
    return AppPaths::applicationDirectory() + QStringLiteral("errors.txt");
}

QString ErrorsList::lineFor(int kind, const QString &address, const QString &third) {
    if (address.isEmpty()) {
        return QString();
    }
    QString line;
    switch (kind) {
    case Remove:
        line = QStringLiteral("REMOVE ");
        break;
    case Add:
        line = QStringLiteral("ADD ");
        break;
    case Modify:
        line = QStringLiteral("MODIFY ");
        break;
    default:
        return QString();
    }
    line += LineText::oneLine(address);
    if (!third.isEmpty()) {
        line += QLatin1Char(' ') + LineText::oneLine(third);
    }
    return line;
}

void ErrorsList::AddToErrorsList(int kind, const QString &address, const QString &third) {
    const QString line = lineFor(kind, address, third);
    if (line.isEmpty()) {
        return;
    }
    m_lines.append(line);
    emit changed();
}

void ErrorsList::setLines(const QStringList &lines) {
    m_lines = lines;
    emit changed();
}

void ErrorsList::removeAt(int index) {
    if (index < 0 || index >= m_lines.size()) {
        return;
    }
    m_lines.removeAt(index);
    emit changed();
}

void ErrorsList::clear() {
    m_lines.clear();
    emit changed();
}

bool ErrorsList::LoadFromFile() {
    const QString file = fileName();
    if (!QFileInfo::exists(file)) {
        return true;
    }
    try {
        const QStringList lines = TextFile::readLines(file);
        m_baseline = lines;
        setLines(lines);
        return true;
    } catch (const CorvaneError &) {
        return false;
    }
}

bool ErrorsList::SaveToFile() {
    try {
        const QStringList result = TextFile::update(fileName(), QStringList(), [this](const QStringList &onDisk) {
            return LineMerge::merge(m_baseline, LineText::oneLine(m_lines), onDisk);
        });
        m_baseline = result;
        if (result != m_lines) {
            setLines(result);
        }
        return true;
    } catch (const CorvaneError &) {
        return false;
    }
}

} // namespace corvane
