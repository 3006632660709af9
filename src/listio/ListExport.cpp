// The delimited list export: the walk over the list table, the line layout, the progress window and the
// question after a failing entry, and the printout, one walk per copy with each line handed on as it is read.
#include "listio/ListExport.h"

#include "base/BusyCursor.h"
#include "base/CorvaneError.h"
#include "base/LineText.h"
#include "base/ProgressWindow.h"
#include "base/ProtectedFiles.h"
#include "base/UserPrompt.h"
#include "db/MappingPause.h"
#include "db/SqliteTable.h"
#include "db/TableLock.h"
#include "listio/ListExportFile.h"
#include "listio/ListPrintTarget.h"

#include <QDir>
#include <QLocale>
#include <charconv>
#include <climits>
#include <stdexcept>

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

// A failure of the printer itself, which ends the run with the printing message instead of the question
// about the entry.
class PrinterFailure : public std::runtime_error {
public:
    PrinterFailure() : std::runtime_error("printer failure") {}
};

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
    m_printed = false;
    const QString sep = separator.isEmpty() ? QStringLiteral(",") : separator;
    return fileName.isEmpty() ? print(heading, fields, sep) : walk(fileName, fields, backUp, sep);
}

// The printout: the printer is chosen first, then each copy is one walk whose lines go straight to it.
// True when every copy was printed or the person cancelled the choice; a copy that ends early is thrown
// away, and a printer failure is told.
bool ListExport::print(const QString &heading, const ExportFields &fields, const QString &sep) {
    if (printTarget == nullptr) {
        return false;
    }
    m_printerFailed = false;
    try {
        if (!printTarget->choose(heading)) {
            return true;
        }
        const int copies = std::max(1, printTarget->copies());
        for (int copy = 0; copy < copies; ++copy) {
            printTarget->beginCopy(heading);
            if (!walk(QString(), fields, false, sep)) {
                if (m_printerFailed) {
                    throw PrinterFailure();
                }
                printTarget->abortCopy();
                return false;
            }
            printTarget->endCopy();
        }
    } catch (const std::exception &) {
        printTarget->abortCopy();
        m_prompt.message(UserPrompt::Kind::Warning, printErrorMessage(QString()), UserPrompt::Ok);
        return false;
    }
    m_printed = true;
    return true;
}

// The walk, to the file or (without a file name) to the print target. True when every entry was written, or
// the printer wanted no more; false on any failure, cancel or No (the reasons are listed with exportlist;
// a printer failure also sets m_printerFailed). The file is closed, the lock released, the filter restored, the cursor
// and the progress window put back on every way out.
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
        const MappingPause unmapped(m_table.database());
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
        bool wanted = true; // false once the printer needs no more lines
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
                        try {
                            wanted = printTarget->addLine(line);
                        } catch (const std::exception &) {
                            throw PrinterFailure();
                        }
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
                if (!wanted) {
                    break;
                }
                m_table.next();
                stage = 0;
                tries = 0;
            } catch (const PrinterFailure &) {
                throw;
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
    } catch (const PrinterFailure &) {
        m_printerFailed = true;
        result = false;
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
