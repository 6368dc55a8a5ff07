#pragma once

#include <QtGlobal>

// The arithmetic of keeping a layout in proportion: recorded values in whole twips
// (32-bit, so a 8K screen fits), scaled by the ratio of the new window size.
namespace StretchMath {

// Half to the even neighbour, as recorded values are taken.
qint32 RecordRound(double value);

// Left and Top: the ratio in single precision, no minimum.
double ScalePosition(double current, qint32 reference, qint32 recorded);
// Width, Height and font size: at least one.
double ScaleExtent(double current, qint32 reference, qint32 recorded);
// Border width and digit size follow the height ratio, in whole units.
int ScaleWhole(double current, qint32 reference, qint32 recorded);

} // namespace StretchMath

namespace modStretch {
// A scaled extent never falls below one.
double AtLeastOne(double x);
} // namespace modStretch
