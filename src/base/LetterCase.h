// Letter case as Corvane ignores it when it compares addresses, categories and command words: every
// character is replaced by its simple case folding (QChar::toCaseFolded), so "Übung" equals "übung" and
// "ÉTÉ" equals "été", exactly as QString::compare(..., Qt::CaseInsensitive) finds texts equal. The list
// database's collation and the in-memory checks both rest on this one definition.
#pragma once

#include <QString>
#include <QStringView>

namespace corvane {

class LetterCase {
public:
    // The folded form of one character.
    static char32_t fold(char32_t c) { return QChar::toCaseFolded(c); }

    // Negative, zero or positive as `a` sorts before, with or after `b`: the folded characters compared one
    // by one as code points, a text that ends first sorting first. Zero exactly when
    // QString::compare(a, b, Qt::CaseInsensitive) is zero.
    static int compare(QStringView a, QStringView b);
    static bool same(QStringView a, QStringView b) { return compare(a, b) == 0; }

    // compare() over UTF-8 bytes, as SQLite hands them to a collation. A byte that does not start a valid
    // UTF-8 sequence counts as U+FFFD, so any bytes at all are ordered, and always the same way.
    static int compareUtf8(const char *a, qsizetype aSize, const char *b, qsizetype bSize);

    // The smallest folded text that sorts after every text beginning with `prefix` (letter case ignored),
    // so that exactly those texts t satisfy prefix <= t < prefixEnd(prefix). Null when there is none (a
    // prefix made only of the highest character).
    static QString prefixEnd(QStringView prefix);
};

} // namespace corvane
