#include "appearance/PictureBox.h"

#include "appearance/PackedColor.h"

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
    if (focusProxy() && event->button() == Qt::LeftButton)
        setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}
