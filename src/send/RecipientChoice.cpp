// The recipient choice and the computation of tblTemp.
#include "send/RecipientChoice.h"

#include "base/BusyCursor.h"
#include "base/UserPrompt.h"
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"
#include "db/TableFilter.h"
#include "db/TableSchema.h"
#include "requests/AddressRoutines.h"

#include <QElapsedTimer>
#include <sqlite3.h>

namespace corvane {

namespace {

// Progress is shown at most this often (and every few hundred rows), so that painting it never costs more
// than the rows themselves.
constexpr qint64 kProgressMs = 200;

// The rows of one computation: one prepared INSERT OR IGNORE in one transaction on tblTemp's connection.
// The unique key on Email (letter case ignored) drops every later row of an address.
class TempWriter {
public:
    explicit TempWriter(SqliteTable &temp)
        : m_db(temp.database()), m_schema(temp.schema()),
          m_insert(m_db.handle(), QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES (?, ?, ?)")
                                      .arg(TableSchema::quote(m_schema.tableName), m_schema.columnList())) {
        m_db.begin();
    }
    ~TempWriter() {
        if (m_db.inTransaction()) {
            m_db.rollback();
        }
    }
    TempWriter(const TempWriter &) = delete;
    TempWriter &operator=(const TempWriter &) = delete;

