#pragma once

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
    Entry,  // a one-line text entry
    Combo,  // a drop-down list; its entries are the text split at '|'
    Check,
    Option, // a radio button
    Spin,
    Led, // one digit display, sized to the row's height
};

// How a label or an entry shows its text.
enum Look : unsigned {
    Plain = 1,      // exactly as written, never markup
    Wrap = 2,       // wrapped within the width
    Boxed = 4,      // inside a thin border
    Selectable = 8, // selectable with the mouse
    // Where the text stands; none of these: where the kind puts it.
    Centre = 16, // both ways
    TopLeft = 32,
    TopCentre = 64,
    TopRight = 128,
};

enum class Face { Inherit, Sans, SansBold, Serif };
struct Font {
    Face face = Face::Inherit;
    double points = 0;
};
constexpr Font Sans(double points) {
    return {Face::Sans, points};
}
constexpr Font SansBold(double points) {
    return {Face::SansBold, points};
}
constexpr Font Serif(double points) {
    return {Face::Serif, points};
}

struct Row {
    const char *name; // empty: an unnamed frame, which later rows name by its caption
    Kind kind;
    const char *container; // an earlier row's name or frame caption; empty: the base
    const char *text;
    int left, top, width, height;
    unsigned look = 0;
    Font font = {}; // none: the window's
};

// One control, on parent.
QWidget *Add(QWidget *parent, const Row &row);
// Every row, in order, inside base.
void Build(QWidget *base, std::span<const Row> rows);

} // namespace ControlTable
