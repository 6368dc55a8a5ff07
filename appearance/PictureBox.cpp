#include "appearance/PictureBox.h"

#include "led/PackedColor.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setBackColor(qint32 color) {
    if (color == m_backColor)
        return;
    m_backColor = color;
    update();
}

void PictureBox::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), PackedColor::ToQColor(m_backColor));
}

void PictureBox::mousePressEvent(QMouseEvent *event) {
    // Only a click on the container itself, not one passed up from what it holds.
    if (focusProxy() && event->button() == Qt::LeftButton && !childAt(event->position().toPoint()))
        setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}
