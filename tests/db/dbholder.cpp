// Test helper: opens the list table of a database directory in another process and keeps it open, so that
// the locking tests can meet a second copy of the program. Usage: corvane_dbholder <file> exclusive|shared.
// Prints "HOLDING <rows>" once open, or "ERROR <code>" when the opening fails. Then obeys one command per
// line: "append <item> <category>" (prints "OK <rows>" or "ERROR <code>"), "count" (prints "COUNT <rows>")
// and "quit".
#include "db/SqliteTable.h"

#include <QCoreApplication>
#include <QTextStream>
#include <iostream>
#include <string>

using namespace corvane;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::cout << "usage: corvane_dbholder <file> exclusive|shared" << std::endl;
        return 2;
    }
    const auto access =
        std::string(argv[2]) == "exclusive" ? SqliteDatabase::Access::Exclusive : SqliteDatabase::Access::Shared;
    SqliteTable table(TableSchema::listTable());
    try {
        table.open(QString::fromLocal8Bit(argv[1]), access);
        std::cout << "HOLDING " << table.recordCount() << std::endl;
    } catch (const CorvaneError &error) {
        std::cout << "ERROR " << error.code() << std::endl;
        return 1;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        const QStringList words = QString::fromStdString(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) {
            continue;
        }
        try {
            if (words.first() == QLatin1String("append") && words.size() == 3) {
                table.appendRecord({words.at(1), words.at(2)});
                std::cout << "OK " << table.recordCount() << std::endl;
            } else if (words.first() == QLatin1String("count")) {
                std::cout << "COUNT " << table.recordCount() << std::endl;
            } else if (words.first() == QLatin1String("quit")) {
                break;
            }
        } catch (const CorvaneError &error) {
            std::cout << "ERROR " << error.code() << std::endl;
        }
    }
    return 0;
}
