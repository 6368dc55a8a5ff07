#include "appearance/modColor.h"

#include "appearance/ControlClass.h"
#include "led/LedGroup.h"
#include "led/VaviZAV.h"
#include "settings/modGlobals.h"

#include <QWidget>

namespace modColor {

void ColorLeds(VaviZAV *digit, qint32 litColor) {
    digit->setBackColor(modGlobals::LEDBackColor);
    digit->setLitColor(litColor);
}

void ColorLeds(LedGroup &group, qint32 litColor) {
    for (VaviZAV *digit : group.digits())
        ColorLeds(digit, litColor);
}

void ColorControls(QWidget *window, const QStringList &skip) {
    for (QWidget *control : ControlClass::Controls(window)) {
        if (skip.contains(control->objectName()))
            continue;
        const QString name = ControlClass::Name(control);
        if (name == QLatin1String("Label"))
            ControlClass::SetForeColor(control, modGlobals::TextColor);
        else if (name == QLatin1String("PictureBox"))
            control->setProperty("BackColor", modGlobals::LEDBackColor);
    }
}

} // namespace modColor
