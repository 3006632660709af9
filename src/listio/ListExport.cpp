// The delimited list export: the walk over the list table, the line layout, the progress window and the
// question after a failing entry, and the hand-over of gathered lines to the printer.
#include "listio/ListExport.h"

#include "base/BusyCursor.h"
#include "base/CorvaneError.h"
#include "base/LineText.h"
#include "base/ProgressWindow.h"
#include "base/ProtectedFiles.h"
#include "base/UserPrompt.h"
#include "db/SqliteTable.h"
#include "db/TableLock.h"
#include "listio/ListExportFile.h"

#include <QDir>
#include <QLocale>
#include <charconv>
#include <climits>

namespace corvane {

namespace {

// Hides the progress window on every way out of the walk.
class ProgressHider {
public:
    explicit ProgressHider(UserPrompt &prompt) : m_prompt(prompt) {}
    ~ProgressHider() { ProgressWindow::hideprogress(m_prompt); }
    ProgressHider(const ProgressHider &) = delete;
    ProgressHider &operator=(const ProgressHider &) = delete;

private:
    UserPrompt &m_prompt;
};

// Progress is shown whenever the gauge's percentage changes; in between, pending events still run this
// often so that Cancel is answered at once.
constexpr qint64 kEventInterval = 256;

} // namespace

bool ExportFields::parse(const QString &list, ExportFields &fields) {
    ExportFields parsed{false, false, false, false, false, false};
    const QStringList names = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (names.isEmpty()) {
        return false;
    }
    for (const QString &raw : names) {
        const QString name = raw.trimmed().toLower();
        if (name == QLatin1String("email")) {
            parsed.email = true;
        } else if (name == QLatin1String("category")) {
            parsed.category = true;
        } else if (name == QLatin1String("fullname")) {
            parsed.fullName = true;
        } else if (name == QLatin1String("firstname")) {
            parsed.firstName = true;
        } else if (name == QLatin1String("comments")) {
            parsed.comments = true;
        } else if (name == QLatin1String("bounces")) {
            parsed.bounces = true;
        } else {
            return false;
        }
    }
    fields = parsed;
    return true;
}

ListExport::ListExport(UserPrompt &prompt, SqliteTable &table) : m_prompt(prompt), m_table(table) {}

QString ListExport::printHeading(const QDateTime &at) {
    const QLocale locale;
    return QStringLiteral("Mailing List Print at ") + locale.toString(at.date(), QLocale::ShortFormat) +
           QLatin1Char(' ') + locale.toString(at.time(), QLocale::LongFormat);
}

QString ListExport::defaultFileName() {
    return QDir::current().absoluteFilePath(QStringLiteral("CVNExport.csv"));
}

QString ListExport::entryErrorQuestion(qint64 line) {
    return QStringLiteral("An error was encountered with line ") + QString::number(line) +
           QStringLiteral(".  Do you want to continue?");
}

QString ListExport::cannotWriteMessage(const QString &fileName) {
    return QStringLiteral("Unable to write to the file, ") + fileName;
}

QString ListExport::printErrorMessage(const QString &fileName) {
    return QStringLiteral("An error was encountered ") + QStringLiteral("printing") + QStringLiteral(" the file, ") +
           fileName + QStringLiteral(", check you have sufficient disk space and try again.");
}

bool ListExport::exportlist(const QString &fileName, const QString &printHeading, bool email, bool category,
                            bool fullName, bool firstName, bool comments, bool bounces, bool backUp,
                            const QString &separator) {
    return exportlist(fileName, printHeading, ExportFields{email, category, fullName, firstName, comments, bounces},
                      backUp, separator);
}

bool ListExport::exportlist(const QString &fileName, const QString &heading, const ExportFields &fields, bool backUp,
                            const QString &separator) {
    m_printLines.clear();
    const QString sep = separator.isEmpty() ? QStringLiteral(",") : separator;
    if (!walk(fileName, fields, backUp, sep)) {
        return false;
    }
    if (fileName.isEmpty() && printer) {
        try {
            printer(m_printLines, heading);
        } catch (const std::exception &) {
            m_prompt.message(UserPrompt::Kind::Warning, printErrorMessage(fileName), UserPrompt::Ok);
            return false;
        }
    }
    return true;
}

// The walk. True when every entry was written; false on any failure, cancel or No (the reasons are
// listed with exportlist). The file is closed, the lock released, the filter restored, the cursor and the
// progress window put back on every way out.
bool ListExport::walk(const QString &fileName, const ExportFields &fields, bool backUp, const QString &sep) {
    const bool toFile = !fileName.isEmpty();
    ListExportFile file;
    if (toFile && !file.open(fileName)) {
        m_prompt.message(UserPrompt::Kind::Warning,
                         file.refusedAsProtected() ? ProtectedFiles::refusal(fileName) : cannotWriteMessage(fileName),
                         UserPrompt::Ok);
        return false;
    }
    const QString message = backUp ? QStringLiteral("Backing Up Entries") : QStringLiteral("Exporting Entries");
    QByteArray sepBytes;
    ListExportFile::appendUtf8(sepBytes, sep);
    bool result = true;
    const bool wasFiltered = m_table.filtered();
    try {
        BusyCursor busy(m_prompt);
        ProgressHider hider(m_prompt);
        TableLock lock(m_table);
        if (wasFiltered) {
            m_table.setFiltered(false);
        }
        const qint64 total = m_table.recordCount();
        // The chosen fields' positions, in the order they are written.
        QList<int> columns;
        const std::pair<bool, const char *> order[] = {{fields.email, "Item"},        {fields.category, "Category"},
                                                       {fields.fullName, "Name"},     {fields.firstName, "Salutation"},
                                                       {fields.comments, "Comments"}, {fields.bounces, "Bounces"}};
        for (const auto &[chosen, name] : order) {
            if (chosen) {
                columns.append(m_table.fieldIndex(QString::fromLatin1(name)));
            }
        }
        const int bouncesColumn = m_table.fieldIndex(QStringLiteral("Bounces"));
        m_prompt.setCancelRequested(false);
        m_table.first();

        qint64 k = 0;    // attempts, as numbered in the question
        qint64 done = 0; // entries whose line was written
        int stage = 0;   // of the current entry: 0 write its line, 1 flush when due, 2 move on
        int tries = 0;   // failures of the current entry
        int lastPercent = -1;
        QString line;
        while (!m_table.eof()) {
            ++k;
            try {
                const int percent = total > 0 ? static_cast<int>(std::min(k, total) * 100 / total) : 0;
                if (percent != lastPercent) {
                    lastPercent = percent;
                    ProgressWindow::showprogress(m_prompt, true, static_cast<int>(std::min<qint64>(k, INT_MAX)),
                                                 static_cast<int>(std::min<qint64>(total, INT_MAX)), message, true);
                } else if (k % kEventInterval == 0) {
                    m_prompt.processEvents();
                }
                if (m_prompt.cancelRequested()) {
                    result = false;
                    break;
                }
                if (stage == 0) {
                    if (toFile) {
                        if (!columns.isEmpty()) {
                            for (int i = 0; i < columns.size(); ++i) {
                                if (i > 0) {
                                    file.append(sepBytes);
                                }
                                if (columns.at(i) == bouncesColumn) {
                                    char digits[16];
                                    const auto end = std::to_chars(digits, digits + sizeof digits,
                                                                   m_table.field(bouncesColumn).toInt())
                                                         .ptr;
                                    file.append(QByteArray::fromRawData(digits, end - digits));
                                } else {
                                    file.append(m_table.field(columns.at(i)).toString());
                                }
                            }
                            file.append(QByteArrayLiteral("\r\n"));
                        }
                    } else if (!columns.isEmpty()) {
                        line.clear();
                        for (int i = 0; i < columns.size(); ++i) {
                            if (i > 0) {
                                line += sep;
                            }
                            line += LineText::oneLine(m_table.field(columns.at(i)).toString());
                        }
                        m_printLines.append(line);
                    }
                    ++done;
                    stage = 1;
                }
                if (stage == 1) {
                    if (toFile && done % kFlushInterval == 0) {
                        file.flush();
                    }
                    stage = 2;
                }
                m_table.next();
                stage = 0;
                tries = 0;
            } catch (const std::exception &) {
                ++tries;
                const auto answer = m_prompt.message(UserPrompt::Kind::Warning, entryErrorQuestion(k),
                                                     UserPrompt::Yes | UserPrompt::No);
                if (answer != UserPrompt::Yes || tries >= kMaxTriesPerEntry) {
                    result = false;
                    break;
                }
            }
        }
        // Only a complete run replaces the old file; after a cancel, a No or a failure it stays as it was.
        if (toFile && result) {
            try {
                file.commit();
            } catch (const std::exception &) {
                m_prompt.message(UserPrompt::Kind::Warning, cannotWriteMessage(fileName), UserPrompt::Ok);
                result = false;
            }
        }
        lock.release();
    } catch (const std::exception &) {
        result = false;
    }
    if (wasFiltered) {
        try {
            m_table.setFiltered(true);
        } catch (const std::exception &) {
            // The view keeps showing every entry; the export itself is unaffected.
        }
    }
    file.close();
    return result;
}

} // namespace corvane
