// The grid's side of bench_listdb: the main window's list view (filter panel, count line, paged model) and
// the grouped view over the million-entry list, each alternated over several rounds with a plain SQLite
// query doing the same work, printing min / median / max of both times and of their ratio.
// (f) a filter change: the filter switched on from "Display All", counted, and the first page shown;
// (g) single pages of a filtered view: the first, the first jump to the middle after the filter was
//     switched on, a jump to the middle, the page after it, a jump to the end and the page before the end;
// (h) opening a group of the grouped view and walking all its entries.
// The reference is the keyset page on the order's index (or, for a filter keeping few rows, the filter's
// index and a sort), and the group's rows in one ordered statement.
#pragma once

#include "BenchPrompt.h"
#include "app/GroupedListModel.h"
#include "app/ListView.h"
#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

namespace corvane::gridbench {

inline double milliseconds(const std::function<void()> &work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Min / median / max of both sides and of the ratio Corvane / reference, measured in alternation.
struct Rounds {
    QList<double> corvane;
    QList<double> reference;
    QList<double> ratio;

    void add(double c, double r) {
        corvane.append(c);
        reference.append(r);
        ratio.append(r > 0 ? c / r : 0);
    }
    static QString spread(QList<double> values, const char *format) {
        std::sort(values.begin(), values.end());
        return QString::asprintf(format, values.first()) + QStringLiteral(" / ") +
               QString::asprintf(format, values.at(values.size() / 2)) + QStringLiteral(" / ") +
               QString::asprintf(format, values.last());
    }
    void print(const QString &what) const {
        std::printf("%s\n    Corvane %s ms   reference %s ms   Corvane / reference %s  (min / median / max)\n",
                    qPrintable(what), qPrintable(spread(corvane, "%.1f")), qPrintable(spread(reference, "%.1f")),
                    qPrintable(spread(ratio, "%.2f")));
        std::fflush(stdout);
    }
};

// Plain SQLite: `limit` rows of the list in address order that `condition` keeps (its values bound first),
// after `after` when it has a key; every field read. Returns the rows read.
inline int plainPage(SqliteDatabase &db, const QString &condition, const QVariantList &values, const TableRow *after,
                     int limit) {
    QString sql =
        QStringLiteral("SELECT rowid, %1 FROM tblML WHERE (%2)").arg(TableSchema::listTable().columnList(), condition);
    const int key = static_cast<int>(values.size()) + 1;
    if (after != nullptr) {
        sql +=
            QStringLiteral(" AND Item >= ?%1 AND (Item > ?%1 OR (Item = ?%1 AND rowid > ?%2))").arg(key).arg(key + 1);
    }
    sql += QStringLiteral(" ORDER BY Item, rowid LIMIT %1").arg(limit);
    SqliteStatement query(db.handle(), sql);
    for (int i = 0; i < values.size(); ++i) {
        query.bind(i + 1, values.at(i));
    }
    if (after != nullptr) {
        query.bindText(key, after->values.at(1).toString());
        query.bindInt(key + 1, after->rowid);
    }
    int rows = 0;
    sqlite3_stmt *statement = query.handle();
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int column = 1; column <= 8; ++column) {
            sqlite3_column_text(statement, column);
        }
        ++rows;
    }
    return rows;
}

// `filter` (a category prefix) as plain SQL for the reference: through the category index when `few`,
// else tested on each row of the address index.
inline QString plainCondition(const TableFilter &filter, bool few) {
    QString sql = few ? filter.sql() : filter.scanSql();
    int number = 0;
    QString numbered;
    for (const QChar c : sql) {
        numbered += c == QLatin1Char('?') ? QStringLiteral("?") + QString::number(++number) : QString(c);
    }
    return numbered;
}

