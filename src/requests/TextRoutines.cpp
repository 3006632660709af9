// Text and file helpers shared by the request parser, the filters, the import and the activity log: word and
// field splitting, trimming, replacement, the date-time stamp and appending one line to a text file.
#include "requests/TextRoutines.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include <exception>

namespace corvane {

namespace {

constexpr QChar kQuote = u'"';
constexpr QChar kAt = u'@';

bool isBlankOrControl(QChar c) {
    return c.unicode() <= 0x20;
}

QStringView trimView(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlankOrControl(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

struct SplitOptions {
    bool skipWords = false;
    bool stripQuotes = false;
    bool joinWords = false;
    bool keepEmpty = false;
};

bool isSkippedWord(QStringView item) {
    return item.compare(u"ME", Qt::CaseInsensitive) == 0 || item.compare(u"RE:", Qt::CaseInsensitive) == 0 ||
           item.compare(u"TO", Qt::CaseInsensitive) == 0;
}

bool hasAtAfterFirst(QStringView text) {
    return text.indexOf(kAt, 1) >= 0;
}

// Adds one raw piece of the split text to the list: trims it, strips quotes, drops it when empty (unless empty
// items are kept) or when it is a skipped word, and joins it to the previous item when words are joined.
void addItem(QStringList &list, QStringView piece, const QString &delimiter, const SplitOptions &options) {
    QStringView item = trimView(piece);
    if (options.stripQuotes) {
        if (item.startsWith(kQuote)) {
            item = item.sliced(1);
        }
        if (item.endsWith(kQuote)) {
            item.chop(1);
        }
    }
    if (item.isEmpty()) {
        if (options.keepEmpty) {
            list.append(QString());
        }
        return;
    }
    if (options.skipWords && isSkippedWord(item)) {
        return;
    }
    if (options.joinWords && delimiter == QLatin1String(" ") && list.size() >= 2 && !hasAtAfterFirst(item) &&
        !hasAtAfterFirst(list.constLast())) {
        QString &last = list.last();
        last += QLatin1Char(' ');
        last += item;
        return;
    }
    list.append(item.toString());
}

// Splits `text` at every occurrence of `delimiter`; a delimiter at the very end closes the last item rather
// than opening an empty one. An empty delimiter cannot split, so the whole text is one item.
void splitInto(QStringList &list, const QString &text, const QString &delimiter, const SplitOptions &options) {
    list.clear();
    if (text.isEmpty() || text == delimiter) {
        return;
    }
    if (delimiter.isEmpty()) {
        addItem(list, text, delimiter, options);
        return;
    }
    const QStringView view(text);
    qsizetype from = 0;
    while (from < view.size()) {
        const qsizetype p = view.indexOf(delimiter, from);
        if (p < 0) {
            addItem(list, view.sliced(from), delimiter, options);
            return;
        }
        addItem(list, view.sliced(from, p - from), delimiter, options);
        from = p + delimiter.size();
    }
}

} // namespace

void TextRoutines::OCVStrToStringlist(QStringList &list, const QString &text, const QString &delimiter, bool skipWords,
                                      bool stripQuotes, bool joinWords) {
    splitInto(list, text, delimiter, SplitOptions{skipWords, stripQuotes, joinWords, false});
}

void TextRoutines::SplitText(QStringList &list, const QString &text, const QString &delimiter, bool stripQuotes,
                             bool keepEmpty) {
    splitInto(list, text, delimiter, SplitOptions{false, stripQuotes, false, keepEmpty});
}

QString TextRoutines::Trim(const QString &text) {
    const QStringView trimmed = trimView(text);
    if (trimmed.size() == text.size()) {
        return text;
    }
    return trimmed.toString();
}

// Date in the locale's short form, one space, time in its long form. Formatting raises nothing in practice;
// should it fail, the stamp is left empty rather than the caller interrupted.
QString TextRoutines::getdatetimestring() {
    try {
        const QLocale locale;
        const QDateTime now = QDateTime::currentDateTime();
        return locale.toString(now, locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
                                        locale.timeFormat(QLocale::LongFormat));
    } catch (const std::exception &) {
        return QString();
    }
}

// Removes `part` until none is left, so that pieces joined by a removal are removed too ("aabb" less "ab"
// is empty). An empty part is never "gone" and leaves the text unchanged.
QString TextRoutines::RemoveAll(const QString &text, const QString &part) {
    if (part.isEmpty()) {
        return text;
    }
    QString result = text;
    while (result.contains(part)) {
        result.remove(part);
    }
    return result;
}

QString TextRoutines::LeftChars(const QString &text, int n) {
    if (n <= 0) {
        return QString();
    }
    return text.left(n);
}

QString TextRoutines::DropLeftChars(const QString &text, int n) {
    if (n <= 0) {
        return text;
    }
    return text.mid(n);
}

// Replaces occurrences from left to right; each search resumes after the text just inserted, so the result
// never feeds back into the search and a replacement holding `search` still ends. An empty `search` matches
// nothing.
QString TextRoutines::ReplaceAll(const QString &text, const QString &search, const QString &replacement) {
    if (text.isEmpty() || search.isEmpty()) {
        return text;
    }
    QString result;
    const QStringView view(text);
    qsizetype from = 0;
    qsizetype found = view.indexOf(search, from);
    if (found < 0) {
        return text;
    }
    while (found >= 0) {
        result += view.sliced(from, found - from);
        result += replacement;
        from = found + search.size();
        found = view.indexOf(search, from);
    }
    result += view.sliced(from);
    return result;
}

bool TextRoutines::TextToBool(const QString &text, bool fallback) {
    if (text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    return fallback;
}

// Opens the file emptied (overwrite, or missing) or for appending, writes the line in UTF-8 with CR LF and
// closes it. Any failure to open, write or flush answers false; the file may then hold part of the line.
bool TextRoutines::AppendLineToFile(const QString &fileName, const QString &line, bool overwrite) {
    if (fileName.isEmpty()) {
        return false;
    }
    QFile file(fileName);
    const QIODevice::OpenMode mode = (overwrite || !file.exists()) ? (QIODevice::WriteOnly | QIODevice::Truncate)
                                                                   : (QIODevice::WriteOnly | QIODevice::Append);
    if (!file.open(mode)) {
        return false;
    }
    const QByteArray data = line.toUtf8() + "\r\n";
    if (file.write(data) != data.size() || !file.flush()) {
        return false;
    }
    file.close();
    return file.error() == QFileDevice::NoError;
}

QString TextRoutines::IncludeTrailingSeparator(const QString &path) {
    QString result = Trim(path);
    if (!result.isEmpty() && !result.endsWith(QLatin1Char('\\')) && !result.endsWith(QLatin1Char('/'))) {
        result += QLatin1Char('/');
    }
    return result;
}

} // namespace corvane
