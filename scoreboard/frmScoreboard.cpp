#include "scoreboard/frmScoreboard.h"

#include "appearance/ControlClass.h"
#include "appearance/Fonts.h"
#include "appearance/PackedColor.h"
#include "appearance/PictureBox.h"
#include "appearance/Shape.h"
#include "appearance/Twips.h"
#include "appearance/modColor.h"
#include "appearance/modStretch.h"
#include "clock/modCount.h"
#include "clock/modShowDigits.h"
#include "led/VaviZAV.h"
#include "scoreboard/KeyCodes.h"
#include "scoreboard/mmcBuzzer.h"
#include "settings/frmOptions.h"
#include "settings/modGlobals.h"
#include "startup/Logo.h"
#include "startup/frmHelp.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

class frmScoreboard::Dots : public SeparatorDots {
public:
    Dots(Shape *upper, Shape *lower) : m_dots{upper, lower} {}
    void setDotColor(int index, qint32 packedColor) override {
        if (index >= 0 && index < 2)
            m_dots[index]->setFillColor(packedColor);
    }
    Shape *dot(int index) const { return m_dots[index]; }

private:
    Shape *m_dots[2];
};

namespace {

struct NumberField {
    const char *field;
    qint16 high;
};

// Upper limits of typed entry; every field's lower limit is the blank value -1.
constexpr NumberField kNumberFields[] = {
    {"pledHomeScore", 199}, {"pledGuestScore", 199}, {"pledHomeMatch", 19}, {"pledGuestMatch", 19},
    {"pledMatch", 999},     {"pledPeriod", 9},       {"pledWeight", 999},
};

constexpr double kDigitSize = 80;
constexpr double kCaptionPoints = 20.25;

} // namespace

frmScoreboard::frmScoreboard(BuzzerDevice *device)
    : m_mmcBuzzer(device ? device : new class mmcBuzzer()) {
    setObjectName(QStringLiteral("frmScoreboard"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    setWindowIcon(Logo::Icon());

    m_tmrClock1.setObjectName(QStringLiteral("tmrClock1"));
    m_tmrClock1.setInterval(40);
    m_tmrClock1.setTimerType(Qt::PreciseTimer);
    connect(&m_tmrClock1, &QTimer::timeout, this, &frmScoreboard::tmrClock1_Timer);
    m_mmcBuzzer->setObjectName(QStringLiteral("mmcBuzzer"));
    connect(m_mmcBuzzer.get(), &BuzzerDevice::Done, this, &frmScoreboard::mmcBuzzer_Done,
            Qt::QueuedConnection);

    const QSize design(kDesignWidth / 15, kDesignHeight / 15);
    resize(design);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(design.width() / 2, design.height() / 2));
    }
    buildControls();
    Form_Load();
}

frmScoreboard::~frmScoreboard() {
    Form_Terminate();
}

PictureBox *frmScoreboard::addField(const QString &container, const QString &field,
                                    const QRectF &box, const QList<QPointF> &digitPositions) {
    auto pic = new PictureBox(this);
    pic->setObjectName(container);
    pic->setFocusPolicy(Qt::ClickFocus);
    Twips::SetGeometry(pic, box);
    QList<VaviZAV *> digits;
    for (const QPointF &at : digitPositions) {
        auto digit = new VaviZAV(pic);
        digit->setSize(int(kDigitSize));
        Twips::Move(digit, at.x(), at.y());
        digits.append(digit);
    }
    auto group = std::make_unique<LedGroup>(field, digits);
    pic->setFocusProxy(digits.front());
    pic->setAccessibleName(container);
    for (VaviZAV *digit : digits) {
        connect(digit, &VaviZAV::KeyDown, this, [this](int, int code, int) { onKeyDown(code); });
        connect(digit, &VaviZAV::KeyPress, this,
                [this, field](int, int ascii) { onFieldKeyPress(field, ascii); });
    }
    m_fields.insert(field, group.get());
    m_groups.push_back(std::move(group));
    return pic;
}

QLabel *frmScoreboard::addLabel(const QString &name, const QString &text, const QRectF &box,
                                double points) {
    auto label = new QLabel(text, this);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(Fonts::Sans(points, true));
    Twips::SetFontPoints(label, points);
    Twips::SetGeometry(label, box);
    return label;
}

Shape *frmScoreboard::addShape(const QString &name, QWidget *parent, const QRectF &box, int kind,
                               int borderWidth) {
    auto shape = new Shape(parent);
    shape->setObjectName(name);
    shape->setShapeKind(kind);
    shape->setBorderWidth(borderWidth);
    Twips::SetGeometry(shape, box);
    return shape;
}

