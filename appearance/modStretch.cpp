#include "appearance/modStretch.h"

#include "appearance/ControlClass.h"
#include "appearance/Shape.h"
#include "appearance/StretchMath.h"
#include "appearance/Twips.h"
#include "led/VaviZAV.h"

#include <QHash>

namespace modStretch {

namespace {
struct Record {
    qint32 width = 0;
    qint32 height = 0;
    QList<ControlLayout> controls;
};

// Each window that keeps its proportions has a reference of its own.
QHash<const QWidget *, Record> &records() {
    static QHash<const QWidget *, Record> all;
    return all;
}

const Record &recordOf(const QWidget *window) {
    static const Record none;
    const auto it = records().constFind(window);
    return it == records().cend() ? none : *it;
}

enum Recorded { RecSize = 1, RecExtent = 2, RecFont = 4, RecBorder = 8, RecWidthOnly = 16 };

int recordedFor(const QString &className) {
    if (className == QLatin1String("VaviZAV"))
        return RecSize;
    if (className == QLatin1String("PictureBox") || className == QLatin1String("Image"))
        return RecExtent;
    if (className == QLatin1String("Label") || className == QLatin1String("Frame"))
        return RecExtent | RecFont;
    if (className == QLatin1String("Shape"))
        return RecExtent | RecBorder;
    if (className == QLatin1String("ComboBox"))
        return RecWidthOnly | RecFont;
    return 0;
}
} // namespace

QSizeF WindowTwips(const QWidget *window) {
    return {window->width() * Twips::kPerPixel, window->height() * Twips::kPerPixel};
}

void RecordLayout(QWidget *window) {
    using StretchMath::RecordRound;
    const QList<QWidget *> controls = ControlClass::Controls(window);
    if (!records().contains(window))
        QObject::connect(window, &QObject::destroyed, [window] { records().remove(window); });
    Record &record = records()[window];
    QList<ControlLayout> &layoutControls = record.controls;
    layoutControls.clear();
    layoutControls.reserve(controls.size() + 1);
    const QSizeF size = WindowTwips(window);
    record.height = RecordRound(size.height());
    record.width = RecordRound(size.width());
    for (QWidget *control : controls) {
        const int what = recordedFor(ControlClass::Name(control));
        if (what == 0)
            continue;
        ControlLayout entry;
        entry.control = control;
        const QRectF g = Twips::Geometry(control);
        if (what & RecSize)
            entry.Size = RecordRound(control->property("Size").toDouble());
        if (what & RecExtent) {
            entry.Height = RecordRound(g.height());
            entry.Width = RecordRound(g.width());
        }
        if (what & RecWidthOnly)
            entry.Width = RecordRound(g.width());
        if (what & RecFont)
            entry.FontSize = RecordRound(Twips::FontPoints(control));
        if (what & RecBorder)
            entry.BorderWidth = RecordRound(control->property("BorderWidth").toDouble());
        entry.Left = RecordRound(g.left());
        entry.Top = RecordRound(g.top());
        layoutControls.append(entry);
    }
}

void StretchLayout(QWidget *window) {
    const Record &record = recordOf(window);
    const qint32 layoutWidth = record.width;
    const qint32 layoutHeight = record.height;
    if (window->window()->isMinimized() || layoutWidth == 0 || layoutHeight == 0)
        return;
    // Paint nothing half laid out; one repaint at the end.
    const bool updates = window->updatesEnabled();
    window->setUpdatesEnabled(false);
    const QSizeF size = WindowTwips(window);
    const double W = size.width(), H = size.height();
    for (const ControlLayout &entry : record.controls) {
        QWidget *c = entry.control;
        if (!c)
            continue;
        QRectF g = Twips::Geometry(c);
        if (entry.Left != 0)
            g.moveLeft(StretchMath::ScalePosition(W, layoutWidth, entry.Left));
        if (entry.Top != 0)
            g.moveTop(StretchMath::ScalePosition(H, layoutHeight, entry.Top));
        if (entry.Width != 0)
            g.setWidth(StretchMath::ScaleExtent(W, layoutWidth, entry.Width));
        if (entry.Height != 0)
            g.setHeight(StretchMath::ScaleExtent(H, layoutHeight, entry.Height));
        if (entry.Size != 0) {
            c->setProperty("Size", StretchMath::ScaleWhole(H, layoutHeight, entry.Size));
            Twips::Move(c, g.left(), g.top());
        } else if (entry.Width != 0 && entry.Height == 0) {
            Twips::SetGeometry(
                c, QRectF(g.left(), g.top(), g.width(), c->height() * Twips::kPerPixel));
        } else {
            Twips::SetGeometry(c, g);
        }
        if (entry.FontSize != 0)
            Twips::SetFontPoints(c, StretchMath::ScaleExtent(H, layoutHeight, entry.FontSize));
        if (entry.BorderWidth != 0)
            c->setProperty("BorderWidth",
                           StretchMath::ScaleWhole(H, layoutHeight, entry.BorderWidth));
    }
    window->setUpdatesEnabled(updates);
    window->update();
}

void SetLedType(QWidget *window, qint16 style) {
    for (QWidget *control : ControlClass::Controls(window)) {
        if (ControlClass::Name(control) == QLatin1String("VaviZAV"))
            control->setProperty("LedType", int(style));
    }
}

qint32 LayoutWidth(const QWidget *window) {
    return recordOf(window).width;
}
qint32 LayoutHeight(const QWidget *window) {
    return recordOf(window).height;
}
const QList<ControlLayout> &LayoutControls(const QWidget *window) {
    return recordOf(window).controls;
}

} // namespace modStretch
