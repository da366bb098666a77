#include "platform/MdiClient.h"

#include <QMdiSubWindow>
#include <QScrollBar>
#include <algorithm>

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
    // Every window gets at least the size it still reads at.
    QSize least(0, 0);
    for (QMdiSubWindow *child : children)
        least = least.expandedTo(child->minimumSizeHint()).expandedTo(child->minimumSize());
    const bool horizontal = TileMode == tbHorizontal;
    const int count = int(children.size());
    // Tiled windows that fit need no scroll bars: they share the area the bars
    // leave when they go. Windows that do not fit keep their least size, and a
    // bar takes its strip from the other direction.
    const QSize full = maximumViewportSize();
    const int barWidth = verticalScrollBar()->sizeHint().width();
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    int along = horizontal ? full.height() : full.width();
    int across = horizontal ? full.width() : full.height();
    const int leastAlong = horizontal ? least.height() : least.width();
    const int leastAcross = horizontal ? least.width() : least.height();
    if (leastAcross > across)
        along -= horizontal ? barHeight : barWidth;
    const bool alongScrolls = leastAlong * count > along;
    if (alongScrolls)
        across -= horizontal ? barWidth : barHeight;
    across = std::max(across, leastAcross);
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow *child = children[i];
        if (child->isMaximized())
            child->showNormal();
        const int start = alongScrolls ? leastAlong * i : along * i / count;
        const int length = alongScrolls ? leastAlong : along * (i + 1) / count - start;
        child->setGeometry(horizontal ? QRect(0, start, across, length)
                                      : QRect(start, 0, length, across));
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