void frmScoreboard::buildControls() {
    m_lblHomeScore = addLabel(QStringLiteral("lblHomeScore"), QStringLiteral("Home"),
                              {0, 180, 2655, 555}, 21.75);
    m_lblGuestScore = addLabel(QStringLiteral("lblGuestScore"), QStringLiteral("Guest"),
                               {6840, 180, 2655, 555}, 21.75);
    addLabel(QStringLiteral("lblWeb"), QStringLiteral("www.quenlith.example"),
             {2693, 2100, 4095, 375}, 11.25);
    addLabel(QStringLiteral("lblMatchNumber"), QStringLiteral("Match #"), {353, 2520, 2895, 555},
             kCaptionPoints);
    addLabel(QStringLiteral("lblPeriod"), QStringLiteral("Period"), {3593, 2520, 2295, 555},
             kCaptionPoints);
    addLabel(QStringLiteral("lblWeight"), QStringLiteral("Weight"), {6233, 2520, 2895, 555},
             kCaptionPoints);
    addLabel(QStringLiteral("lblHomeMatch"), QStringLiteral("Match"), {353, 4740, 1455, 555},
             kCaptionPoints);
    addLabel(QStringLiteral("lblTimeAd"), QStringLiteral("Time Advantage"), {2753, 4740, 3975, 555},
             kCaptionPoints);
    addLabel(QStringLiteral("lblGuestMatch"), QStringLiteral("Match"), {7673, 4740, 1455, 555},
             kCaptionPoints);

    const QList<QPointF> scoreDigits{{1530, 135}, {600, 135}, {-330, 135}};
    const QList<QPointF> matchDigits{{600, 135}, {-330, 135}};
    const QList<QPointF> threeDigits{{2040, 135}, {1110, 135}, {180, 135}};
    const QList<QPointF> clockDigits{{190, 127}, {1100, 127}, {2215, 127}, {3065, 127}};

    addField(QStringLiteral("picHomeScore"), QStringLiteral("pledHomeScore"),
             {124, 720, 2355, 1455}, scoreDigits);
    addField(QStringLiteral("picGuestScore"), QStringLiteral("pledGuestScore"),
             {7001, 720, 2355, 1455}, scoreDigits);
    addShape(QStringLiteral("shpTimeHolder"), this, {2640, 240, 4215, 1695},
             Shape::RoundedRectangle, 5)
        ->setBorderColor(0xC0C0C0);
    PictureBox *clock = addField(QStringLiteral("picClock"), QStringLiteral("pledClock"),
                                 {2760, 360, 3975, 1440}, clockDigits);
    addField(QStringLiteral("picMatch"), QStringLiteral("pledMatch"), {353, 3060, 2895, 1455},
             threeDigits);
    addField(QStringLiteral("picPeriod"), QStringLiteral("pledPeriod"), {4283, 3060, 915, 1455},
             {{127, 135}});
    addField(QStringLiteral("picWeight"), QStringLiteral("pledWeight"), {6233, 3060, 2895, 1455},
             threeDigits);
    addField(QStringLiteral("picHomeMatch"), QStringLiteral("pledHomeMatch"),
             {353, 5280, 1455, 1455}, matchDigits);
    PictureBox *timeAd = addField(QStringLiteral("picTimeAd"), QStringLiteral("pledTimeAd"),
                                  {2753, 5280, 3975, 1455}, clockDigits);
    addField(QStringLiteral("picGuestMatch"), QStringLiteral("pledGuestMatch"),
             {7673, 5280, 1455, 1455}, matchDigits);

    const auto dots = [this](QWidget *pic, const QString &name) {
        Shape *upper =
            addShape(name + QStringLiteral("_0"), pic, {1890, 135, 195, 195}, Shape::Circle, 0);
        Shape *lower =
            addShape(name + QStringLiteral("_1"), pic, {1890, 1125, 195, 195}, Shape::Circle, 0);
        upper->setFilled(true);
        lower->setFilled(true);
        return std::make_unique<Dots>(upper, lower);
    };
    m_shpTime = dots(clock, QStringLiteral("shpTime"));
    m_shpTimeAd = dots(timeAd, QStringLiteral("shpTimeAd"));

    m_shpTimeAdHome =
        addShape(QStringLiteral("shpTimeAdHome"), this, {2153, 4860, 615, 255}, Shape::Oval, 2);
    m_shpTimeAdGuest =
        addShape(QStringLiteral("shpTimeAdGuest"), this, {6713, 4860, 615, 255}, Shape::Oval, 2);
    m_shpTimeAdHome->setFilled(true);
    m_shpTimeAdGuest->setFilled(true);
    m_shpTimeAdHome->raise();
    m_shpTimeAdGuest->raise();

    // Number fields start blank but for their units digit.
    for (const NumberField &f : kNumberFields) {
        LedGroup &group = Field(QLatin1String(f.field));
        for (int i = 1; i < group.count(); ++i)
            group.setCaption(i, -1);
    }
}

