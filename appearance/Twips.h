#pragma once

#include <QRectF>

class QWidget;

// Geometry in twips (15 to the pixel). A control keeps its exact twips, so repeated
// scaling never gathers pixel rounding; pixels are only what goes to the screen.
namespace Twips {

inline constexpr double kPerPixel = 15.0;
// Whole pixels of a size in twips, as a window is sized.
constexpr int Pixels(int twips) {
    return twips / int(kPerPixel);
}

QRectF Geometry(const QWidget *control);
void SetGeometry(QWidget *control, const QRectF &twips);
// Moves without resizing: a digit sizes itself.
void Move(QWidget *control, double left, double top);

// A label's font size in points, independent of the screen's dots per inch.
double FontPoints(const QWidget *control);
void SetFontPoints(QWidget *control, double points);

} // namespace Twips
