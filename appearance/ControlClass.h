#pragma once

#include <QString>

class QObject;
class QWidget;

// The layout and colour passes tell controls apart by a class name: "VaviZAV",
// "PictureBox", "Image", "Label", "Frame", "Shape", "ComboBox". This is the one place
// that maps our widgets and Qt's onto those names; anything else keeps its own name.
namespace ControlClass {

QString Name(const QObject *control);

// Every control of a window in order, those inside containers included; the inner
// parts of Qt's own widgets are not controls.
QList<QWidget *> Controls(QWidget *window);

// The text colour of a label, packed.
void SetForeColor(QWidget *control, qint32 packedColor);
qint32 ForeColor(const QWidget *control);

} // namespace ControlClass
