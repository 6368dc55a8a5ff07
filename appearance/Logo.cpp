#include "appearance/Logo.h"

#include <QCoreApplication>
#include <QPainter>

namespace Logo {

void Paint(QPainter &painter, qreal size) {
    // assets/darezez.svg, the desktop's icon, drawn here without loading an SVG renderer
    // that would stay resident for one picture. The logo test holds the two equal.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 140, size / 140);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x26, 0x2a, 0x33));
    painter.drawRoundedRect(QRectF(2, 2, 136, 136), 18, 18);
    painter.setBrush(QColor(0xb8, 0x28, 0x2e));
    painter.drawEllipse(QPointF(70, 58), 50, 50);
    painter.setBrush(QColor(0x2a, 0x5d, 0xb0));
    painter.drawEllipse(QPointF(70, 58), 42, 42);
    painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(70, 58), 13, 13);
    painter.drawLine(QPointF(58, 40), QPointF(82, 40));
    painter.setPen(QPen(QColor(0x9a, 0xa0, 0xa8), 2));
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(20, 96, 100, 34), 4, 4);
    // The LED clock "10:00".
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0x2a, 0x1a));
    painter.drawRect(QRectF(36, 101, 4, 24));
    for (qreal x : {48, 76, 96}) {
        painter.drawRect(QRectF(x, 101, 14, 4));
        painter.drawRect(QRectF(x, 121, 14, 4));
        painter.drawRect(QRectF(x, 101, 4, 24));
        painter.drawRect(QRectF(x + 10, 101, 4, 24));
    }
    painter.drawEllipse(QPointF(69, 108), 2.2, 2.2);
    painter.drawEllipse(QPointF(69, 118), 2.2, 2.2);
    painter.restore();
}

QPixmap Pixmap(int size, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    Paint(painter, size * devicePixelRatio);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

namespace {
QIcon *shared = nullptr;
}

QIcon Icon() {
    // Made once and shared by every window: each window's own copy of the sizes stayed in
    // memory for the life of the program. Window lists and task bars show up to 128 pixels.
    if (!shared) {
        shared = new QIcon;
        for (int size : {16, 32, 48, 64, 128})
            shared->addPixmap(Pixmap(size, 1.0));
        qAddPostRoutine([] {
            delete shared;
            shared = nullptr;
        });
    }
    return *shared;
}

} // namespace Logo
