#include "led/PackedColor.h"

namespace PackedColor {

QColor ToQColor(qint32 packed) {
    const quint32 v = quint32(packed);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint32 FromQColor(const QColor &color) {
    const QColor rgb = color.toRgb();
    return qint32(rgb.blue()) * 65536 + qint32(rgb.green()) * 256 + qint32(rgb.red());
}

} // namespace PackedColor
