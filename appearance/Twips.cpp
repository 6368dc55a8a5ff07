#include "appearance/Twips.h"

#include <QWidget>
#include <cmath>

namespace Twips {

namespace {
const char *const kGeometry = "twipsGeometry";
const char *const kPoints = "fontPoints";

int px(double twips) {
    return int(std::lround(twips / kPerPixel));
}

QRect toPixels(const QRectF &t, const QSize &keepSize) {
    const int left = px(t.left()), top = px(t.top());
    if (keepSize.isValid())
        return {QPoint(left, top), keepSize};
    const int w = qMax(1, px(t.left() + t.width()) - left);
    const int h = qMax(1, px(t.top() + t.height()) - top);
    return {left, top, w, h};
}
} // namespace

QRectF Geometry(const QWidget *control) {
    const QVariant stored = control->property(kGeometry);
    if (stored.isValid()) {
        QRectF t = stored.toRectF();
        // Trust the exact twips only while the control still stands where they put it.
        if (toPixels(t, QSize()).topLeft() == control->geometry().topLeft()) {
            if (toPixels(t, QSize()).size() != control->size())
                t.setSize(QSizeF(control->width() * kPerPixel, control->height() * kPerPixel));
            return t;
        }
    }
    const QRect g = control->geometry();
    return {g.x() * kPerPixel, g.y() * kPerPixel, g.width() * kPerPixel, g.height() * kPerPixel};
}

void SetGeometry(QWidget *control, const QRectF &twips) {
    control->setProperty(kGeometry, twips);
    const QRect r = toPixels(twips, QSize());
    if (r != control->geometry())
        control->setGeometry(r);
}

void Move(QWidget *control, double left, double top) {
    const QRectF t(left, top, control->width() * kPerPixel, control->height() * kPerPixel);
    control->setProperty(kGeometry, t);
    const QRect r = toPixels(t, control->size());
    if (r.topLeft() != control->pos())
        control->move(r.topLeft());
}

double FontPoints(const QWidget *control) {
    const QVariant stored = control->property(kPoints);
    if (stored.isValid())
        return stored.toDouble();
    const QFont f = control->font();
    return f.pointSizeF() > 0 ? f.pointSizeF() : f.pixelSize() * 0.75;
}

void SetFontPoints(QWidget *control, double points) {
    control->setProperty(kPoints, points);
    QFont f = control->font();
    // Points at 96 dots per inch, the scale the layout's twips are drawn to.
    const int pixels = qMax(1, int(std::lround(points * 96.0 / 72.0)));
    if (f.pixelSize() == pixels)
        return;
    f.setPixelSize(pixels);
    control->setFont(f);
}

} // namespace Twips
