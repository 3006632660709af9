// The files of the message editor: the temporary preview file (a new "~message<random>.html" on every
// refresh, the previous one deleted), the free file name for the external HTML editor, and the rules of
// loading and pasting a message (which files and texts switch the HTML flag on, and the questions asked).
#pragma once

#include <QString>

namespace corvane {

class MessageFiles {
public:
    static inline const QString kLoadQuestion =
        QStringLiteral("Opening a file will erase all of the current text in your message editing area.  Are you "
                       "sure you want to continue?");
    static inline const QString kPasteQuestion =
        QStringLiteral("Pasting a message in preview mode will erase all of the current text in your message "
                       "editing area.  Are you sure you want to continue?");
    static inline const QString kEditorOpened = QStringLiteral(
        "Your message has been opened in your HTML Editor.  When you have completed editing of your message:\r\n\r\n"
        "1. Click 'Save' in your HTML editor\r\n2. Close your HTML Editor\r\n3. Click OK to load your changes");
    static inline const QString kLoadFilter =
        QStringLiteral("Text and HTML Files (*.htm *.html *.txt);;Text Files (*.txt);;HTML Files (*.htm *.html);;All "
                       "Files (*)");
    static inline const QString kRecipientFilter = QStringLiteral("Text Files (*.csv *.txt)");
    static inline const QString kLoadError = QStringLiteral("Load Error");
    static inline const QString kPasteError = QStringLiteral("Paste Error");
    static inline const QString kClipboardError = QStringLiteral("Clipboard does not contain text!");
    static inline const QString kPreviewUnsupported =
        QStringLiteral("HTML Preview is not supported on this system.  Please reinstall Internet Explorer!");
    static inline const QString kPreviewError = QStringLiteral("Error encountered displaying your preview!");
    static inline const QString kEditorError = QStringLiteral("Error encountered opening your messsage in your editor");

    // The system's temporary directory with one trailing "/".
    static QString temporaryDirectory();
    // A new preview file name: temporaryDirectory(), "~message", a random number 0..19,999,999, ".html".
    static QString newPreviewFileName();
    // Deletes `previous` (when not empty, errors ignored), writes `body` (UTF-8) whole to a new preview file
    // and returns its path. Raises CorvaneError when it cannot be written; nothing half-written is left.
    static QString writePreview(const QString &previous, const QString &body);
    // Deletes the preview file `path` when not empty; errors ignored.
    static void DeletePreviewFile(const QString &path);

    // The first free name in `dir` (with its trailing "/"): "HTMLMessage.html", else "HTMLMessage_2.html",
    // "HTMLMessage_3.html", ... up to 20,000,000. Raises CorvaneError when every one is taken.
    static QString freeEditorFileName(const QString &dir);

    // Whether a loaded file makes the message HTML: its extension is ".HTM" or ".HTML" in any letter case.
    static bool isHtmlFileName(const QString &path);
    // Whether a pasted text makes the message HTML: it contains "<HTML>" (case-sensitive).
    static bool isHtmlText(const QString &text) { return text.contains(QStringLiteral("<HTML>")); }
    // The questions are asked only when the body is not empty.
    static bool needsLoadQuestion(const QString &body) { return !body.isEmpty(); }

    // The text of a message or recipient file (UTF-8, or Windows-1252 when it is not valid UTF-8) with its
    // lines joined by "\n". Raises CorvaneError when it cannot be read.
    static QString readText(const QString &path);
    // Writes `text` whole to `path` (QSaveFile). Raises CorvaneError when it cannot be written.
    static void writeText(const QString &path, const QString &text);
};

} // namespace corvane
