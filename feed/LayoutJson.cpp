#include "feed/LayoutJson.h"

#include "appearance/ControlClass.h"
#include "appearance/Shape.h"
#include "appearance/Twips.h"
#include "appearance/modStretch.h"
#include "feed/FeedState.h"
#include "led/VaviZAV.h"
#include "settings/modGlobals.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// Which text of /state.json each control shows.
const QHash<QString, QString> &Bindings() {
    static const QHash<QString, QString> bindings{
        {QStringLiteral("picClock"), QStringLiteral("clock")},
        {QStringLiteral("picTimeAd"), QStringLiteral("timeAdvantage.shown")},
        {QStringLiteral("picHomeScore"), QStringLiteral("home.score")},
        {QStringLiteral("picGuestScore"), QStringLiteral("guest.score")},
        {QStringLiteral("picHomeMatch"), QStringLiteral("home.match")},
        {QStringLiteral("picGuestMatch"), QStringLiteral("guest.match")},
        {QStringLiteral("picMatch"), QStringLiteral("matchNumber")},
        {QStringLiteral("picPeriod"), QStringLiteral("period")},
        {QStringLiteral("picWeight"), QStringLiteral("weight")},
        {QStringLiteral("lblHomeScore"), QStringLiteral("home.name")},
        {QStringLiteral("lblGuestScore"), QStringLiteral("guest.name")},
        {QStringLiteral("lblHomeWrestler"), QStringLiteral("home.wrestler")},
        {QStringLiteral("lblGuestWrestler"), QStringLiteral("guest.wrestler")},
        {QStringLiteral("shpTimeAdHome"), QStringLiteral("home")},
        {QStringLiteral("shpTimeAdGuest"), QStringLiteral("guest")},
    };
    return bindings;
}

QString number(double v) {
    return QString::number(std::round(v * 100) / 100, 'g', 8);
}

QString SvgPath(const QPainterPath &path) {
    QStringList parts;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            parts << QStringLiteral("M") + number(e.x) << number(e.y);
            break;
        case QPainterPath::LineToElement:
            parts << QStringLiteral("L") + number(e.x) << number(e.y);
            break;
        case QPainterPath::CurveToElement:
            parts << QStringLiteral("C") + number(e.x) << number(e.y);
            break;
        case QPainterPath::CurveToDataElement:
            parts << number(e.x) << number(e.y);
            break;
        }
    }
    return parts.join(QLatin1Char(' ')) + QStringLiteral("Z");
}

QJsonArray Paths(const QList<QPainterPath> &paths) {
    QJsonArray out;
    for (const QPainterPath &p : paths)
        out.append(SvgPath(p));
    return out;
}

QJsonObject Segments() {
    QJsonObject out;
    const char *names[] = {"lines", "dots"};
    for (int style = 0; style < 2; ++style) {
        QJsonArray digits;
        for (int d = 0; d <= 9; ++d)
            digits.append(Paths(VaviZAV::LitParts(d, style)));
        out.insert(QLatin1String(names[style]), digits);
        out.insert(QLatin1String(names[style]) + QStringLiteral("All"),
                   Paths(VaviZAV::AllParts(style)));
    }
    out.insert(QStringLiteral("cell"),
               QJsonObject{{QStringLiteral("width"), VaviZAV::kCellWidth},
                           {QStringLiteral("height"), VaviZAV::kCellHeight}});
    return out;
}

QString ShapeKind(int kind) {
    switch (kind) {
    case Shape::Oval:
        return QStringLiteral("oval");
    case Shape::Circle:
        return QStringLiteral("circle");
    case Shape::RoundedRectangle:
        return QStringLiteral("roundedRectangle");
    default:
        return QStringLiteral("rectangle");
    }
}

struct Geometry {
    double x, y, width, height;
    int font, border, size;
};

} // namespace