    // Adds one row; a value the table cannot store drops the row, as a duplicate does.
    void add(const QString &email, const QString &name, const QString &salutation) {
        try {
            m_insert.bindText(1, TableSchema::storable(m_schema.fields.at(0), email).toString());
            m_insert.bindText(2, TableSchema::storable(m_schema.fields.at(1), name).toString());
            m_insert.bindText(3, TableSchema::storable(m_schema.fields.at(2), salutation).toString());
            m_insert.execute();
        } catch (const CorvaneError &) {
            m_insert.reset();
        }
    }
    // Commits the rows added so far (also those of a cancelled computation). Raises CorvaneError.
    void commit() { m_db.commit(); }

private:
    SqliteDatabase &m_db;
    const TableSchema &m_schema;
    SqliteStatement m_insert;
};

// Shows progress when enough rows or time went by since the last showing.
class Throttle {
public:
    explicit Throttle(int rows) : m_rows(rows) { m_clock.start(); }
    bool due(qint64 row) {
        if (row % m_rows != 0 && m_clock.elapsed() < kProgressMs) {
            return false;
        }
        m_clock.restart();
        return true;
    }

private:
    int m_rows;
    QElapsedTimer m_clock;
};

int percent(qint64 position, qint64 maximum) {
    return maximum <= 0 ? 0 : static_cast<int>(position * 100 / maximum);
}

} // namespace

RecipientChoice::RecipientChoice(SqliteTable &tblML, SqliteTable &tblTemp, UserPrompt &prompt)
    : m_tblML(tblML), m_tblTemp(tblTemp), m_prompt(prompt), m_setFilter(tableFilter(tblML)) {}

RecipientChoice::FilterHook RecipientChoice::tableFilter(SqliteTable &table) {
    return [&table](bool includeOn, const QString &includeText, const QString &excludeText, bool excludeOn) {
        if (!table.isOpen()) {
            return;
        }
        if (includeOn && !includeText.isEmpty()) {
            table.setFilter(TableFilter::categories(TableFilter::Mode::Include, includeText));
            table.setFiltered(true);
        } else if (excludeOn && !excludeText.isEmpty()) {
            table.setFilter(TableFilter::categories(TableFilter::Mode::Exclude, excludeText));
            table.setFiltered(true);
        } else {
            table.setFiltered(false);
        }
    };
}

void RecipientChoice::edtfilterChange(const QString &text) {
    m_filter = text;
    m_choice = Choice::Filter;
    rdballClick();
}

void RecipientChoice::edtnotfilterChange(const QString &text) {
    m_notFilter = text;
    m_choice = Choice::NotFilter;
    rdballClick();
}

void RecipientChoice::rdballClick() {
    m_stale = true;
    m_manualShown = m_choice == Choice::Manual;
    try {
        if (!m_manualShown && m_setFilter) {
            m_setFilter(m_choice == Choice::Filter, m_filter, m_notFilter, m_choice == Choice::NotFilter);
        }
        const qint64 count = m_tblML.isOpen() ? m_tblML.recordCount() : 0;
        m_count = QStringLiteral("  ") + QString::number(count) + QStringLiteral(" Records");
    } catch (const std::exception &) {
        // The label keeps its text; the list is stale and will be computed before a send.
    }
}

bool RecipientChoice::emptyTemp() {
    try {
        m_tblTemp.emptyTable();
        return true;
    } catch (const std::exception &) {
        m_prompt.message(UserPrompt::Kind::Warning, kClearError, UserPrompt::Ok);
        return false;
    }
}

void RecipientChoice::finish() {
    m_count = QString::number(m_tblTemp.recordCount()) + QStringLiteral(" Unique Recipients");
    m_tblTemp.first();
    m_stale = false;
}

void RecipientChoice::btnrecalcClick(bool personalise) {
    if (m_choice == Choice::Manual) {
        ProcessManual();
        return;
    }
    BusyCursor busy(m_prompt);
    m_prompt.setCancelRequested(false);
    if (m_grid) {
        m_grid(false);
    }
    try {
        if (emptyTemp()) {
            computeFromList(personalise);
        } else {
            m_prompt.message(UserPrompt::Kind::Warning, kCalculateError, UserPrompt::Ok);
        }
    } catch (const std::exception &) {
        m_stale = true;
        m_prompt.hideProgress();
        m_prompt.message(UserPrompt::Kind::Warning, kCalculateError, UserPrompt::Ok);
    }
    m_prompt.hideProgress();
    if (m_grid) {
        m_grid(true);
    }
}

void RecipientChoice::computeFromList(bool personalise) {
    const int item = m_tblML.fieldIndex(QStringLiteral("Item"));
    const int name = m_tblML.fieldIndex(QStringLiteral("Name"));
    const int salutation = m_tblML.fieldIndex(QStringLiteral("Salutation"));
    const qint64 maximum = m_tblML.recordCount();
    const QString message = QStringLiteral("Generating Unique Recipient List");
    // The list table's page cache is given back before the walk, which reads every row once: the recipient
    // table grows meanwhile, and both must fit the memory of a desktop.
    sqlite3_db_release_memory(m_tblML.database().handle());
    TempWriter writer(m_tblTemp);
    Throttle throttle(m_progressEvery);
    qint64 done = 0;
    m_tblML.first();
    while (!m_tblML.eof()) {
        const QString address = m_tblML.field(item).toString().trimmed();
        if (personalise) {
            writer.add(address, m_tblML.field(name).toString().trimmed(),
                       m_tblML.field(salutation).toString().trimmed());
        } else {
            writer.add(address, QString(), QString());
        }
        if (throttle.due(done)) {
            m_prompt.showProgress(percent(done, maximum), message, true);
        }
        if (m_prompt.cancelRequested()) {
            writer.commit();
            m_stale = true;
            return;
        }
        ++done;
        m_tblML.next();
    }
    writer.commit();
    finish();
}

void RecipientChoice::ProcessManual() {
    BusyCursor busy(m_prompt);
    m_prompt.setCancelRequested(false);
    try {
        if (!emptyTemp()) {
            m_prompt.message(UserPrompt::Kind::Warning, kCalculateError, UserPrompt::Ok);
            m_prompt.hideProgress();
            return;
        }
        QStringList lines = memCustom.split(QLatin1Char('\n'));
        // A line break after the last line starts no further line.
        if (lines.size() > 1 && lines.last().isEmpty()) {
            lines.removeLast();
        }
        const qint64 maximum = lines.size();
        TempWriter writer(m_tblTemp);
        Throttle throttle(m_progressEvery);
        qint64 number = 0;
        bool cancelled = false;
        for (const QString &raw : lines) {
            ++number;
            QString address = raw.trimmed();
            QString name;
            AddressRoutines::SMTPAddressToEmailName(address, name);
            if (throttle.due(number)) {
                m_prompt.showProgress(percent(number, maximum), QStringLiteral("Processing address, ") + address, true);
            }
            if (m_prompt.cancelRequested()) {
                cancelled = true;
                break;
            }
            if (chkvalidity && !AddressRoutines::validemailaddress(address).valid) {
                memrejects.append(address);
                continue;
            }
            writer.add(address, name, QString());
        }
        writer.commit();
        if (cancelled) {
            m_stale = true;
        } else {
            finish();
        }
    } catch (const std::exception &) {
        m_stale = true;
        m_prompt.message(UserPrompt::Kind::Warning, kCalculateError, UserPrompt::Ok);
    }
    m_prompt.hideProgress();
}

} // namespace corvane
