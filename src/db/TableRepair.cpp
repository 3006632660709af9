// Copying the readable rows of a damaged table into a fresh file.
#include "db/TableRepair.h"

#include "base/CorvaneError.h"
#include "db/PageSalvage.h"
#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"
#include "db/TableRow.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <filesystem>
#include <limits>
#include <optional>

namespace corvane {

namespace {
const QStringList FileSuffixes{QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};

std::filesystem::path fsPath(const QString &path) {
    return std::filesystem::path(path.toStdU16String());
}

void removeFileSet(const QString &file) {
    for (const QString &suffix : FileSuffixes) {
        std::error_code ignored;
        std::filesystem::remove(fsPath(file + suffix), ignored);
    }
}

// Moves `from` and its journal files to `to`. Raises CorvaneError when the main file cannot be moved.
void moveFileSet(const QString &from, const QString &to) {
    removeFileSet(to);
    for (const QString &suffix : FileSuffixes) {
        if (!QFileInfo::exists(from + suffix)) {
            continue;
        }
        std::error_code error;
        std::filesystem::rename(fsPath(from + suffix), fsPath(to + suffix), error);
        if (error && suffix.isEmpty()) {
            throw CorvaneError(
                QStringLiteral("Cannot rename %1 to %2: %3").arg(from, to, QString::fromStdString(error.message())));
        }
    }
}

// Reads the table through SQLite in rowid order, passing each row to `write` and stepping over stretches
// that cannot be read. `sequence` receives the table's auto-increment counter when readable.
class ReadableRows {
public:
    ReadableRows(const QString &file, const TableSchema &schema) : m_schema(schema) {
        m_db.open(file, SqliteDatabase::Access::Recovery, false);
    }

    enum class Outcome { Complete, Incomplete };

