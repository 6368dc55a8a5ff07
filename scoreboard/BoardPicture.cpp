#include "scoreboard/BoardPicture.h"
#include "scoreboard/ElidedLabel.h"
#include "scoreboard/FieldDigits.h"

#include "appearance/ControlClass.h"
#include "appearance/Fonts.h"
#include "appearance/PictureBox.h"
#include "appearance/Shape.h"
#include "appearance/Twips.h"
#include "appearance/modColor.h"
#include "appearance/modStretch.h"
#include "led/PackedColor.h"
#include "led/VaviZAV.h"
#include "settings/modGlobals.h"

#include <QLabel>

class BoardPicture::Dots : public SeparatorDots {
public:
    Dots(Shape *upper, Shape *lower) : m_dots{upper, lower} {}
    void setDotColor(int index, qint32 packedColor) override {
        if (index >= 0 && index < 2)
            m_dots[index]->setFillColor(packedColor);
    }

private:
    Shape *m_dots[2];
};

namespace {

constexpr double kDigitSize = 80;
constexpr double kCaptionPoints = 20.25;

// Positions are in twips, relative to the picture or to the field's container.
struct LabelRow {
    const char *name;
    const char *text;
    int left, top, width, height;
    double points;
};

constexpr LabelRow kLabels[] = {
    {"lblHomeScore", "Home", 0, 180, 2655, 555, 21.75},
    {"lblGuestScore", "Guest", 6840, 180, 2655, 555, 21.75},
    // The bout's wrestlers, in the gap under each score; empty without a lineup.
    {"lblHomeWrestler", "", 0, 2190, 2655, 315, 11.25},
    {"lblGuestWrestler", "", 6840, 2190, 2655, 315, 11.25},
    {"lblWeb", "www.quenlith.example", 2693, 2100, 4095, 375, 11.25},
    {"lblMatchNumber", "Match #", 353, 2520, 2895, 555, kCaptionPoints},
    {"lblPeriod", "Period", 3593, 2520, 2295, 555, kCaptionPoints},
    {"lblWeight", "Weight", 6233, 2520, 2895, 555, kCaptionPoints},
    {"lblHomeMatch", "Match", 353, 4740, 1785, 555, kCaptionPoints},
    {"lblTimeAd", "Time Advantage", 2753, 4740, 3975, 555, kCaptionPoints},
    {"lblGuestMatch", "Match", 7343, 4740, 1785, 555, kCaptionPoints},
};

struct DigitAt {
    int left, top;
};
// Element 0 first: the time fields number their digits from the left, the number fields
// from the right. The score's hundreds digit sits half outside its box: it is only ever 1.
constexpr DigitAt kScoreDigits[] = {{1530, 135}, {600, 135}, {-330, 135}};
constexpr DigitAt kMatchDigits[] = {{930, 135}, {0, 135}};
constexpr DigitAt kThreeDigits[] = {{2040, 135}, {1110, 135}, {180, 135}};
constexpr DigitAt kOneDigit[] = {{127, 135}};
constexpr DigitAt kClockDigits[] = {{190, 127}, {1100, 127}, {2215, 127}, {3065, 127}};

struct FieldRow {
    Match::Field field;
    const char *container;
    int left, top, width, height;
    const DigitAt *digits;
    int count;
    bool timeColor; // lit in the time colour rather than the score colour
};

#define DIGITS(table) table, int(std::size(table))
const FieldRow kFieldRows[] = {
    {Match::pledHomeScore, "picHomeScore", 124, 720, 2355, 1455, DIGITS(kScoreDigits), false},
    {Match::pledGuestScore, "picGuestScore", 7001, 720, 2355, 1455, DIGITS(kScoreDigits), false},
    {Match::pledClock, "picClock", 2760, 360, 3975, 1440, DIGITS(kClockDigits), true},
    {Match::pledMatch, "picMatch", 353, 3060, 2895, 1455, DIGITS(kThreeDigits), false},
    {Match::pledPeriod, "picPeriod", 4283, 3060, 915, 1455, DIGITS(kOneDigit), true},
    {Match::pledWeight, "picWeight", 6233, 3060, 2895, 1455, DIGITS(kThreeDigits), false},
    {Match::pledHomeMatch, "picHomeMatch", 353, 5280, 1785, 1455, DIGITS(kMatchDigits), false},
    {Match::pledTimeAd, "picTimeAd", 2753, 5280, 3975, 1455, DIGITS(kClockDigits), true},
    {Match::pledGuestMatch, "picGuestMatch", 7343, 5280, 1785, 1455, DIGITS(kMatchDigits), false},
};
#undef DIGITS

struct ShapeRow {
    const char *name;
    const char *parent; // empty: the picture itself
    int left, top, width, height;
    int kind;
    int borderWidth;
    bool filled;
};

// In creation order, which is also their stacking order.
constexpr ShapeRow kShapes[] = {
    {"shpTimeHolder", "", 2640, 240, 4215, 1695, Shape::RoundedRectangle, 5, false},
    {"shpTime_0", "picClock", 1890, 135, 195, 195, Shape::Circle, 0, true},
    {"shpTime_1", "picClock", 1890, 1125, 195, 195, Shape::Circle, 0, true},
    {"shpTimeAd_0", "picTimeAd", 1890, 135, 195, 195, Shape::Circle, 0, true},
    {"shpTimeAd_1", "picTimeAd", 1890, 1125, 195, 195, Shape::Circle, 0, true},
    {"shpTimeAdHome", "", 2153, 4860, 615, 255, Shape::Oval, 2, true},
    {"shpTimeAdGuest", "", 6713, 4860, 615, 255, Shape::Oval, 2, true},
};

constexpr qint32 kFrameColor = 0xC0C0C0;

} // namespace

