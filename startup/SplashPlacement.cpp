#include "startup/SplashPlacement.h"

namespace SplashPlacement {

QPointF TopLeft(double screenWidthTwips, double screenHeightTwips, double windowWidthTwips) {
    const float top = (float(screenHeightTwips) - 5880.0f) / 2.0f;
    const float left = (float(screenWidthTwips) - float(windowWidthTwips)) / 2.0f;
    return {left, top};
}

} // namespace SplashPlacement