    // Copies every row SQLite can read. Raises CorvaneError when the table is readable but has other fields
    // than `schema` (an older layout must be upgraded, not repaired: the page search would find none of its
    // rows and the fresh file would be empty).
    Outcome copy(const std::function<void(const TableRow &)> &write, const TableRepair::Progress &progress,
                 qint64 &sequence) {
        QStringList columns;
        try {
            columns = m_db.columnNames(m_schema.tableName);
        } catch (const CorvaneError &) {
            return Outcome::Incomplete;
        }
        if (columns.isEmpty()) {
            return Outcome::Incomplete;
        }
        bool same = columns.size() == m_schema.fields.size();
        for (int i = 0; same && i < columns.size(); ++i) {
            same = columns.at(i).compare(m_schema.fields.at(i).name, Qt::CaseInsensitive) == 0;
        }
        if (!same) {
            throw CorvaneError(QStringLiteral("The table %1 has the fields %2; it must be upgraded, not repaired")
                                   .arg(m_schema.tableName, columns.join(QStringLiteral(", "))));
        }
        const QString selected = QStringLiteral("rowid, ") + m_schema.columnList();
        sequence =
            optionalInt(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = '%1'").arg(m_schema.tableName))
                .value_or(0);
        const qint64 highest =
            optionalInt(QStringLiteral("SELECT max(rowid) FROM ") + TableSchema::quote(m_schema.tableName)).value_or(0);
        SqliteStatement read(m_db.handle(), QStringLiteral("SELECT %1 FROM %2 WHERE rowid > ?1 ORDER BY rowid")
                                                .arg(selected, TableSchema::quote(m_schema.tableName)));
        StatementReset guard(read);
        bool complete = true;
        qint64 after = std::numeric_limits<qint64>::min();
        TableRow row;
        for (;;) {
            read.reset();
            read.bindInt(1, after);
            try {
                while (read.step()) {
                    row.rowid = read.columnInt(0);
                    row.values.clear();
                    for (int i = 0; i < m_schema.fields.size(); ++i) {
                        row.values.append(
                            TableSchema::storableOrDefault(m_schema.fields.at(i), read.columnValue(i + 1)));
                    }
                    write(row);
                    after = row.rowid;
                    if (progress && highest > 0) {
                        progress(static_cast<int>(std::clamp<qint64>(after, 0, highest) * 100 / highest));
                    }
                }
                return complete ? Outcome::Complete : Outcome::Incomplete;
            } catch (const CorvaneError &) {
                complete = false;
                const std::optional<qint64> resume = nextReadable(after, highest);
                if (!resume) {
                    return Outcome::Incomplete;
                }
                after = *resume - 1;
            }
        }
    }

private:
    std::optional<qint64> optionalInt(const QString &sql) {
        try {
            SqliteStatement query(m_db.handle(), sql);
            StatementReset guard(query);
            if (query.step() && !query.isNull(0)) {
                return query.columnInt(0);
            }
        } catch (const CorvaneError &) {
            // Unreadable: the caller does without.
        }
        return std::nullopt;
    }

    // The first rowid after `after` from which the table can be read again, probing ever further ahead;
    // nothing when no readable row follows.
    std::optional<qint64> nextReadable(qint64 after, qint64 highest) {
        SqliteStatement probe(m_db.handle(),
                              QStringLiteral("SELECT rowid FROM %1 WHERE rowid >= ?1 ORDER BY rowid LIMIT 1")
                                  .arg(TableSchema::quote(m_schema.tableName)));
        qint64 step = 1;
        for (;;) {
            if (after > std::numeric_limits<qint64>::max() - step) {
                return std::nullopt;
            }
            const qint64 from = after + step;
            if (highest > 0 && from > highest) {
                return std::nullopt;
            }
            try {
                StatementReset guard(probe);
                probe.bindInt(1, from);
                if (!probe.step()) {
                    return std::nullopt;
                }
                return probe.columnInt(0);
            } catch (const CorvaneError &) {
                if (step > std::numeric_limits<qint64>::max() / 2) {
                    return std::nullopt;
                }
                step *= 2;
            }
        }
    }

    const TableSchema &m_schema;
    SqliteDatabase m_db;
};
} // namespace

QString TableRepair::damagedName(const QString &file) {
    const QFileInfo info(file);
    const QString stem = info.fileName() + QStringLiteral(".damaged-");
    const QRegularExpression numbered(QStringLiteral("^") + QRegularExpression::escape(stem) +
                                      QStringLiteral("([0-9]{1,9})(-journal|-wal|-shm)?$"));
    int highest = 0;
    for (const QString &name : info.dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = numbered.match(name);
        if (match.hasMatch()) {
            highest = std::max(highest, match.captured(1).toInt());
        }
    }
    return file + QStringLiteral(".damaged-") + QString::number(highest + 1);
}

TableRepair::Result TableRepair::repair(const QString &file, const TableSchema &schema, const Progress &progress) {
    if (!QFileInfo::exists(file)) {
        throw CorvaneError(QStringLiteral("%1 does not exist").arg(file));
    }
    int reported = -1;
    const auto report = [&progress, &reported](int percent) {
        if (progress && percent != reported) {
            reported = percent;
            progress(percent);
        }
    };
    report(0);
    const QString fresh = file + QStringLiteral(".rebuild");
    removeFileSet(fresh);
    Result result;
    try {
        SqliteDatabase target;
        target.open(fresh, SqliteDatabase::Access::Shared, true);
        target.begin();
        target.exec(schema.createTableSql() + QLatin1Char(';') + schema.createIndexesSql());
        QStringList columns{QStringLiteral("rowid")};
        QStringList params{QStringLiteral("?1")};
        QList<int> fields;
        for (int i = 0; i < schema.fields.size(); ++i) {
            if (schema.fields.at(i).kind != TableSchema::Kind::AutoIncrement) {
                columns.append(TableSchema::quote(schema.fields.at(i).name));
                params.append(QLatin1Char('?') + QString::number(columns.size()));
                fields.append(i);
            }
        }
        SqliteStatement insert(target.handle(),
                               QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES (%3)")
                                   .arg(TableSchema::quote(schema.tableName), columns.join(QStringLiteral(", ")),
                                        params.join(QStringLiteral(", "))));
        const auto write = [&](const TableRow &row) {
            insert.bindInt(1, row.rowid);
            for (int i = 0; i < fields.size(); ++i) {
                insert.bind(
                    i + 2, TableSchema::storableOrDefault(schema.fields.at(fields.at(i)), row.values.at(fields.at(i))));
            }
            insert.execute();
            result.rows += target.changes();
        };
        qint64 sequence = 0;
        bool complete = false;
        std::optional<ReadableRows> readable;
        try {
            readable.emplace(file, schema);
        } catch (const CorvaneError &) {
            readable.reset();
        }
        if (readable) {
            complete = readable->copy(
                           write, [&](int percent) { report(percent * 80 / 100); }, sequence) ==
                       ReadableRows::Outcome::Complete;
            readable.reset();
        }
        if (!complete) {
            result.damaged = true;
            PageSalvage::scan(file, schema, write, [&](int percent) { report(80 + percent * 19 / 100); });
        }
        if (schema.autoIncrementField() >= 0 && sequence > 0) {
            SqliteStatement counter(target.handle(),
                                    QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?1) WHERE name = ?2"));
            counter.bindInt(1, sequence);
            counter.bindText(2, schema.tableName);
            counter.execute();
            if (target.changes() == 0) {
                SqliteStatement add(target.handle(),
                                    QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?1, ?2)"));
                add.bindText(1, schema.tableName);
                add.bindInt(2, sequence);
                add.execute();
            }
        }
        target.commit();
    } catch (...) {
        removeFileSet(fresh);
        throw;
    }
    result.keptAs = damagedName(file);
    moveFileSet(file, result.keptAs);
    try {
        moveFileSet(fresh, file);
    } catch (const CorvaneError &) {
        moveFileSet(result.keptAs, file);
        throw;
    }
    report(100);
    return result;
}

} // namespace corvane
