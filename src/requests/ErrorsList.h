// The errors list: the requests that failed (an invalid address, a category that is not allowed, a table
// error, a failed address change), one line each, in the order they failed, kept between runs in
// "errors.txt" in the application directory. The errors window shows and reprocesses these lines.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace corvane {

class ErrorsList : public QObject {
    Q_OBJECT

public:
    // The kinds of failed request, as the callers pass them.
    enum Kind { Remove = -1, Add = 1, Modify = 2 };

    explicit ErrorsList(QObject *parent = nullptr) : QObject(parent) {}

    // "errors.txt" in the application directory.
    static QString fileName();

    // The line for a failed request: "REMOVE", "ADD" or "MODIFY" (kind -1, 1, 2), a space and the address,
    // then a space and `third` (a category, or the new address) only when `third` is not empty. Empty for an
    // empty address or any other kind.
    static QString lineFor(int kind, const QString &address, const QString &third);

    // Appends lineFor(kind, address, third) to the end of the list; an empty address or an unknown kind adds
    // nothing. Identical failures leave identical lines.
    void AddToErrorsList(int kind, const QString &address, const QString &third = QString());

    const QStringList &lines() const { return m_lines; }
    void setLines(const QStringList &lines);
    // Removes the line at `index`; an index out of range does nothing.
    void removeAt(int index);
    void clear();

    // Replaces the list with the lines of "errors.txt" when the file exists (CR LF or LF line ends); a missing
    // file leaves the list as it is. False, and the list unchanged, when the file cannot be read.
    bool LoadFromFile();
    // Writes the list to "errors.txt", one line each with CR LF, replacing the file only once the new one is
    // complete. Other copies of Corvane may have changed the file since it was loaded: under the file's lock,
    // the lines added and removed here since the last load or save are applied to the lines now in the file,
    // and the list becomes the result. Lines on disk that this copy never loaded are kept. False, file and
    // list unchanged, when the file cannot be locked, read or written; nobody is told.
    bool SaveToFile();

signals:
    // The lines changed (added, removed, replaced or loaded).
    void changed();

private:
    QStringList m_lines;
    // The lines as last loaded from or saved to the file (empty before either).
    QStringList m_baseline;
};

} // namespace corvane
