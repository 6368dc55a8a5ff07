#pragma once

#include <QtCore/qnamespace.h>
#include <span>

class QWidget;

// A window's controls as a layout table: one row per control, in creation order, which is
// also the order of the keyboard focus and of stacking. Positions are twips, relative to
// the row's container.
namespace ControlTable {

enum class Kind {
    Label,
    Image,  // a label that shows a picture
    Button, // a push button
    Frame,  // with a caption a titled group, without one a sunken box
    Swatch, // a colour swatch
    Text,   // a one-line text entry
    Combo,  // a drop-down list; its entries are the text split at '|'
    Check,
    Option, // a radio button
    Spin,
    Led, // one digit display, sized to the row's height
};

// How a label looks.
enum Look : unsigned {
    Plain = 1,      // the text exactly as written, never markup
    Wrap = 2,       // the text wraps within the width
    Boxed = 4,      // a thin border around it
    Selectable = 8, // the text can be selected with the mouse
};

enum class Face { Inherit, Sans, SansBold, Serif };
struct Font {
    Face face = Face::Inherit;
    double points = 0;
};

struct Row {
    const char *name; // empty: an unnamed frame, which later rows name by its caption
    Kind kind;
    const char *container; // an earlier row's name or frame caption; empty: the base
    const char *text;
    int left, top, width, height;
    Qt::Alignment alignment = {}; // none: the kind's own
    Font font = {};
    unsigned look = 0;
};

// One control, on parent.
QWidget *Add(QWidget *parent, const Row &row);
// Every row, in order, inside base.
void Build(QWidget *base, std::span<const Row> rows);

} // namespace ControlTable