LedGroup &frmScoreboard::Field(const QString &name) {
    return *m_fields.value(name);
}

void frmScoreboard::Form_Load() {
    UpdateLabels();
    UpdateFormColors();
    modCount::LastClockTime = 600;
    modCount::SetClock(fromSeconds(600), 0, 0);
    modCount::ShowTime(modCount::ClockValue(0), Field(QStringLiteral("pledClock")), *m_shpTime);
    modCount::SetClock(0, 1, 1);
    modCount::SetClock(0, 1, 2);
    TimeAd = 38;
    UpdateAdStatus();
    modStretch::RecordLayout(this);
    const QString file = modGlobals::BuzzerFile;
    if (!file.isEmpty() && QFileInfo::exists(file)) {
        m_mmcBuzzer->setFileName(file);
        m_mmcBuzzer->open();
    }
}

void frmScoreboard::UpdateLabels() {
    setWindowTitle(QStringLiteral("Darezez"));
    m_lblHomeScore->setText(modGlobals::HomeText);
    m_lblGuestScore->setText(modGlobals::GuestText);
    modStretch::SetLedType(this, modGlobals::LEDType);
}

void frmScoreboard::AllKeyDown(int KeyCode) {
    if (KeyCode >= KeyCodes::Left && KeyCode <= KeyCodes::Right)
        TimeAd = KeyCode;
    UpdateAdStatus();
}

void frmScoreboard::AllKeyPress(int KeyAscii) {
    if (KeyAscii == modGlobals::StartStopClockKey) {
        if (modCount::ClockRunning(0)) {
            modCount::StopClock(0);
        } else {
            modCount::StartClock(0);
            m_tmrClock1.start();
        }
        UpdateAdStatus();
    } else if (KeyAscii == modGlobals::ResetClockKey) {
        resetClocks();
    } else if (KeyAscii == modGlobals::BuzzerKey) {
        Buzzer();
    } else if (KeyAscii == 'h' || KeyAscii == 'H') {
        frmHelp::ShowHelp();
    } else if (KeyAscii == 'o' || KeyAscii == 'O') {
        showOptions();
    }
}

void frmScoreboard::resetClocks() {
    if (modCount::ClockRunning(0) == -1)
        AllKeyPress(modGlobals::StartStopClockKey);
    modCount::SetClock(fromSeconds(modCount::LastClockTime), 0, 0);
    modCount::ShowTime(modCount::ClockValue(0), Field(QStringLiteral("pledClock")), *m_shpTime);
    LedGroup &timeAd = Field(QStringLiteral("pledTimeAd"));
    modCount::SetClock(0, 1, 1);
    modCount::ShowTime(modCount::ClockValue(1), timeAd, *m_shpTimeAd);
    modCount::SetClock(0, 1, 2);
    modCount::ShowTime(modCount::ClockValue(2), timeAd, *m_shpTimeAd);
}

void frmScoreboard::showOptions() {
    {
        frmOptions dialog(this, this);
        dialog.exec();
    }
    UpdateLabels();
    UpdateFormColors();
    modStretch::RecordLayout(this);
    m_mmcBuzzer->close();
    m_mmcBuzzer->setFileName(modGlobals::BuzzerFile);
    m_mmcBuzzer->open();
    // Back to the board the dialog was opened from, with the match clock selected.
    activateWindow();
    Form_Activate();
}

void frmScoreboard::UpdateAdStatus() {
    if (modCount::ClockRunning(0) != -1) {
        modCount::StopClock(1);
        modCount::StopClock(2);
    } else if (TimeAd == 0 || TimeAd == 38) {
        modCount::StopClock(1);
        modCount::StopClock(2);
    } else if (TimeAd == 37) {
        modCount::StartClock(1);
        modCount::StopClock(2);
    } else if (TimeAd == 39) {
        modCount::StopClock(1);
        modCount::StartClock(2);
    }
    UpdateClocks();
    UpdateAdColors();
}

void frmScoreboard::UpdateClocks() {
    if (m_shownAdSide == 0)
        m_shownAdSide = 1;
    if (TimeAd == 37)
        m_shownAdSide = 1;
    else if (TimeAd == 39)
        m_shownAdSide = 2;
    const TimeValue match = modCount::ClockValue(0);
    modCount::ShowTime(match, Field(QStringLiteral("pledClock")), *m_shpTime);
    modCount::ShowTime(modCount::ClockValue(m_shownAdSide), Field(QStringLiteral("pledTimeAd")),
                       *m_shpTimeAd);
    if (match <= 0) {
        if (m_tmrClock1.isActive())
            Buzzer();
        modCount::StopClock(0);
    }
    if (modCount::ClockRunning(0) == 0)
        m_tmrClock1.stop();
}

