// Field splitting, value mapping and the settings dialog's columns of the multi-column import.
#include "listio/ImportSettings.h"

#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "listio/ImportLines.h"
#include "requests/TextRoutines.h"

namespace corvane {

QStringList ImportSettings::fieldLabels() {
    return {emailLabel(),
            QStringLiteral("Category"),
            QStringLiteral("Full Name"),
            QStringLiteral("First Name"),
            QStringLiteral("Comments"),
            QStringLiteral("Bounces")};
}

QStringList ImportSettings::defaultMapping() {
    QStringList mapping = fieldLabels();
    while (mapping.size() < kMaxFields) {
        mapping.append(ignoreLabel());
    }
    return mapping;
}

QStringList ImportSettings::splitFields(const QString &line, const QString &separator) {
    QStringList fields;
    TextRoutines::SplitText(fields, line, separator.isEmpty() ? QStringLiteral(",") : separator, true, true);
    return fields;
}

ImportValues ImportSettings::values(const QStringList &fields, const QStringList &mapping) {
    const auto value = [&](const QString &label) {
        const qsizetype row = mapping.indexOf(label);
        return row < 0 || row >= kMaxFields ? QString() : TextRoutines::Trim(fields.value(row));
    };
    ImportValues v;
    v.email = value(emailLabel());
    v.category = value(QStringLiteral("Category"));
    v.fullName = value(QStringLiteral("Full Name"));
    v.firstName = value(QStringLiteral("First Name"));
    v.comments = value(QStringLiteral("Comments"));
    bool ok = false;
    v.bounces = value(QStringLiteral("Bounces")).toInt(&ok);
    if (!ok) {
        v.bounces = 0;
    }
    return v;
}

bool ImportSettings::parseColumns(const QString &list, QStringList &mapping) {
    static const QStringList names = {QStringLiteral("e-mail"),    QStringLiteral("category"),
                                      QStringLiteral("full-name"), QStringLiteral("first-name"),
                                      QStringLiteral("comments"),  QStringLiteral("bounces")};
    const QStringList labels = fieldLabels();
    QStringList result;
    for (const QString &part : list.split(QLatin1Char(','))) {
        const QString name = part.trimmed().toLower();
        if (name == QLatin1String("ignore")) {
            result.append(ignoreLabel());
            continue;
        }
        const qsizetype at = names.indexOf(name);
        if (at < 0 || result.contains(labels.at(at))) {
            return false;
        }
        result.append(labels.at(at));
    }
    for (const QString &label : labels) {
        if (!result.contains(label)) {
            result.append(label);
        }
    }
    while (result.size() < kMaxFields) {
        result.append(ignoreLabel());
    }
    // The six labels and five ignore rows always stay: more ignore columns than that cannot be mapped.
    if (result.size() > kMaxFields) {
        return false;
    }
    mapping = result;
    return true;
}

void ImportSettings::setSeparator(const QString &separator, UserPrompt &prompt) {
    m_separator = separator.left(1);
    m_examples.clear();
    if (!m_separator.isEmpty() && !m_fileName.isEmpty()) {
        rebuild(prompt);
    }
}

void ImportSettings::setHeader(bool header, UserPrompt &prompt) {
    m_header = header;
    m_examples.clear();
    if (!m_separator.isEmpty() && !m_fileName.isEmpty()) {
        rebuild(prompt);
    }
}

void ImportSettings::setFileName(const QString &fileName) {
    if (fileName != m_fileName) {
        m_examples.clear();
    }
    m_fileName = fileName;
}

void ImportSettings::FormShow(UserPrompt &prompt) {
    if (m_examples.isEmpty()) {
        rebuild(prompt);
    }
}

void ImportSettings::rebuild(UserPrompt &prompt) {
    m_fileFields.clear();
    m_examples.clear();
    if (m_fileName.isEmpty()) {
        prompt.message(UserPrompt::Kind::Information,
                       QStringLiteral("Please select your input file before performing your field mapping"),
                       UserPrompt::Ok);
        buildFor(6);
        return;
    }
    try {
        const QStringList lines = ImportLines::firstLines(m_fileName, 2);
        if (m_header) {
            m_fileFields = splitFields(lines.value(0), m_separator).mid(0, kMaxFields);
            if (lines.size() > 1) {
                m_examples = splitFields(lines.at(1), m_separator);
            }
        } else {
            m_examples = splitFields(lines.value(0), m_separator);
        }
        buildFor(int(m_examples.size()));
    } catch (const CorvaneError &) {
        m_fileFields.clear();
        m_examples.clear();
        buildFor(6);
    }
}

void ImportSettings::buildFor(int n) {
    n = qBound(0, n, kMaxFields);
    m_examples = m_examples.mid(0, kMaxFields);
    if (!m_header) {
        m_fileFields.clear();
        for (int i = 1; i <= n; ++i) {
            m_fileFields.append(QStringLiteral("Field %1").arg(i));
        }
    }
    m_mapping = defaultMapping();
}

QString ImportSettings::rowText(int row) const {
    const QString label = m_mapping.value(row);
    if (greyed(row) && label != ignoreLabel()) {
        return label + QStringLiteral(" (no field)");
    }
    return label;
}

QString ImportSettings::exampleLabel() const {
    return QStringLiteral("(e.g. someone@example.com") + m_separator + QStringLiteral("My_Category)");
}

int ImportSettings::movefield(int row, int delta, UserPrompt &prompt) {
    if (row < 0 || row >= m_mapping.size()) {
        prompt.message(UserPrompt::Kind::Warning, QStringLiteral("You have not selected a field to move!"),
                       UserPrompt::Ok);
        return -1;
    }
    const int target = row + delta;
    if (target < 0 || target >= m_mapping.size()) {
        prompt.beep();
        return row;
    }
    m_mapping.move(row, target);
    return target;
}

bool ImportSettings::canClose(UserPrompt &prompt) const {
    if (m_mapping.indexOf(emailLabel()) >= m_fileFields.size()) {
        prompt.message(UserPrompt::Kind::Information,
                       QStringLiteral("You have not mapped your e-mail field.  This field is required!"),
                       UserPrompt::Ok);
        return false;
    }
    return true;
}

} // namespace corvane
