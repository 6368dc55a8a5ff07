#pragma once

#include <QStringList>

class LedGroup;
class VaviZAV;
class QWidget;

// Puts the colour options on a window's LED digits, labels and containers.
namespace modColor {

void ColorLeds(LedGroup &group, qint32 litColor);
void ColorLeds(VaviZAV *digit, qint32 litColor);
void ColorControls(QWidget *window, const QStringList &skip);

} // namespace modColor
