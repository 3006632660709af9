// The line-batch routine, the multi-column import and the import dialog's OK.
#include "listio/ListImport.h"

#include "base/BusyCursor.h"
#include "base/CorvaneError.h"
#include "base/LineText.h"
#include "base/UserPrompt.h"
#include "listio/ImportLines.h"
#include "listio/ImportSettings.h"
#include "requests/EntryRules.h"
#include "requests/TextRoutines.h"

#include <QDateTime>
#include <QFileInfo>
#include <optional>

namespace corvane {

ListImport::ListImport(EntryRules &rules, UserPrompt &prompt) : m_rules(rules), m_prompt(prompt) {}

QString ListImport::singleColumnPrefix(const QString &fileName) {
    return QStringLiteral("Import of entries from file \"") + QFileInfo(fileName).fileName() + QStringLiteral("\" at ");
}

QString ListImport::errorQuestion(qint64 line, const QString &message) {
    return QStringLiteral("An error was encountered with line ") + QString::number(line) + QStringLiteral(": ") +
           message + QStringLiteral(".  Do you want to continue?");
}

bool ListImport::goOn(qint64 line, const QString &message) {
    return m_prompt.message(UserPrompt::Kind::Warning, errorQuestion(line, message),
                            UserPrompt::Yes | UserPrompt::No) == UserPrompt::Yes;
}

const QString &ListImport::stamp() {
    // Formatting the date-time text costs more than some entry rules; it changes once a second.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (now != m_stampSecond) {
        m_stampSecond = now;
        m_stamp = TextRoutines::getdatetimestring();
    }
    return m_stamp;
}

void ListImport::progress(qint64 i, qint64 count, const QString &text) {
    const int percent = count > 1 ? int(i * 100 / (count - 1)) : 100;
    if (percent == m_lastPercent && i % kProgressInterval != 0) {
        return;
    }
    m_lastPercent = percent;
    // A line read from a file may hold anything: the window (or a terminal) shows its control characters
    // made visible, on one line and not without end.
    m_prompt.showProgress(percent, LineText::visible(TextRoutines::LeftChars(text, 200)), true);
    m_prompt.processEvents();
}

qint64 ListImport::walkLines(ImportLines &lines, const std::function<void()> &prepare,
                             const std::function<bool(qint64 i, qint64 count, const QString &line)> &handle,
                             const QString &completion) {
    BusyCursor busy(m_prompt);
    m_completed = false;
    m_lastPercent = -1;
    qint64 processed = 0;
    try {
        if (prepare) {
            prepare();
        }
        const qint64 count = lines.count();
        bool stopped = false;
        QString line;
        for (qint64 i = 0; !stopped; ++i) {
            try {
                if (!lines.next(line)) {
                    break;
                }
                if (!line.isEmpty() && handle(i, count, line)) {
                    ++processed;
                }
            } catch (const std::exception &e) {
                stopped = !goOn(i, CorvaneError::messageOf(e));
            }
            if (m_prompt.cancelRequested()) {
                stopped = true;
            }
        }
        m_completed = !stopped;
        m_prompt.hideProgress();
        if (!completion.isEmpty()) {
            m_prompt.message(UserPrompt::Kind::Information, completion.arg(processed), UserPrompt::Ok);
        }
    } catch (const std::exception &) {
        m_completed = false;
        m_prompt.hideProgress();
        m_prompt.message(UserPrompt::Kind::Error, QStringLiteral("error"), UserPrompt::Ok);
    }
    m_prompt.hideProgress();
    return processed;
}

qint64 ListImport::Importfile(ImportLines &lines, bool add, bool showCompletion, const QString &commentPrefix,
                              const QString &category, bool undeliverable) {
    const QString trimmedCategory = TextRoutines::Trim(category);
    return walkLines(
        lines, {},
        [&](qint64 i, qint64 count, const QString &line) {
            progress(i, count, QStringLiteral("Processing: ") + line);
            const QString address = TextRoutines::Trim(line);
            if (undeliverable) {
                m_rules.processbounce(address);
            } else {
                m_rules.insertentry(add, address, trimmedCategory, QString(), QString(),
                                    commentPrefix + QLatin1Char(' ') + stamp(), 0, false, false);
            }
            return true;
        },
        showCompletion ? QStringLiteral("Processing of %1 entries has been completed") : QString());
}

qint64 ListImport::ImportMultiColumnFile(ImportLines &lines, ImportSettings &settings, const QString &commentPrefix) {
    QString separator;
    qint64 first = 0;
    const auto prepare = [&] {
        if (!settings.built()) {
            settings.rebuild(m_prompt);
        }
        separator = settings.separator().isEmpty() ? QStringLiteral(",") : settings.separator();
        first = settings.header() ? 1 : 0;
    };
    return walkLines(
        lines, prepare,
        [&](qint64 i, qint64 count, const QString &line) {
            if (i < first) {
                return false;
            }
            progress(i, count, QStringLiteral("Processing Line ") + QString::number(i));
            const QStringList fields = ImportSettings::splitFields(line, separator);
            if (fields.isEmpty()) {
                return false;
            }
            ImportValues v = ImportSettings::values(fields, settings.mapping());
            if (v.comments.isEmpty()) {
                v.comments = commentPrefix + stamp();
            }
            m_rules.insertentry(true, v.email, v.category, v.fullName, v.firstName, v.comments, v.bounces, false,
                                false);
            return true;
        },
        QStringLiteral("%1 entries have been processed!"));
}

bool ListImport::importFile(const QString &fileName, bool multiColumn, const QString &category,
                            ImportSettings &settings, qint64 *processed) {
    m_completed = false;
    if (!multiColumn && category.isEmpty()) {
        m_prompt.message(UserPrompt::Kind::Information,
                         QStringLiteral("You have not entered a list category to add these addresses to!"),
                         UserPrompt::Ok);
        return false;
    }
    std::optional<ImportLines> lines;
    try {
        lines.emplace(ImportLines::fromFile(fileName));
    } catch (const CorvaneError &) {
        m_prompt.message(UserPrompt::Kind::Error, QStringLiteral("Error encountered opening your import file!"),
                         UserPrompt::Ok);
        return false;
    }
    if (!category.isEmpty() && !m_rules.CheckCategory(category)) {
        return false;
    }
    const QString prefix = singleColumnPrefix(fileName);
    settings.setFileName(fileName);
    const qint64 count = multiColumn ? ImportMultiColumnFile(*lines, settings, prefix)
                                     : Importfile(*lines, true, true, prefix, category, false);
    if (processed != nullptr) {
        *processed = count;
    }
    return true;
}

} // namespace corvane
