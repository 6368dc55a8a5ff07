#include "appearance/StretchMath.h"

#include <cmath>

namespace StretchMath {

qint32 RecordRound(double value) {
    return qint32(std::nearbyint(value));
}

double ScalePosition(double current, qint32 reference, qint32 recorded) {
    const float ratio = float(current) / float(reference);
    return double(ratio * float(recorded));
}

double ScaleExtent(double current, qint32 reference, qint32 recorded) {
    return modStretch::AtLeastOne(current / reference * recorded);
}

int ScaleWhole(double current, qint32 reference, qint32 recorded) {
    return int(std::lround(modStretch::AtLeastOne(current / reference * recorded)));
}

} // namespace StretchMath

namespace modStretch {
double AtLeastOne(double x) {
    return x >= 1 ? x : 1;
}
} // namespace modStretch
