#pragma once

#include <QtGlobal>

// The arithmetic of keeping a layout in proportion: recorded values in whole twips
// (32-bit, so a 8K screen fits), scaled by the ratio of the new window size.
namespace StretchMath {

// Half to the even neighbour, as recorded values are taken.
qint32 RecordRound(double value);

double AtLeastOne(double x);

// Left and Top: the ratio in single precision, no minimum.
double ScalePosition(double current, qint32 reference, qint32 recorded);
// Width and Height: at least one.
double ScaleExtent(double current, qint32 reference, qint32 recorded);
// Font size, border width and digit size follow the height ratio; the last two are whole.
double ScaleFont(double current, qint32 reference, qint32 recorded);
int ScaleWhole(double current, qint32 reference, qint32 recorded);

} // namespace StretchMath
