#include "appearance/ControlClass.h"

#include "appearance/PictureBox.h"
#include "appearance/Shape.h"
#include "led/PackedColor.h"
#include "led/VaviZAV.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace ControlClass {

QString Name(const QObject *control) {
    if (qobject_cast<const VaviZAV *>(control))
        return QStringLiteral("VaviZAV");
    if (qobject_cast<const PictureBox *>(control))
        return QStringLiteral("PictureBox");
    if (qobject_cast<const Shape *>(control))
        return QStringLiteral("Shape");
    if (auto label = qobject_cast<const QLabel *>(control))
        return label->property("isImage").toBool() ? QStringLiteral("Image")
                                                   : QStringLiteral("Label");
    if (qobject_cast<const QComboBox *>(control))
        return QStringLiteral("ComboBox");
    if (qobject_cast<const QGroupBox *>(control) ||
        (control && QLatin1String(control->metaObject()->className()) == "QFrame"))
        return QStringLiteral("Frame");
    return control ? QString::fromLatin1(control->metaObject()->className()) : QString();
}

namespace {
bool holdsControls(const QWidget *w) {
    const QString name = Name(w);
    return name == QLatin1String("PictureBox") || name == QLatin1String("Frame");
}

void collect(QWidget *parent, QList<QWidget *> &out) {
    for (QObject *child : parent->children()) {
        auto w = qobject_cast<QWidget *>(child);
        if (!w || w->isWindow())
            continue;
        out.append(w);
        if (holdsControls(w))
            collect(w, out);
    }
}
} // namespace

QList<QWidget *> Controls(QWidget *window) {
    QList<QWidget *> out;
    collect(window, out);
    return out;
}

void SetForeColor(QWidget *control, qint32 packedColor) {
    const QColor color = PackedColor::ToQColor(packedColor);
    QPalette p = control->palette();
    if (p.color(QPalette::WindowText) == color && p.color(QPalette::Text) == color)
        return;
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    control->setPalette(p);
}

qint32 ForeColor(const QWidget *control) {
    return PackedColor::FromQColor(control->palette().color(QPalette::WindowText));
}

} // namespace ControlClass
