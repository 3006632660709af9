// One prepared SQLite statement owned for its lifetime: binding of Qt values, stepping, reading columns,
// and the reset that ends its read transaction. Errors become CorvaneError with the engine's mapped code.
#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace corvane {

class SqliteStatement {
public:
    SqliteStatement() = default;
    // Prepares `sql` on `db`. Raises CorvaneError when SQLite refuses it.
    SqliteStatement(sqlite3 *db, const QString &sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement &&other) noexcept;
    SqliteStatement &operator=(SqliteStatement &&other) noexcept;
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    sqlite3_stmt *handle() const { return m_stmt; }

    // Binds parameter `index` (from 1): null, bool, integers, doubles, dates (as yyyy-MM-dd) and text.
    void bind(int index, const QVariant &value);
    void bindText(int index, const QString &text);
    void bindInt(int index, qint64 value);
    void bindNull(int index);
    void clearBindings();

    // Steps once: true with a row, false when done. Raises CorvaneError on failure; the statement is then
    // reset so that it holds no lock.
    bool step();
    // Ends the statement's run and its read transaction; bindings stay. Never raises.
    void reset();
    // True while the statement has stepped onto a row and was not reset or run to its end.
    bool isActive() const;

    int columnCount() const;
    bool isNull(int column) const;
    qint64 columnInt(int column) const;
    QString columnText(int column) const;
    // The column as its stored type: null, integer, double or text.
    QVariant columnValue(int column) const;

    // Runs the statement to its end and resets it (for statements that return no rows).
    void execute();

private:
    void release();
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
};

// Resets a statement when it goes out of scope, so that no statement but a table's walking cursor is left
// holding a read transaction.
class StatementReset {
public:
    explicit StatementReset(SqliteStatement &statement) : m_statement(statement) {}
    ~StatementReset() { m_statement.reset(); }
    StatementReset(const StatementReset &) = delete;
    StatementReset &operator=(const StatementReset &) = delete;

private:
    SqliteStatement &m_statement;
};

} // namespace corvane
