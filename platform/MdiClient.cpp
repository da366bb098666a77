#include "platform/MdiClient.h"

#include <QMdiSubWindow>
#include <QScrollBar>

TMdiClient::TMdiClient(QWidget *parent) : QMdiArea(parent) {
    // A child larger than the area, or moved partly out of it, stays reachable.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

int TMdiClient::MDIChildCount() const {
    return int(subWindowList().size());
}

QMdiSubWindow *TMdiClient::MDIChildren(int index) const {
    const QList<QMdiSubWindow *> children = subWindowList();
    return index >= 0 && index < children.size() ? children[index] : nullptr;
}

void TMdiClient::ScrollToStart() {
    // Children are placed in viewport coordinates: a scrolled area would lay
    // them out from the scrolled position and keep a bar for the space above.
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

QList<QMdiSubWindow *> TMdiClient::Arrangeable() const {
    QList<QMdiSubWindow *> result;
    for (QMdiSubWindow *child : subWindowList()) {
        if (child->isVisible() && !child->isMinimized())
            result << child;
    }
    return result;
}

void TMdiClient::Cascade() {
    ScrollToStart();
    cascadeSubWindows();
}

void TMdiClient::Tile() {
    const QList<QMdiSubWindow *> children = Arrangeable();
    if (children.isEmpty())
        return;
    ScrollToStart();
    // Tiled windows need no scroll bars: they share the area the bars leave
    // when they go, not the narrower one they take while still shown.
    const QRect area(QPoint(0, 0), maximumViewportSize());
    const int count = int(children.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow *child = children[i];
        if (child->isMaximized())
            child->showNormal();
        QRect cell;
        if (TileMode == tbHorizontal) {
            const int top = area.height() * i / count;
            cell = QRect(0, top, area.width(), area.height() * (i + 1) / count - top);
        } else {
            const int left = area.width() * i / count;
            cell = QRect(left, 0, area.width() * (i + 1) / count - left, area.height());
        }
        child->setGeometry(cell);
    }
}

void TMdiClient::ArrangeIcons() {
    ScrollToStart();
    const QRect area = viewport()->rect();
    int left = 0;
    int bottom = area.bottom() + 1;
    for (QMdiSubWindow *child : subWindowList()) {
        if (!child->isVisible() || !child->isMinimized())
            continue;
        const QSize size = child->size();
        if (left > 0 && left + size.width() > area.width()) {
            left = 0;
            bottom -= size.height();
        }
        child->move(left, bottom - size.height());
        left += size.width();
    }
}
