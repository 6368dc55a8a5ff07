#pragma once

#include <QColor>

// Colours are kept as the options store them: blue * 65536 + green * 256 + red.
namespace PackedColor {

QColor ToQColor(qint32 packed);
qint32 FromQColor(const QColor &color);

} // namespace PackedColor
