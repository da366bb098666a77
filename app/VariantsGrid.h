// The alternatives editor's table: a Tab past its last cell asks for a new row
// instead of wrapping to the first one, and a pending in-cell edit can be ended
// from outside.
#pragma once

#include <QTableWidget>
#include <functional>

class TVariantsGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TVariantsGrid(QWidget *parent = nullptr) : QTableWidget(parent) {}

    // Called on a Tab from the last cell; adds the row the cursor then enters.
    std::function<void()> OnTabPastEnd;

    // Stores the text of an open cell editor and closes it.
    void CommitEdit() {
        if (state() != QAbstractItemView::EditingState)
            return;
        if (QWidget *editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const QModelIndex current = currentIndex();
        if (action == MoveNext && OnTabPastEnd && current.isValid() &&
            current.row() == rowCount() - 1 && current.column() == columnCount() - 1) {
            OnTabPastEnd();
            return model()->index(rowCount() - 1, 0);
        }
        return QTableWidget::moveCursor(action, modifiers);
    }
};
