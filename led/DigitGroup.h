#pragma once

#include <QString>
#include <QtGlobal>

// The indexed digits of one field, as the clock and number code see them. A digit is
// 0 to 9, or -1 for blank.
class DigitGroup {
public:
    virtual ~DigitGroup();
    virtual QString name() const = 0;
    virtual int count() const = 0;
    virtual int caption(int index) const = 0;
    virtual void setCaption(int index, int value) = 0;
};

// The two dots between minutes and seconds: 0 above, 1 below. A dot is hidden by
// painting it in the LED background colour.
class SeparatorDots {
public:
    virtual ~SeparatorDots();
    virtual void setDotColor(int index, qint32 packedColor) = 0;
};
