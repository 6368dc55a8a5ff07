#include "appearance/modColor.h"

#include "appearance/ControlClass.h"
#include "led/LedGroup.h"
#include "led/VaviZAV.h"

#include <QWidget>

namespace modColor {

void ColorLeds(VaviZAV *digit, qint32 litColor, qint32 backColor) {
    digit->setBackColor(backColor);
    digit->setLitColor(litColor);
}

void ColorLeds(LedGroup &group, qint32 litColor, qint32 backColor) {
    for (VaviZAV *digit : group.digits())
        ColorLeds(digit, litColor, backColor);
}

void ColorControls(QWidget *window, const QStringList &skip, qint32 textColor, qint32 backColor) {
    for (QWidget *control : ControlClass::Controls(window)) {
        if (skip.contains(control->objectName()))
            continue;
        const QString name = ControlClass::Name(control);
        if (name == QLatin1String("Label"))
            ControlClass::SetForeColor(control, textColor);
        else if (name == QLatin1String("PictureBox"))
            control->setProperty("BackColor", backColor);
    }
}

} // namespace modColor
