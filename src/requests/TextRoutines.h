// Small text and file routines shared across Corvane: the word splitter of request lines and filters, the
// field splitter of imports, the date-time stamp, string helpers and the one-line file append of the log.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class TextRoutines {
public:
    // Splits `text` at `delimiter` into trimmed items (empty items dropped). With `skipWords` the items "ME",
    // "RE:" and "TO" (any letter case) are dropped; with `stripQuotes` one leading and one trailing double
    // quote go; with `joinWords` (and a single-space delimiter) words without "@" after the command word and
    // the next word are joined with one space until a word with "@" comes. `list` is emptied first.
    static void OCVStrToStringlist(QStringList &list, const QString &text, const QString &delimiter, bool skipWords,
                                   bool stripQuotes, bool joinWords);
    // The splitter without word skipping and joining; with `keepEmpty` an empty item becomes an empty entry.
    static void SplitText(QStringList &list, const QString &text, const QString &delimiter, bool stripQuotes,
                          bool keepEmpty);

    // The text without leading and trailing white space and control characters (every character up to and
    // including the space).
    static QString Trim(const QString &text);

    // The current date and time in the short date and long time form of the locale ("date time"); empty
    // when formatting fails.
    static QString getdatetimestring();

    // Deletes `part` again and again until `text` no longer holds it.
    static QString RemoveAll(const QString &text, const QString &part);
    static QString LeftChars(const QString &text, int n);
    static QString DropLeftChars(const QString &text, int n);
    // Replaces every occurrence of `search`, each search continuing after the text just inserted, so that a
    // replacement holding the search text still ends.
    static QString ReplaceAll(const QString &text, const QString &search, const QString &replacement);
    // "TRUE"/"FALSE" in any letter case; anything else gives `fallback`.
    static bool TextToBool(const QString &text, bool fallback);
    // Writes `line` and CR LF to the file, emptying it first when `overwrite` or creating it when missing.
    // False on any file error; nobody is told.
    static bool AppendLineToFile(const QString &fileName, const QString &line, bool overwrite);
    // Trims the path and appends "/" when it ends in neither "\" nor "/" (an empty path stays empty).
    static QString IncludeTrailingSeparator(const QString &path);
};

} // namespace corvane