BoardPicture::BoardPicture(Match &match, bool interactive, QWidget *parent)
    : QWidget(parent), m_match(match), m_interactive(interactive) {
    setObjectName(QStringLiteral("picBoard"));
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    if (!interactive)
        setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(Twips::Pixels(kDesignWidth), Twips::Pixels(kDesignHeight));
    buildControls();
    for (int f = 0; f < Match::kFieldCount; ++f)
        showField(Match::Field(f));
    connect(&m_match, &Match::FieldChanged, this, &BoardPicture::showField);
    connect(&m_match, &Match::AdChanged, this, &BoardPicture::UpdateAdColors);
    connect(&m_match, &Match::TextsChanged, this, &BoardPicture::showWrestlers);
    // A stoppage clock shown or gone changes the digits too, even where they read the same.
    connect(&m_match, &Match::StoppageChanged, this, [this] {
        UpdateCaptions();
        showField(Match::pledTimeAd);
    });
}

BoardPicture::~BoardPicture() = default;

void BoardPicture::buildControls() {
    for (const LabelRow &row : kLabels) {
        auto label = new ElidedLabel(QLatin1String(row.text), this);
        label->setObjectName(QLatin1String(row.name));
        // Team names are shown as typed, never as markup.
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setFont(Fonts::Sans(row.points, true));
        Twips::SetFontPoints(label, row.points);
        Twips::SetGeometry(label, QRectF(row.left, row.top, row.width, row.height));
    }
    m_lblHomeScore = findChild<QLabel *>(QStringLiteral("lblHomeScore"));
    m_lblTimeAd = findChild<QLabel *>(QStringLiteral("lblTimeAd"));
    m_lblPeriod = findChild<QLabel *>(QStringLiteral("lblPeriod"));
    m_lblGuestScore = findChild<QLabel *>(QStringLiteral("lblGuestScore"));
    m_lblHomeWrestler = findChild<QLabel *>(QStringLiteral("lblHomeWrestler"));
    m_lblGuestWrestler = findChild<QLabel *>(QStringLiteral("lblGuestWrestler"));

    const auto addShape = [this](const ShapeRow &row) {
        QWidget *parent = *row.parent ? findChild<QWidget *>(QLatin1String(row.parent)) : this;
        auto shape = new Shape(parent);
        shape->setObjectName(QLatin1String(row.name));
        shape->setShapeKind(row.kind);
        shape->setBorderWidth(row.borderWidth);
        shape->setFilled(row.filled);
        Twips::SetGeometry(shape, QRectF(row.left, row.top, row.width, row.height));
        return shape;
    };

    for (const FieldRow &row : kFieldRows) {
        // The clock frame stands behind the clock.
        if (row.field == Match::pledClock)
            addShape(kShapes[0])->setBorderColor(kFrameColor);
        auto pic = new PictureBox(this);
        pic->setObjectName(QLatin1String(row.container));
        pic->setAccessibleName(QLatin1String(row.container));
        pic->setFocusPolicy(m_interactive ? Qt::ClickFocus : Qt::NoFocus);
        Twips::SetGeometry(pic, QRectF(row.left, row.top, row.width, row.height));
        QList<VaviZAV *> digits;
        for (int i = 0; i < row.count; ++i) {
            auto digit = new VaviZAV(pic);
            digit->setSize(int(kDigitSize));
            if (!m_interactive)
                digit->setFocusPolicy(Qt::NoFocus);
            Twips::Move(digit, row.digits[i].left, row.digits[i].top);
            digits.append(digit);
        }
        if (m_interactive) {
            pic->setFocusProxy(digits.front());
            const Match::Field field = row.field;
            for (VaviZAV *digit : digits) {
                connect(digit, &VaviZAV::KeyDown, this,
                        [this](int, int code, int) { emit KeyDown(code); });
                connect(digit, &VaviZAV::KeyPress, this,
                        [this, field](int, int ascii) { emit KeyPress(field, ascii); });
            }
        }
        m_groups[row.field] = std::make_unique<LedGroup>(Match::FieldName(row.field), digits);
    }

    for (const ShapeRow &row : kShapes) {
        if (&row != &kShapes[0])
            addShape(row);
    }
    m_shpTime = std::make_unique<Dots>(findChild<Shape *>(QStringLiteral("shpTime_0")),
                                       findChild<Shape *>(QStringLiteral("shpTime_1")));
    m_shpTimeAd = std::make_unique<Dots>(findChild<Shape *>(QStringLiteral("shpTimeAd_0")),
                                         findChild<Shape *>(QStringLiteral("shpTimeAd_1")));
    m_shpTimeAdHome = findChild<Shape *>(QStringLiteral("shpTimeAdHome"));
    m_shpTimeAdGuest = findChild<Shape *>(QStringLiteral("shpTimeAdGuest"));
    m_shpTimeAdHome->raise();
    m_shpTimeAdGuest->raise();
}

