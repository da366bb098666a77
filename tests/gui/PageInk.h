// The ink of a prepared page as the preview paints it.
#pragma once

#include "platform/Report.h"

#include <QImage>
#include <QPainter>

// Dark pixels inside `area` (design pixels) of page `index` of `pages`,
// painted by PaintPage two device pixels to one design pixel.
inline int InkIn(const TQRPageSet &pages, const QRectF &area, int index = 0) {
    constexpr int scale = 2;
    const QSizeF size = pages.Page(index).Size * scale;
    QImage image(size.toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPage(painter, pages, index, QRectF(QPointF(0, 0), size));
    painter.end();
    const QRect pixels = QRectF(area.topLeft() * scale, area.size() * scale)
                             .toAlignedRect()
                             .intersected(image.rect());
    int dark = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    }
    return dark;
}
