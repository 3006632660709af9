// The in-place editors of the statistics grid: none for the date, a spin box from 0 to 2147483647 for each
// counter, and a multi-line text box of up to 200 characters for the notes, taller than its cell.
#pragma once

#include <QStyledItemDelegate>

namespace corvane::ui {

class TdlgStatsDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit TdlgStatsDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
};

} // namespace corvane::ui