void frmScoreboard::UpdateAdColors() {
    if (TimeAd == 0 || TimeAd == 38) {
        m_shpTimeAdHome->setFillColor(modGlobals::FormColor);
        m_shpTimeAdGuest->setFillColor(modGlobals::FormColor);
    } else if (TimeAd == 37) {
        m_shpTimeAdHome->setFillColor(modGlobals::LEDScoreColor);
        m_shpTimeAdGuest->setFillColor(modGlobals::FormColor);
    } else if (TimeAd == 39) {
        m_shpTimeAdHome->setFillColor(modGlobals::FormColor);
        m_shpTimeAdGuest->setFillColor(modGlobals::LEDScoreColor);
    }
    m_shpTimeAdHome->setBorderColor(modGlobals::LEDBackColor);
    m_shpTimeAdGuest->setBorderColor(modGlobals::LEDBackColor);
}

void frmScoreboard::UpdateFormColors() {
    QPalette p = palette();
    p.setColor(QPalette::Window, PackedColor::ToQColor(modGlobals::FormColor));
    setPalette(p);
    UpdateAdColors();
    UpdateClocks();
    modColor::ColorLeds(Field(QStringLiteral("pledHomeScore")), modGlobals::LEDScoreColor);
    modColor::ColorLeds(Field(QStringLiteral("pledGuestScore")), modGlobals::LEDScoreColor);
    modColor::ColorLeds(Field(QStringLiteral("pledClock")), modGlobals::LEDTimeColor);
    modColor::ColorLeds(Field(QStringLiteral("pledMatch")), modGlobals::LEDScoreColor);
    modColor::ColorLeds(Field(QStringLiteral("pledPeriod")), modGlobals::LEDTimeColor);
    modColor::ColorLeds(Field(QStringLiteral("pledWeight")), modGlobals::LEDScoreColor);
    modColor::ColorLeds(Field(QStringLiteral("pledHomeMatch")), modGlobals::LEDScoreColor);
    modColor::ColorLeds(Field(QStringLiteral("pledTimeAd")), modGlobals::LEDTimeColor);
    modColor::ColorLeds(Field(QStringLiteral("pledGuestMatch")), modGlobals::LEDScoreColor);
    modColor::ColorControls(this, {});
}

void frmScoreboard::Buzzer() {
    if (!m_mmcBuzzer->FileName().isEmpty() && !BuzzerPlaying) {
        BuzzerPlaying = true;
        m_mmcBuzzer->play();
    }
}

void frmScoreboard::mmcBuzzer_Done() {
    m_mmcBuzzer->stop();
    m_mmcBuzzer->rewind();
    BuzzerPlaying = false;
}

void frmScoreboard::tmrClock1_Timer() {
    UpdateClocks();
}

void frmScoreboard::onKeyDown(int keyCode) {
    AllKeyDown(keyCode);
    if (keyCode == KeyCodes::F11)
        setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void frmScoreboard::onFieldKeyPress(const QString &field, int keyAscii) {
    LedGroup &group = Field(field);
    if (field == QLatin1String("pledClock")) {
        modCount::ClockKeyPress(*this, group, keyAscii, 3599, 0, 0, *m_shpTime);
        return;
    }
    if (field == QLatin1String("pledTimeAd")) {
        AllKeyPress(keyAscii);
        return;
    }
    for (const NumberField &f : kNumberFields) {
        if (field == QLatin1String(f.field)) {
            modShowDigits::DigitKeyPress(*this, group, keyAscii, -1, f.high);
            return;
        }
    }
}

void frmScoreboard::keyPressEvent(QKeyEvent *event) {
    // Only reached when no digit has the focus.
    onKeyDown(KeyCodes::FromQtKey(event->key()));
    if (!event->text().isEmpty())
        AllKeyPress(event->text().front().unicode());
    event->accept();
}

void frmScoreboard::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void frmScoreboard::Form_Activate() {
    Field(QStringLiteral("pledClock")).at(0)->setFocus(Qt::ActiveWindowFocusReason);
}

void frmScoreboard::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmScoreboard::Form_Resize() {
    modStretch::StretchLayout(this);
    UpdateLabels();
}

void frmScoreboard::closeEvent(QCloseEvent *event) {
    Form_Unload();
    QWidget::closeEvent(event);
}

void frmScoreboard::Form_Unload() {
    if (!m_mmcBuzzer->FileName().isEmpty())
        m_mmcBuzzer->close();
}

void frmScoreboard::Form_Terminate() {
    m_tmrClock1.stop();
    m_mmcBuzzer->close();
}
