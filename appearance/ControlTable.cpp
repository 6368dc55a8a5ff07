#include "appearance/ControlTable.h"

#include "appearance/Fonts.h"
#include "appearance/PictureBox.h"
#include "appearance/Twips.h"
#include "led/VaviZAV.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace ControlTable {

namespace {
QLabel *label(const Row &row, QWidget *parent) {
    auto label = new QLabel(QString::fromUtf8(row.text), parent);
    if (row.look & Plain)
        label->setTextFormat(Qt::PlainText);
    if (row.look & Boxed)
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
    if (row.look & Wrap)
        label->setWordWrap(true);
    if (row.look & Selectable)
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QWidget *make(const Row &row, QWidget *parent) {
    const QString text = QString::fromUtf8(row.text);
    switch (row.kind) {
    case Kind::Label:
        return label(row, parent);
    case Kind::Image: {
        QLabel *image = label(row, parent);
        image->setProperty("isImage", true);
        return image;
    }
    case Kind::Button:
        return new QPushButton(text, parent);
    case Kind::Frame: {
        if (!text.isEmpty())
            return new QGroupBox(text, parent);
        auto frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        return frame;
    }
    case Kind::Swatch:
        return new PictureBox(parent);
    case Kind::Entry:
        return new QLineEdit(text, parent);
    case Kind::Combo: {
        auto combo = new QComboBox(parent);
        combo->addItems(text.split(QLatin1Char('|'), Qt::SkipEmptyParts));
        return combo;
    }
    case Kind::Check:
        return new QCheckBox(text, parent);
    case Kind::Option:
        return new QRadioButton(text, parent);
    case Kind::Spin:
        return new QSpinBox(parent);
    case Kind::Led: {
        auto digit = new VaviZAV(parent);
        digit->setSize(int(row.height / Twips::kPerPixel));
        return digit;
    }
    }
    return nullptr;
}

Qt::Alignment alignment(unsigned look) {
    if (look & Centre)
        return Qt::AlignCenter;
    if (look & TopLeft)
        return Qt::AlignLeft | Qt::AlignTop;
    if (look & TopCentre)
        return Qt::AlignHCenter | Qt::AlignTop;
    if (look & TopRight)
        return Qt::AlignRight | Qt::AlignTop;
    return {};
}
} // namespace

QWidget *Add(QWidget *parent, const Row &row) {
    QWidget *control = make(row, parent);
    if (*row.name)
        control->setObjectName(QLatin1String(row.name));
    if (const Qt::Alignment a = alignment(row.look)) {
        if (auto l = qobject_cast<QLabel *>(control))
            l->setAlignment(a);
        else if (auto e = qobject_cast<QLineEdit *>(control))
            e->setAlignment(a);
    }
    switch (row.font.face) {
    case Face::Inherit:
        break;
    case Face::Sans:
        control->setFont(Fonts::Sans(row.font.points));
        break;
    case Face::SansBold:
        control->setFont(Fonts::Sans(row.font.points, true));
        break;
    case Face::Serif:
        control->setFont(Fonts::Serif(row.font.points));
        break;
    }
    // A digit sizes itself: only its place comes from the row.
    if (row.kind == Kind::Led)
        Twips::Move(control, row.left, row.top);
    else
        Twips::SetGeometry(control, QRectF(row.left, row.top, row.width, row.height));
    return control;
}

void Build(QWidget *base, std::span<const Row> rows) {
    QHash<QString, QWidget *> built;
    for (const Row &row : rows) {
        QWidget *parent = *row.container ? built.value(QString::fromUtf8(row.container)) : base;
        if (!parent)
            qFatal("ControlTable: no container %s before %s", row.container, row.name);
        QWidget *control = Add(parent, row);
        built.insert(QString::fromUtf8(*row.name ? row.name : row.text), control);
    }
}

} // namespace ControlTable
