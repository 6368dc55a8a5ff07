#pragma once

#include "appearance/StretchMath.h"

#include <QList>
#include <QPointer>
#include <QWidget>

// Keeps every display, label and shape of a window in proportion to the window. The
// window's size and each control's geometry are recorded once as the reference; each
// resize recomputes them from the ratio of the new size to the reference. The "window"
// may be any widget that holds controls, such as the board's picture.
namespace modStretch {

struct ControlLayout {
    QPointer<QWidget> control;
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Height = 0;
    qint32 Width = 0;
    qint32 FontSize = 0;
    qint32 BorderWidth = 0;
    qint32 Size = 0;
};

// The window's size as the layout sees it, in twips: its inside, so that a title bar or
// full screen does not distort the proportions.
QSizeF WindowTwips(const QWidget *window);

void RecordLayout(QWidget *window);
void StretchLayout(QWidget *window);
void SetLedType(QWidget *window, qint16 style);

// A window's reference.
qint32 LayoutWidth(const QWidget *window);
qint32 LayoutHeight(const QWidget *window);
const QList<ControlLayout> &LayoutControls(const QWidget *window);

} // namespace modStretch
