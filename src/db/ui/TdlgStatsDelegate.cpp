// The statistics grid's cell editors.
#include "db/ui/TdlgStatsDelegate.h"

#include "db/StatisticsModel.h"

#include <QPlainTextEdit>
#include <QSpinBox>
#include <limits>

namespace corvane::ui {

namespace {
constexpr int kNotesEditorLines = 4;

bool isCounter(int column) {
    return column == StatisticsModel::SubscribesColumn || column == StatisticsModel::UnsubscribesColumn ||
           column == StatisticsModel::BouncesColumn;
}
} // namespace

TdlgStatsDelegate::TdlgStatsDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

// The date has no editor (null); every other column gets its own kind of editor.
QWidget *TdlgStatsDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const {
    if (isCounter(index.column())) {
        auto *spin = new QSpinBox(parent);
        spin->setRange(0, std::numeric_limits<int>::max());
        spin->setAlignment(Qt::AlignRight);
        spin->setFrame(false);
        return spin;
    }
    if (index.column() == StatisticsModel::NotesColumn) {
        auto *notes = new QPlainTextEdit(parent);
        notes->setTabChangesFocus(true);
        // The text box has no length limit of its own: what goes beyond the field's width is cut as it is typed.
        connect(notes, &QPlainTextEdit::textChanged, notes, [notes] {
            const QString text = notes->toPlainText();
            if (text.size() > StatisticsModel::kNotesWidth) {
                QTextCursor cursor = notes->textCursor();
                const int position = std::min(cursor.position(), StatisticsModel::kNotesWidth);
                notes->setPlainText(text.left(StatisticsModel::kNotesWidth));
                cursor = notes->textCursor();
                cursor.setPosition(position);
                notes->setTextCursor(cursor);
            }
        });
        return notes;
    }
    if (index.column() == StatisticsModel::DateColumn) {
        return nullptr;
    }
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void TdlgStatsDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const {
    if (auto *spin = qobject_cast<QSpinBox *>(editor)) {
        spin->setValue(index.data(Qt::EditRole).toInt());
    } else if (auto *notes = qobject_cast<QPlainTextEdit *>(editor)) {
        notes->setPlainText(index.data(Qt::EditRole).toString());
        notes->moveCursor(QTextCursor::End);
    } else {
        QStyledItemDelegate::setEditorData(editor, index);
    }
}

// Hands the editor's value to the model, which posts it; a refused value leaves the cell as it was.
void TdlgStatsDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const {
    if (auto *spin = qobject_cast<QSpinBox *>(editor)) {
        spin->interpretText();
        model->setData(index, spin->value(), Qt::EditRole);
    } else if (auto *notes = qobject_cast<QPlainTextEdit *>(editor)) {
        model->setData(index, notes->toPlainText(), Qt::EditRole);
    } else {
        QStyledItemDelegate::setModelData(editor, model, index);
    }
}

// The notes editor opens over its cell and a few lines below it, so that several lines can be seen.
void TdlgStatsDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                             const QModelIndex &index) const {
    QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    if (qobject_cast<QPlainTextEdit *>(editor) != nullptr) {
        QRect area = option.rect;
        area.setHeight(std::max(area.height(), editor->fontMetrics().lineSpacing() * kNotesEditorLines + 8));
        editor->setGeometry(area);
    }
}

} // namespace corvane::ui
