#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;

// The program's own logo: a wrestling mat over an LED clock.
namespace Logo {

// The logo filling a square of `size` from the painter's origin.
void Paint(QPainter &painter, qreal size);
QPixmap Pixmap(int size, qreal devicePixelRatio);
QIcon Icon();

} // namespace Logo
