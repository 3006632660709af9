// Wrapping of tool-tips.
#include "settings/ui/HintWrapper.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QStringList>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace corvane::ui {

QString HintWrapper::wrap(const QString &text, const QFontMetrics &metrics, int maxWidth) {
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QString current;
        for (const QString &word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            if (!current.isEmpty() && metrics.horizontalAdvance(candidate) > maxWidth) {
                lines.append(current);
                current = word;
            } else {
                current = candidate;
            }
        }
        lines.append(current);
    }
    return lines.join(QLatin1Char('\n'));
}

bool HintWrapper::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) {
        return QObject::eventFilter(watched, event);
    }
    auto *widget = static_cast<QWidget *>(watched);
    const QString hint = widget->toolTip();
    if (hint.isEmpty() || Qt::mightBeRichText(hint)) {
        return QObject::eventFilter(watched, event);
    }
    const auto *help = static_cast<QHelpEvent *>(event);
    QToolTip::showText(help->globalPos(), wrap(hint, QFontMetrics(QToolTip::font())), widget);
    return true;
}

} // namespace corvane::ui