QByteArray LayoutJson(QWidget *window) {
    QHash<const QWidget *, modStretch::ControlLayout> recorded;
    for (const modStretch::ControlLayout &entry : modStretch::LayoutControls(window)) {
        if (entry.control)
            recorded.insert(entry.control.data(), entry);
    }
    const auto geometry = [&](const QWidget *w) {
        const QRectF now = Twips::Geometry(w);
        const auto it = recorded.constFind(w);
        if (it == recorded.cend())
            return Geometry{now.x(),
                            now.y(),
                            now.width(),
                            now.height(),
                            int(std::lround(Twips::FontPoints(w))),
                            w->property("BorderWidth").toInt(),
                            w->property("Size").toInt()};
        return Geometry{double(it->Left),
                        double(it->Top),
                        it->Width ? double(it->Width) : now.width(),
                        it->Height ? double(it->Height) : now.height(),
                        it->FontSize,
                        it->BorderWidth,
                        it->Size};
    };

    const QList<QWidget *> all = ControlClass::Controls(window);
    const bool haveRecord = std::any_of(all.cbegin(), all.cend(),
                                        [&](const QWidget *w) { return recorded.contains(w); });
    QJsonObject design{
        {QStringLiteral("width"),
         haveRecord ? double(modStretch::LayoutWidth(window)) : window->width() * Twips::kPerPixel},
        {QStringLiteral("height"), haveRecord ? double(modStretch::LayoutHeight(window))
                                              : window->height() * Twips::kPerPixel}};

    QJsonArray controls;
    for (QWidget *control : all) {
        const QString className = ControlClass::Name(control);
        const QString name = control->objectName();
        QWidget *parent = control->parentWidget();
        const bool topLevel = parent == window;
        const Geometry g = geometry(control);
        QJsonObject c{{QStringLiteral("name"), name},
                      {QStringLiteral("x"), g.x},
                      {QStringLiteral("y"), g.y},
                      {QStringLiteral("width"), g.width},
                      {QStringLiteral("height"), g.height}};
        if (Bindings().contains(name))
            c.insert(QStringLiteral("bind"), Bindings().value(name));

        if (className == QLatin1String("PictureBox") && topLevel) {
            QJsonArray digits;
            bool time = false;
            QString lit = QStringLiteral("ledScore");
            for (QObject *child : control->children()) {
                if (auto digit = qobject_cast<VaviZAV *>(child)) {
                    const Geometry d = geometry(digit);
                    const QSize cell = VaviZAV::CellSize(d.size);
                    digits.append(
                        QJsonObject{{QStringLiteral("x"), d.x},
                                    {QStringLiteral("y"), d.y},
                                    {QStringLiteral("size"), d.size},
                                    {QStringLiteral("width"), cell.width() * Twips::kPerPixel},
                                    {QStringLiteral("height"), cell.height() * Twips::kPerPixel}});
                    if (digit->LitColor() == modGlobals::LEDTimeColor)
                        lit = QStringLiteral("ledTime");
                } else if (auto shape = qobject_cast<Shape *>(child)) {
                    time = time || shape->ShapeKind() == Shape::Circle;
                }
            }
            if (digits.isEmpty())
                continue;
            c.insert(QStringLiteral("kind"), QStringLiteral("field"));
            c.insert(QStringLiteral("digits"), digits);
            c.insert(QStringLiteral("time"), time);
            c.insert(QStringLiteral("lit"), lit);
        } else if (className == QLatin1String("Label") && topLevel) {
            auto label = qobject_cast<QLabel *>(control);
            c.insert(QStringLiteral("kind"), QStringLiteral("label"));
            c.insert(QStringLiteral("text"), label->text());
            c.insert(QStringLiteral("points"), g.font);
            c.insert(QStringLiteral("bold"), label->font().bold());
        } else if (className == QLatin1String("Shape")) {
            auto shape = qobject_cast<Shape *>(control);
            c.insert(QStringLiteral("shape"), ShapeKind(shape->ShapeKind()));
            c.insert(QStringLiteral("border"), g.border);
            c.insert(QStringLiteral("borderColor"), FeedText::Color(shape->BorderColor()));
            c.insert(QStringLiteral("filled"), shape->Filled());
            if (topLevel) {
                c.insert(QStringLiteral("kind"), QStringLiteral("shape"));
            } else {
                // A separator dot: placed in the window, told which field it belongs to.
                const Geometry field = geometry(parent);
                c.insert(QStringLiteral("kind"), QStringLiteral("dots"));
                c.insert(QStringLiteral("field"), parent->objectName());
                c.insert(QStringLiteral("x"), field.x + g.x);
                c.insert(QStringLiteral("y"), field.y + g.y);
                // Upper dot first, as the window made them.
                int index = 0;
                for (QObject *sibling : parent->children()) {
                    if (sibling == control)
                        break;
                    index += qobject_cast<Shape *>(sibling) ? 1 : 0;
                }
                c.insert(QStringLiteral("index"), index);
            }
        } else {
            continue;
        }
        controls.append(c);
    }
    QJsonObject root{{QStringLiteral("design"), design},
                     {QStringLiteral("controls"), controls},
                     {QStringLiteral("segments"), Segments()}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}
