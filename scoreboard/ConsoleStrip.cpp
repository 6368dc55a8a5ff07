#include "scoreboard/ConsoleStrip.h"

#include "clock/BoutSheet.h"
#include "console/KeyConsole.h"

#include "settings/modGlobals.h"

#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>

namespace {

const char *const kFieldTitles[Match::kFieldCount] = {
    "Match clock",        "Time advantage", "Home score", "Guest score", "Home match points",
    "Guest match points", "Match number",   "Period",     "Weight",
};

} // namespace

ConsoleStrip::ConsoleStrip(const Match &match, const KeyConsole &console, QWidget *parent)
    : QWidget(parent), m_match(match), m_console(console), m_label(new QLabel(this)) {
    setObjectName(QStringLiteral("consoleStrip"));
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    // Its own line's height: the board above takes the rest of the window.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_label->setObjectName(QStringLiteral("lblConsole"));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setFocusPolicy(Qt::NoFocus);
    // A long line is cut at the window's edge; it never widens the board.
    m_label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // The program's fonts are sized in pixels.
    QFont font = m_label->font();
    font.setPixelSize(qRound(QFontInfo(font).pixelSize() * 1.25));
    m_label->setFont(font);
    auto layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(m_label);
    m_noteTimer.setSingleShot(true);
    connect(&m_noteTimer, &QTimer::timeout, this, [this] {
        m_note.clear();
        refresh();
    });
    refresh();
}

void ConsoleStrip::setSelected(int field) {
    m_selected = field;
    refresh();
}

void ConsoleStrip::setCapsLock(bool on) {
    m_capsLock = on;
    refresh();
}

void ConsoleStrip::setSaveProblem(bool failing) {
    m_saveProblem = failing;
    refresh();
}

void ConsoleStrip::setFeedState(const QString &text) {
    m_feed = text;
    refresh();
}

void ConsoleStrip::showRefused() {
    showNote(QStringLiteral("Refused"), 1500);
}

void ConsoleStrip::showHistory(const QString &text) {
    showNote(text, 10000);
}

void ConsoleStrip::showNote(const QString &text, int ms) {
    m_note = text;
    m_noteTimer.start(ms);
    refresh();
}

void ConsoleStrip::keyTyped() {
    if (m_note.isEmpty())
        return;
    m_note.clear();
    m_noteTimer.stop();
    refresh();
}

QString ConsoleStrip::Text() const {
    QStringList parts;
    QString typed;
    if (m_selected == Match::pledClock)
        typed = m_console.ClockTyped();
    else if (m_selected >= 0 && Match::IsNumberField(Match::Field(m_selected)) &&
             m_console.DigitTypedField() == Match::FieldName(Match::Field(m_selected)))
        typed = m_console.DigitTyped();
    parts << (m_selected >= 0 ? QLatin1String(kFieldTitles[m_selected]) : QStringLiteral("-"));
    parts << QStringLiteral("Typed: %1").arg(typed);
    if (!m_note.isEmpty())
        parts << m_note;
    const auto team = [](int side) {
        return side == 1 ? modGlobals::HomeText : modGlobals::GuestText;
    };
    // The bout's wrestlers: "120: Peña (Tigers) v Okafor (Bears)".
    if (const QString home = m_match.Wrestler(1), guest = m_match.Wrestler(2);
        !home.isEmpty() || !guest.isEmpty()) {
        const auto named = [&team](const QString &name, int side) {
            return (name.isEmpty() ? QStringLiteral("-") : name) + QStringLiteral(" (") +
                   team(side) + QLatin1Char(')');
        };
        parts << QStringLiteral("%1: %2 v %3")
                     .arg(m_match.ShownText(Match::pledWeight), named(home, 1), named(guest, 2));
    }
    // The last move, as the scorer writes it: "T3 Tigers 1:42".
    if (const QList<ScoredMove> moves = m_match.BoutMoves(); !moves.isEmpty()) {
        const ScoredMove &last = moves.back();
        QString move = QStringLiteral("%1 %2 %3")
                           .arg(last.mark(), team(last.side),
                                Match::TimeText(fromTenths(last.clockTenths), true).trimmed());
        if (last.disqualifies)
            move += QStringLiteral(": Bout Result proposes disqualification");
        parts << move;
    }
    // The board ends nothing by itself: it tells the operator the margin is reached.
    const RuleBook::Rules &rules = RuleBook::Of(m_match.Rules());
    const int lead = std::max(m_match.Value(Match::pledHomeMatch), 0) -
                     std::max(m_match.Value(Match::pledGuestMatch), 0);
    if (std::abs(lead) >= rules.technicalMargin)
        parts << QStringLiteral("%1 leads by %2: %3")
                     .arg(team(lead > 0 ? 1 : 2))
                     .arg(std::abs(lead))
                     .arg(RuleBook::ResultName(rules.technical));
    // A binding that is a lower-case letter does not answer with Caps Lock on.
    const bool lowerBinding = [] {
        for (int key : {modGlobals::StartStopClockKey, modGlobals::ResetClockKey,
                        modGlobals::ClearKey, modGlobals::BuzzerKey}) {
            if (QChar(char16_t(key)).isLower())
                return true;
        }
        for (int command = 0; command < modGlobals::kMeetCommandCount; ++command) {
            if (QChar(char16_t(modGlobals::MeetKey(command))).isLower())
                return true;
        }
        return false;
    }();
    if (m_capsLock && lowerBinding)
        parts << QStringLiteral("Caps Lock");
    // An activity period, a started second counting whole: "Activity Bears 0:21".
    if (const Match::Cover cover = m_match.Covering(); cover.kind == RuleBook::kActivity)
        parts << RuleBook::StoppageName(cover.kind) + QLatin1Char(' ') + team(cover.side) +
                     QLatin1Char(' ') +
                     BoutSheet::FallTime(qint32((cover.shown + kTimeUnit - 1) / kTimeUnit));
    // What is left of each wrestler's stoppage allowances: the crowd's display shows only
    // the clock that runs.
    for (int side : {1, 2}) {
        QStringList left;
        for (int kind = 0; kind < RuleBook::kStoppageCount; ++kind) {
            const TimeValue value = m_match.StoppageLeft(side, kind);
            if (value >= 0)
                left << RuleBook::StoppageName(kind) + QLatin1Char(' ') +
                            Match::TimeText(value, true);
        }
        parts << team(side) + QStringLiteral(": ") + left.join(QStringLiteral(", "));
    }
    if (const RuleBook::RoundKind round = m_match.Round().kind;
        round != RuleBook::RoundKind::Period)
        parts << RuleBook::RoundName(round);
    parts << (m_match.ClockRunning(0) ? QStringLiteral("Clock running")
                                      : QStringLiteral("Clock stopped"));
    if (m_saveProblem)
        parts << QStringLiteral("Not saved");
    if (!m_feed.isEmpty())
        parts << m_feed;
    return parts.join(QStringLiteral("  |  "));
}

void ConsoleStrip::refresh() {
    const QString text = Text();
    if (m_label->text() != text)
        m_label->setText(text);
}