// (f) and (g) for the category prefix `prefix`.
inline void benchFilteredGrid(SqliteTable &table, const QString &prefix, bool few, int rounds) {
    BenchPrompt prompt;
    ListView view(prompt);
    view.setTable(&table);
    table.setIndexFieldNames(QStringLiteral("Item"));
    ListViewModel &model = view.model();
    const TableFilter filter = TableFilter::categories(TableFilter::Mode::Include, prefix);
    const QString condition = plainCondition(filter, few);
    Rounds change;
    qint64 shown = 0;
    for (int round = 0; round < rounds; ++round) {
        view.rdballClick(ListView::FilterChoice::All);
        const double c = milliseconds([&] {
            view.edtfilterChange(prefix);
            view.DoIdle();
            model.data(model.index(0, 0));
        });
        shown = model.rowCount();
        const double r = milliseconds([&] {
            SqliteStatement count(table.database().handle(),
                                  QStringLiteral("SELECT count(*) FROM tblML WHERE ") + plainCondition(filter, true));
            for (int i = 0; i < filter.values().size(); ++i) {
                count.bind(i + 1, filter.values().at(i));
            }
            count.step();
            plainPage(table.database(), condition, filter.values(), nullptr, ListViewModel::kPageSize);
        });
        change.add(c, r);
    }
    change.print(QStringLiteral("(f) filter change to \"%1\" (%2 of 1,000,000 entries) by address: filter on, count, "
                                "first page")
                     .arg(prefix)
                     .arg(shown));
    // (g): each page read on its own, with the model's pages forgotten before each round.
    const int count = model.rowCount();
    const int page = ListViewModel::kPageSize;
    const int middle = count / 2;
    struct Position {
        const char *name;
        int row;
    };
    const Position positions[] = {{"first page", 0},
                                  {"first jump to the middle after a filter change", middle},
                                  {"jump to the middle", middle},
                                  {"page after the middle", middle + page},
                                  {"jump to the end", count - 1},
                                  {"page before the end", std::max(0, count - 1 - page)}};
    Rounds pages[std::size(positions)];
    for (int round = 0; round < rounds; ++round) {
        // The filter switched off and on again: the view's rowids are read anew at the first jump.
        view.rdballClick(ListView::FilterChoice::All);
        view.rdballClick(ListView::FilterChoice::Include);
        for (std::size_t i = 0; i < std::size(positions); ++i) {
            if (i == 2) {
                model.refresh();
            }
            const int row = positions[i].row;
            const double c = milliseconds([&] { model.data(model.index(row, 0)); });
            const int first = row - row % page;
            // The key the reference continues from, read through a model of its own so that the grid's
            // cache stays as the person's scrolling left it.
            ListViewModel keys;
            keys.setTable(&table);
            const TableRow from = first > 0 ? keys.rowAt(first - 1) : TableRow();
            const double r = milliseconds(
                [&] { plainPage(table.database(), condition, filter.values(), first > 0 ? &from : nullptr, page); });
            pages[i].add(c, r);
        }
    }
    for (std::size_t i = 0; i < std::size(positions); ++i) {
        pages[i].print(QStringLiteral("(g) \"%1\" (%2 entries), %3 (row %4)")
                           .arg(prefix)
                           .arg(count)
                           .arg(QLatin1String(positions[i].name))
                           .arg(positions[i].row));
    }
    view.rdballClick(ListView::FilterChoice::All);
    view.setTable(nullptr);
}

// (h): the grouped view by category; the group `value` opened (its first page) and walked to its end,
// against one ordered statement reading the same rows (through the category index when `few`). A walk is stopped after
// `capMs`.
inline void benchGroup(SqliteTable &table, const QString &value, bool few, int rounds, double capMs) {
    const QString condition = (few ? QStringLiteral("Category") : QStringLiteral("+Category")) +
                              QStringLiteral(" = ?1 COLLATE ") + QLatin1String(SqliteDatabase::CaseCollation);
    table.setIndexFieldNames(QStringLiteral("Item"));
    Rounds opening;
    Rounds walking;
    qint64 size = 0;
    qint64 walked = 0;
    bool capped = false;
    for (int round = 0; round < rounds; ++round) {
        GroupedListModel model;
        model.setSource(&table, 1);
        int group = 0;
        while (group < model.rowCount() && model.groupValue(group).toString() != value) {
            ++group;
        }
        const QModelIndex parent = model.index(group, 0);
        size = model.groupCount(group);
        const double open = milliseconds([&] { model.fetchMore(parent); });
        QElapsedTimer timer;
        timer.start();
        while (model.canFetchMore(parent) && static_cast<double>(timer.elapsed()) < capMs) {
            model.fetchMore(parent);
        }
        const double walk = open + static_cast<double>(timer.nsecsElapsed()) / 1e6;
        walked = model.rowCount(parent);
        capped = walked < size;
        int read = 0;
        const double reference = milliseconds(
            [&] { read = plainPage(table.database(), condition, {value}, nullptr, static_cast<int>(walked)); });
        const double first = milliseconds(
            [&] { plainPage(table.database(), condition, {value}, nullptr, GroupedListModel::kPageSize); });
        opening.add(open, first);
        walking.add(walk, reference);
        if (read != walked) {
            std::printf("the reference read %d rows, the group %lld\n", read, static_cast<long long>(walked));
        }
    }
    opening.print(QStringLiteral("(h) opening the group \"%1\" (%2 entries): first %3 rows")
                      .arg(value)
                      .arg(size)
                      .arg(GroupedListModel::kPageSize));
    walking.print(QStringLiteral("(h) walking the group \"%1\": %2 of %3 entries%4")
                      .arg(value)
                      .arg(walked)
                      .arg(size)
                      .arg(capped ? QStringLiteral(" (stopped after %1 s)").arg(capMs / 1000) : QString()));
}

} // namespace corvane::gridbench
