#pragma once

#include <QPointF>

// Where the welcome window stands, in twips: centred across, and 1320 twips above the
// centre of the screen (its vertical centring has always used 5880, not its height).
namespace SplashPlacement {

inline constexpr int kWidth = 6240;
inline constexpr int kHeight = 3240;

QPointF TopLeft(double screenWidthTwips, double screenHeightTwips, double windowWidthTwips);

} // namespace SplashPlacement
