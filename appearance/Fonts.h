#pragma once

#include <QFont>

// The board's typefaces. Sizes are given in points at 96 dots per inch, the scale the
// layout is drawn to, and set in pixels so that no screen setting changes them.
namespace Fonts {

QFont Sans(double points, bool bold = false);
QFont Serif(double points);
int PointsToPixels(double points);

// The system's standard dialog font, for every window of the program.
void InstallApplicationFont();

} // namespace Fonts