LedGroup &BoardPicture::Field(const QString &name) {
    return *m_groups[Match::FieldFromName(name)];
}

void BoardPicture::showField(Match::Field field) {
    if (field == Match::pledClock)
        FieldDigits::ShowTime(m_match.Shown(field), Field(field), *m_shpTime);
    else if (field == Match::pledTimeAd) {
        // A stoppage clock or an activity period, while shown, covers the time advantage's
        // digits.
        const Match::Cover cover = m_match.Covering();
        FieldDigits::ShowTime(cover.kind >= 0 ? cover.shown : m_match.Shown(field), Field(field),
                              *m_shpTimeAd, cover.kind >= 0);
    } else
        FieldDigits::ShowValue(Field(field), m_match.Value(field));
    if (field == Match::pledPeriod)
        UpdateCaptions();
    if (field == Match::pledWeight)
        showWrestlers();
}

void BoardPicture::showWrestlers() {
    if (!m_lblHomeWrestler)
        return;
    m_lblHomeWrestler->setText(m_match.Wrestler(1));
    m_lblGuestWrestler->setText(m_match.Wrestler(2));
}

void BoardPicture::UpdateLabels() {
    m_lblHomeScore->setText(modGlobals::HomeText);
    m_lblGuestScore->setText(modGlobals::GuestText);
    UpdateCaptions();
    modStretch::SetLedType(this, modGlobals::LEDType);
}

// "Injury Home", "Activity Guest" over a stoppage clock or an activity period, with the team
// names' texts.
QString BoardPicture::TimeAdCaption(const Match &match) {
    const Match::Cover cover = match.Covering();
    if (cover.kind < 0)
        return QStringLiteral("Time Advantage");
    return RuleBook::StoppageName(cover.kind) + QLatin1Char(' ') +
           (cover.side == 1 ? modGlobals::HomeText : modGlobals::GuestText);
}

void BoardPicture::UpdateCaptions() {
    const QString caption = TimeAdCaption(m_match);
    if (m_lblTimeAd->text() != caption)
        m_lblTimeAd->setText(caption);
    // Overtime's rounds by their short names: "SV", "TB", "UTB"; and "Break".
    const RuleBook::RoundKind round = m_match.Round().kind;
    const QString period = round == RuleBook::RoundKind::Period ? QStringLiteral("Period")
                                                                : RuleBook::RoundCaption(round);
    if (m_lblPeriod->text() != period)
        m_lblPeriod->setText(period);
}

void BoardPicture::UpdateAdColors() {
    const auto lamp = [this](Side side) {
        return m_match.TimeAd == side ? modGlobals::LEDScoreColor : modGlobals::FormColor;
    };
    m_shpTimeAdHome->setFillColor(lamp(Side::Home));
    m_shpTimeAdGuest->setFillColor(lamp(Side::Guest));
    m_shpTimeAdHome->setBorderColor(modGlobals::LEDBackColor);
    m_shpTimeAdGuest->setBorderColor(modGlobals::LEDBackColor);
}

void BoardPicture::UpdateFormColors() {
    QPalette p = palette();
    p.setColor(QPalette::Window, PackedColor::ToQColor(modGlobals::FormColor));
    setPalette(p);
    UpdateAdColors();
    // The dots take the text and background colours as the times are written.
    showField(Match::pledClock);
    showField(Match::pledTimeAd);
    for (const FieldRow &row : kFieldRows) {
        modColor::ColorLeds(Field(row.field),
                            row.timeColor ? modGlobals::LEDTimeColor : modGlobals::LEDScoreColor,
                            modGlobals::LEDBackColor);
    }
    modColor::ColorControls(this, {}, modGlobals::TextColor, modGlobals::LEDBackColor);
}

void BoardPicture::RecordLayout() {
    modStretch::RecordLayout(this);
    m_recorded = true;
}

void BoardPicture::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (!m_recorded)
        return;
    modStretch::StretchLayout(this);
    UpdateLabels();
}
