#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own logo: a wrestling mat over an LED clock.
namespace Logo {

QPixmap Pixmap(int size, qreal devicePixelRatio);
QIcon Icon();

} // namespace Logo
