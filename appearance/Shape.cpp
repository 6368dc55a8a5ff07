#include "appearance/Shape.h"

#include "led/PackedColor.h"

#include <QPainter>

Shape::Shape(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setShapeKind(int kind) {
    if (kind == m_kind)
        return;
    m_kind = kind;
    update();
}

void Shape::setFillColor(qint32 color) {
    if (color == m_fillColor)
        return;
    m_fillColor = color;
    update();
}

void Shape::setFilled(bool filled) {
    if (filled == m_filled)
        return;
    m_filled = filled;
    update();
}

void Shape::setBorderColor(qint32 color) {
    if (color == m_borderColor)
        return;
    m_borderColor = color;
    update();
}

void Shape::setBorderWidth(int width) {
    width = qMax(0, width);
    if (width == m_borderWidth)
        return;
    m_borderWidth = width;
    update();
}

void Shape::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double inset = m_borderWidth / 2.0;
    QRectF r = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (m_kind == Circle) {
        const double d = qMin(r.width(), r.height());
        r = QRectF(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
    }
    if (m_borderWidth > 0)
        painter.setPen(QPen(PackedColor::ToQColor(m_borderColor), m_borderWidth));
    else
        painter.setPen(Qt::NoPen);
    painter.setBrush(m_filled ? QBrush(PackedColor::ToQColor(m_fillColor)) : QBrush(Qt::NoBrush));
    switch (m_kind) {
    case Oval:
    case Circle:
        painter.drawEllipse(r);
        break;
    case RoundedRectangle: {
        const double radius = qMin(r.width(), r.height()) / 6.0;
        painter.drawRoundedRect(r, radius, radius);
        break;
    }
    default:
        painter.drawRect(r);
    }
}
