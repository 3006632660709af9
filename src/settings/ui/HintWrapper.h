// Tool-tips wrapped at 370 pixels: an application-wide event filter (the main window's DoShowHint) that
// breaks a plain-text hint into lines no wider than the limit before it is shown.
#pragma once

#include <QObject>
#include <QString>

class QFontMetrics;

namespace corvane::ui {

class HintWrapper : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxWidth = 370;

    using QObject::QObject;

    // `text` with line breaks put between words so that no line is wider than `maxWidth` in `metrics`; a single
    // word wider than that stands on a line of its own. Existing line breaks are kept.
    static QString wrap(const QString &text, const QFontMetrics &metrics, int maxWidth = kMaxWidth);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace corvane::ui
