#include "scoreboard/FieldDigits.h"

#include "clock/modCount.h"
#include "settings/modGlobals.h"

#include <QString>

namespace FieldDigits {

void ShowTime(TimeValue value, DigitGroup &digits, SeparatorDots &dots, bool countdown) {
    const modCount::TimePicture picture =
        modCount::TimeDigits(value, countdown || digits.name() == QLatin1String("pledClock"));
    dots.setDotColor(1, modGlobals::TextColor);
    dots.setDotColor(0, picture.colon ? modGlobals::TextColor : modGlobals::LEDBackColor);
    for (int i = 0; i < 4; ++i)
        digits.setCaption(i, picture.digits[i]);
}

void ShowValue(DigitGroup &digits, qint32 value) {
    const QString text = QString::number(value);
    for (int i = 0; i < digits.count(); ++i) {
        if (value != -1 && i < text.size())
            digits.setCaption(i, text[text.size() - 1 - i].unicode() - '0');
        else
            digits.setCaption(i, -1);
    }
}

} // namespace FieldDigits
