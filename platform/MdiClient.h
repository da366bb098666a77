// The client area of a multiple-document frame and its window arrangements.
#pragma once

#include <QMdiArea>

class QMdiSubWindow;

// Horizontal: the windows one above the other, each as wide as the area;
// vertical: side by side, each as high as the area.
enum TTileMode { tbHorizontal, tbVertical };

class TMdiClient : public QMdiArea {
    Q_OBJECT
public:
    explicit TMdiClient(QWidget *parent = nullptr);

    TTileMode TileMode = tbHorizontal;

    // The child windows in the order they were created.
    int MDIChildCount() const;
    QMdiSubWindow *MDIChildren(int index) const;

    // Each arrangement starts from the area's top-left as the user sees it,
    // with the area scrolled back to its start. Cascade and Tile leave
    // minimised windows where they are.
    void Cascade();
    // Every window gets at least its minimum size; where they do not fit
    // side by side, the area scrolls to them.
    void Tile();
    // Lines the minimised windows up along the bottom edge, left to right.
    void ArrangeIcons();

private:
    void ScrollToStart();
    QList<QMdiSubWindow *> Arrangeable() const;
};
