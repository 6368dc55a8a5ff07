#pragma once

#include <QStringList>

class LedGroup;
class VaviZAV;
class QWidget;

// Puts the colour options on a window's LED digits, labels and containers.
namespace modColor {

void ColorLeds(LedGroup &group, qint32 litColor, qint32 backColor);
void ColorLeds(VaviZAV *digit, qint32 litColor, qint32 backColor);
// Labels take the text colour, containers the LED background.
void ColorControls(QWidget *window, const QStringList &skip, qint32 textColor, qint32 backColor);

} // namespace modColor
