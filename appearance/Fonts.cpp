#include "appearance/Fonts.h"

#include <QApplication>
#include <cmath>

namespace Fonts {

int PointsToPixels(double points) {
    return qMax(1, int(std::lround(points * 96.0 / 72.0)));
}

QFont Sans(double points, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setPixelSize(PointsToPixels(points));
    f.setBold(bold);
    return f;
}

QFont Serif(double points) {
    QFont f;
    f.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    f.setPixelSize(PointsToPixels(points));
    return f;
}

void InstallApplicationFont() {
    QApplication::setFont(Sans(8.25));
}

} // namespace Fonts
