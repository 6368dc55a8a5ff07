#include "clock/Match.h"

#include "clock/TimeSource.h"
#include "clock/modCount.h"

#include <QDateTime>
#include <algorithm>

namespace {

struct FieldInfo {
    const char *name;
    int digits;
    qint16 high;
};

// Upper limits of typed entry; every number field's lower limit is the blank value -1.
constexpr FieldInfo kFields[Match::kFieldCount] = {
    {"pledClock", 4, 0},        {"pledTimeAd", 4, 0},     {"pledHomeScore", 3, 199},
    {"pledGuestScore", 3, 199}, {"pledHomeMatch", 2, 19}, {"pledGuestMatch", 2, 19},
    {"pledMatch", 3, 999},      {"pledPeriod", 1, 9},     {"pledWeight", 3, 999},
};

// Whole seconds as the clock shows them: a started second counts whole.
qint32 seconds(TimeValue value) {
    return qint32((value + kTimeUnit - 1) / kTimeUnit);
}

// A period's place in Match::m_roundSeconds; a blank period is 0.
size_t roundIndex(qint32 period) {
    return size_t(std::clamp(period, 0, 9));
}

} // namespace

QString Match::FieldName(Field field) {
    return QLatin1String(kFields[field].name);
}

int Match::FieldFromName(const QString &name) {
    for (int i = 0; i < kFieldCount; ++i) {
        if (name == QLatin1String(kFields[i].name))
            return i;
    }
    return -1;
}

int Match::DigitCount(Field field) {
    return kFields[field].digits;
}

qint16 Match::UpperLimit(Field field) {
    return kFields[field].high;
}

Match::Match(QObject *parent) : QObject(parent) {}

void Match::SetClock(TimeValue value, qint32 up, qint16 slot) {
    m_clocks.Set(slot, value, up != 0);
}

void Match::StartClock(qint16 slot) {
    m_clocks.Start(slot);
    if (slot == 0)
        m_clockHasRun = true;
}

void Match::StopClock(qint16 slot) {
    m_clocks.Stop(slot);
}

TimeValue Match::ClockValue(qint16 slot) {
    return m_clocks.Value(slot);
}

void Match::ShowTime(TimeValue value, Field field) {
    if (field != pledClock && field != pledTimeAd)
        return;
    TimeValue &shown = field == pledClock ? m_shownClock : m_shownTimeAd;
    // A refresh that reads the same time tells nobody.
    if (shown == value)
        return;
    shown = value;
    emit FieldChanged(field);
}

qint32 Match::Value(Field field) const {
    return IsNumberField(field) ? m_numbers[field - pledHomeScore] : -1;
}

TimeValue Match::Shown(Field field) const {
    return field == pledClock ? m_shownClock : field == pledTimeAd ? m_shownTimeAd : 0;
}

QString Match::ShownText(Field field) const {
    if (IsNumberField(field)) {
        const qint32 v = Value(field);
        return v < 0 ? QString() : QString::number(v);
    }
    return TimeText(Shown(field), field == pledClock);
}

QString Match::TimeText(TimeValue value, bool matchClock) {
    return modCount::TimeText(value, matchClock);
}

void Match::SetTeamNames(const QString &home, const QString &guest) {
    m_homeName = home;
    m_guestName = guest;
}

MatchOutcome Match::apply(const MatchCommand &command) {
    m_refused.clear();
    m_lastEdit = {};
    using enum MatchCommand::Kind;
    using History = MatchOutcome::Step;
    MatchOutcome outcome;
    m_applying = true;
    if (command.kind == Undo || command.kind == Redo) {
        stepHistory(command.kind == Undo);
        if (m_refused.isEmpty())
            outcome.step = command.kind == Undo ? History::Undo : History::Redo;
    } else {
        {
            const Action action(*this);
            carryOut(command);
        }
        if (!m_lastEdit.isEmpty())
            outcome.step = History::Action;
    }
    outcome.refused = m_refused;
    outcome.edit = m_lastEdit;
    m_applying = false;
    emit Applied(outcome);
    return outcome;
}

void Match::refuse(const QString &why) {
    m_refused = why;
}

void Match::carryOut(const MatchCommand &c) {
    using enum MatchCommand::Kind;
    const bool numberField = c.field >= pledHomeScore && c.field < kFieldCount;
    const auto side = [&c] { return c.side == Side::Guest ? 2 : 1; };
    switch (c.kind) {
    case StartStop:
        // Undone, a stop by its own command lets the clock run on; a reset's stop never.
        m_actionStops = ClockRunning(0);
        startStop();
        break;
    case Reset:
        resetClocks();
        break;
    case SetTime:
        if (c.value < 0 || c.value > kLargestTime)
            return refuse(QStringLiteral("no such time"));
        setTime(c.value);
        break;
    case SetNumber:
    case Step:
    case Clear: {
        if (!numberField)
            return refuse(QStringLiteral("no such field"));
        const Field field = Field(c.field);
        const qint32 value = c.kind == Clear  ? -1
                             : c.kind == Step ? std::max(Value(field), 0) + c.value
                                              : c.value;
        if (value < -1 || value > UpperLimit(field))
            return refuse(QStringLiteral("out of the field's range"));
        enterNumber(field, value);
        break;
    }
    case Advantage:
        readHolders();
        TimeAd = c.side;
        UpdateAdStatus();
        break;
    case StartStoppage:
        if (c.stoppage < 0 || c.stoppage >= RuleBook::kStoppageCount || !c.side ||
            !StoppageMayStart(c.stoppage))
            return refuse(QStringLiteral("no stoppage clock of that kind now"));
        startStoppage(c.stoppage, side());
        break;
    case StopStoppage:
        if (!StoppageRunning() || c.stoppage != m_stoppageKind)
            return refuse(QStringLiteral("no such stoppage clock runs"));
        stopStoppage();
        break;
    case NextPeriod:
        nextPeriod();
        break;
    case NextBout:
        nextBout();
        break;
    case Result:
        recordResult(c.result);
        break;
    case Undo:
    case Redo:
        break;
    }
}

void Match::startStop() {
    if (ClockRunning(0)) {
        StopClock(0);
    } else {
        if (StoppageRunning())
            stopStoppage();
        // A time typed once the round has run corrects the reading, not its length.
        if (qint32 &length = m_roundSeconds[roundIndex(Value(pledPeriod))]; length == 0)
            length = seconds(m_clocks.SetTime(0));
        StartClock(0);
        setTick(true);
        hideStoppage();
    }
    UpdateAdStatus();
}

void Match::setTime(qint32 seconds) {
    SetClock(fromSeconds(seconds), 0, 0);
    LastClockTime = seconds;
    ShowTime(ClockValue(0), pledClock);
    // A time set on a running clock stops it: the holder stops at that moment too.
    if (m_tickEnabled)
        UpdateClocks();
}

void Match::enterNumber(Field field, qint32 value) {
    if (Value(field) == value)
        return;
    setNumber(field, value);
    // Another bout: its wrestlers' allowances are full.
    if (field == pledMatch)
        NewBout();
}

void Match::resetClocks() {
    if (ClockRunning(0))
        startStop();
    SetClock(fromSeconds(LastClockTime), 0, 0);
    ShowTime(ClockValue(0), pledClock);
    SetClock(0, 1, 1);
    ShowTime(ClockValue(1), pledTimeAd);
    SetClock(0, 1, 2);
    ShowTime(ClockValue(2), pledTimeAd);
}

void Match::Load() {
    LastClockTime = kFreshClockSeconds;
    SetClock(fromSeconds(kFreshClockSeconds), 0, 0);
    ShowTime(ClockValue(0), pledClock);
    SetClock(0, 1, 1);
    SetClock(0, 1, 2);
    TimeAd.reset();
    NewBout();
    UpdateAdStatus();
}

bool Match::StoppageMayStart(int kind) const {
    return !ClockRunning(0) && RuleBook::Of(m_rules).stoppage[kind].seconds > 0;
}

void Match::startStoppage(int kind, int side) {
    // Refused before anything else: a clock that runs keeps running.
    const TimeValue left = StoppageLeft(side, kind);
    if (left <= 0)
        return refuse(QStringLiteral("the wrestler's allowance is used up"));
    if (StoppageRunning())
        stopStoppage();
    m_stoppageKind = kind;
    m_stoppageSide = side;
    SetClock(left, 0, kStoppageSlot);
    StartClock(kStoppageSlot);
    showStoppage(ClockValue(kStoppageSlot));
    setTick(true);
    emit StoppageChanged();
}

void Match::stopStoppage() {
    const TimeValue left = ClockValue(kStoppageSlot);
    StopClock(kStoppageSlot);
    const RuleBook::Allowance allowance = RuleBook::Of(m_rules).stoppage[m_stoppageKind];
    // A clock an undo brought back may have started under a longer allowance.
    const TimeValue full = fromSeconds(allowance.seconds);
    if (!allowance.eachOccurrence)
        m_stoppageUsed[m_stoppageSide - 1][m_stoppageKind] =
            std::clamp(full - left, TimeValue(0), full);
    showStoppage(left);
    if (!ClockRunning(0))
        setTick(false);
    emit StoppageChanged();
}

void Match::hideStoppage() {
    if (m_stoppageKind < 0)
        return;
    m_stoppageKind = -1;
    m_stoppageSide = 0;
    emit StoppageChanged();
    emit FieldChanged(pledTimeAd);
}

void Match::showStoppage(TimeValue value) {
    if (m_shownStoppage == value)
        return;
    m_shownStoppage = value;
    emit FieldChanged(pledTimeAd);
}

TimeValue Match::StoppageLeft(int side, int kind) const {
    const RuleBook::Allowance allowance = RuleBook::Of(m_rules).stoppage[kind];
    if (allowance.seconds == 0)
        return -1;
    if (StoppageRunning() && kind == m_stoppageKind && side == m_stoppageSide)
        return m_shownStoppage;
    const TimeValue full = fromSeconds(allowance.seconds);
    if (allowance.eachOccurrence)
        return full;
    return std::max<TimeValue>(full - m_stoppageUsed[side - 1][kind], 0);
}

void Match::setNumber(Field field, qint32 value) {
    qint32 &number = m_numbers[field - pledHomeScore];
    if (number == value)
        return;
    number = value;
    emit FieldChanged(field);
}

void Match::setPeriodClock(int period) {
    const qint32 seconds = RuleBook::RoundOf(m_rules, period).seconds;
    SetClock(fromSeconds(seconds), 0, 0);
    LastClockTime = seconds;
    ShowTime(ClockValue(0), pledClock);
}

void Match::nextPeriod() {
    const qint32 next = std::max(Value(pledPeriod), 0) + 1;
    if (ClockRunning(0) || StoppageRunning())
        return refuse(QStringLiteral("a clock runs"));
    if (next > qint32(RuleBook::Of(m_rules).rounds.size()))
        return refuse(QStringLiteral("past the rule set's last round"));
    setNumber(pledPeriod, next);
    setPeriodClock(next);
}

void Match::nextBout() {
    const qint32 match = Value(pledMatch);
    if (ClockRunning(0) || StoppageRunning())
        return refuse(QStringLiteral("a clock runs"));
    if (match >= UpperLimit(pledMatch))
        return refuse(QStringLiteral("the last match number"));
    NewBout();
    setNumber(pledMatch, std::max(match, 0) + 1);
    setNumber(pledWeight, RuleBook::NextWeight(m_rules, Value(pledWeight)));
    setNumber(pledHomeMatch, 0);
    setNumber(pledGuestMatch, 0);
    setNumber(pledPeriod, 1);
    setPeriodClock(1);
    SetClock(0, 1, 1);
    SetClock(0, 1, 2);
    TimeAd.reset();
    UpdateAdStatus();
}

qint32 Match::ElapsedSeconds() const {
    const qint32 period = Value(pledPeriod);
    const auto kept = [this](qint32 p) { return m_roundSeconds[roundIndex(p)]; };
    qint32 earlier = 0;
    for (qint32 p = 1; p < period; ++p)
        earlier += kept(p) > 0 ? kept(p) : RuleBook::RoundOf(m_rules, p).seconds;
    // Not yet run, the round is as long as the clock is set.
    const qint32 length = kept(period) > 0 ? kept(period) : seconds(m_clocks.SetTime(0));
    return earlier + std::max(length - seconds(m_shownClock), 0);
}

BoutResult Match::ProposedResult() const {
    BoutResult r;
    const qint32 home = std::max(Value(pledHomeMatch), 0);
    const qint32 guest = std::max(Value(pledGuestMatch), 0);
    r.winner = guest > home ? 2 : 1;
    r.result = qint32(RuleBook::ProposedResult(m_rules, std::abs(home - guest)));
    r.fallSeconds = ElapsedSeconds();
    return r;
}

void Match::recordResult(BoutResult r) {
    const auto score = [this](int side) {
        return std::max(Value(side == 1 ? pledHomeScore : pledGuestScore), 0);
    };
    if (r.deductionSide != 1 && r.deductionSide != 2)
        r.deduction = 0;
    if (r.winner != 1 && r.winner != 2) {
        r.winner = 0;
        r.result = qint32(RuleBook::Result::DoubleForfeit);
    }
    if (r.result != qint32(RuleBook::Result::Fall))
        r.fallSeconds = -1;
    r.teamPoints = r.winner ? RuleBook::TeamPoints(m_rules, RuleBook::Result(r.result)) : 0;
    const qint32 high = UpperLimit(pledHomeScore);
    qint32 scores[3] = {0, score(1), score(2)};
    if (r.winner)
        scores[r.winner] = std::min(scores[r.winner] + r.teamPoints, high);
    // The winner's own team may lose a point it has just won.
    if (r.deduction > scores[r.deductionSide])
        // One arg() for all: a team name may hold "%2".
        return refuse(QStringLiteral("A deduction of %1 is larger than %2's score of %3.")
                          .arg(r.deduction == 1 ? QStringLiteral("1 team point")
                                                : QStringLiteral("%1 team points").arg(r.deduction),
                               TeamName(r.deductionSide),
                               QString::number(scores[r.deductionSide])));
    if (r.deduction > 0)
        scores[r.deductionSide] -= r.deduction;
    // A field never typed reads 0: no match or weight of that number exists.
    r.match = Value(pledMatch) > 0 ? Value(pledMatch) : -1;
    r.weight = Value(pledWeight) > 0 ? Value(pledWeight) : -1;
    r.homePoints = Value(pledHomeMatch);
    r.guestPoints = Value(pledGuestMatch);
    r.homeScore = scores[1];
    r.guestScore = scores[2];
    r.atMs = QDateTime::currentMSecsSinceEpoch();
    m_bouts.append(r);
    setNumber(pledHomeScore, scores[1]);
    setNumber(pledGuestScore, scores[2]);
    emit BoutsChanged();
}

QString Match::StoppageText() const {
    return m_stoppageKind < 0 ? QString() : TimeText(m_shownStoppage, true);
}

void Match::NewBout() {
    StopClock(kStoppageSlot);
    m_rules = m_nextRules;
    m_stoppageUsed = {};
    m_roundSeconds = {};
    if (!ClockRunning(0))
        setTick(false);
    // Hidden or not, the allowances changed.
    m_stoppageKind = -1;
    m_stoppageSide = 0;
    emit StoppageChanged();
    emit FieldChanged(pledTimeAd);
}

void Match::UpdateAdStatus() {
    if (!ClockRunning(0)) {
        StopClock(1);
        StopClock(2);
    } else if (!TimeAd) {
        StopClock(1);
        StopClock(2);
    } else if (TimeAd == Side::Home) {
        StartClock(1);
        StopClock(2);
    } else {
        StopClock(1);
        StartClock(2);
    }
    UpdateClocks();
    emit AdChanged();
}

void Match::UpdateClocks() {
    if (ShownAdSide == 0)
        ShownAdSide = 1;
    if (TimeAd)
        ShownAdSide = TimeAd == Side::Home ? 1 : 2;
    m_lastRefreshMs = TimeSource::nowMs();
    const TimeValue match = ClockValue(0);
    ShowTime(match, pledClock);
    ShowTime(ClockValue(ShownAdSide), pledTimeAd);
    if (match <= 0) {
        if (m_tickEnabled && ClockRunning(0))
            emit BuzzerRequested();
        StopClock(0);
    }
    if (StoppageRunning()) {
        const TimeValue left = ClockValue(kStoppageSlot);
        showStoppage(left);
        // Out: it stops at zero and the buzzer sounds once.
        if (left <= 0) {
            emit BuzzerRequested();
            stopStoppage();
        }
    }
    if (!ClockRunning(0)) {
        if (!StoppageRunning())
            setTick(false);
        // The holder keeps exactly what this refresh read, however long the clock stays stopped.
        StopClock(1);
        StopClock(2);
    }
}

namespace {

// Tenths until a time field showing `value` and moving by `step` shows other digits: one
// below a minute, up to ten above it. Zero counts as a change, since it stops the clock.
qint64 tenthsToChange(TimeValue value, TimeValue step, bool matchClock) {
    const modCount::TimePicture now = modCount::TimeDigits(value, matchClock);
    for (qint64 k = 1; k < 10; ++k) {
        const TimeValue next = value + step * k;
        if (next <= 0 || modCount::TimeDigits(next, matchClock).digits != now.digits)
            return k;
    }
    return 10;
}

} // namespace

qint64 Match::NextRefreshMs() const {
    // Every reading moves on the source's whole tenths (runs are measured tenth to tenth),
    // so a shown digit changes at one of those instants after the last refresh.
    qint64 tenths = tenthsToChange(m_shownClock, -kTenth, true);
    if (ShownAdSide >= 1 && ShownAdSide <= 2 && ClockRunning(ShownAdSide))
        tenths = qMin(tenths, tenthsToChange(m_shownTimeAd, kTenth, false));
    if (StoppageRunning())
        tenths = qMin(tenths, tenthsToChange(m_shownStoppage, -kTenth, true));
    return (floorTenth(m_lastRefreshMs) + tenths) * 100;
}

void Match::setTick(bool on) {
    if (m_tickEnabled == on)
        return;
    m_tickEnabled = on;
    emit TickChanged(on);
}

MatchSnapshot Match::Snapshot() const {
    // The stored runs, not a fresh reading: the snapshot is what the last refresh showed.
    const auto total = [this](int slot) { return m_clocks.Run(slot); };
    MatchSnapshot snap;
    std::copy(m_numbers.begin(), m_numbers.end(), snap.fields.begin());
    snap.clockSet = m_clocks.SetTime(0);
    // A clock run out keeps its last reading past zero; zero is where it stands.
    snap.clockRun = std::min(total(0), snap.clockSet);
    snap.clockRunning = ClockRunning(0);
    snap.clockHasRun = m_clockHasRun;
    snap.homeAd = m_clocks.SetTime(1) + total(1);
    snap.guestAd = m_clocks.SetTime(2) + total(2);
    snap.timeAd = TimeAd;
    snap.lastClockTime = LastClockTime;
    snap.shownAdSide = ShownAdSide;
    snap.ruleSet = qint32(m_rules);
    for (int side = 0; side < 2; ++side)
        std::copy(m_stoppageUsed[side].begin(), m_stoppageUsed[side].end(),
                  snap.stoppageUsed.begin() + side * RuleBook::kStoppageCount);
    snap.stoppageKind = m_stoppageKind;
    snap.stoppageSide = m_stoppageSide;
    snap.stoppageRunning = StoppageRunning();
    snap.stoppageSet = m_stoppageKind < 0 ? 0 : m_clocks.SetTime(kStoppageSlot);
    snap.stoppageRun = m_stoppageKind < 0 ? 0 : std::min(total(kStoppageSlot), snap.stoppageSet);
    snap.roundSeconds = m_roundSeconds;
    snap.bouts = m_bouts;
    snap.undoable = m_undoable;
    snap.redoable = m_redoable;
    snap.texts = m_texts;
    return snap;
}

void Match::Restore(const MatchSnapshot &snapshot) {
    for (qint16 slot = 0; slot < kSlotCount; ++slot)
        StopClock(slot);
    setTick(false);

    const MatchSnapshot s = snapshot.Resumed();
    MatchEdit whole;
    for (int id = 0; id < MatchMembers::kCount; ++id) {
        whole.members |= quint64(1) << id;
        whole.after[size_t(id)] = MatchMembers::get(s, id);
    }
    m_rules = RuleBook::Set(s.ruleSet);
    m_bouts = snapshot.bouts;
    emit BoutsChanged();
    m_undoable = snapshot.undoable;
    m_redoable = snapshot.redoable;
    m_texts = snapshot.texts;
    // Shows both times and lights the holder's lamp; with the clock stopped nothing runs.
    applyEdit(whole, false);
}

Match::Action::Action(Match &match) : m_match(match) {
    if (m_match.m_actionDepth++ == 0) {
        m_match.readUpToNow();
        m_match.m_actionBefore = m_match.Snapshot();
        m_match.m_actionStops = false;
    }
}

Match::Action::~Action() {
    if (--m_match.m_actionDepth > 0)
        return;
    MatchEdit edit = MatchEdit::Between(m_match.m_actionBefore, m_match.Snapshot());
    if (edit.isEmpty())
        return;
    edit.resumes = m_match.m_actionStops;
    m_match.m_lastEdit = edit;
    MatchEdit::Push(m_match.m_undoable, edit);
    m_match.m_redoable.clear();
}

// Refreshes come only when a digit changes, up to a second apart: a holder's time counts up
// to the key, not up to the last refresh.
void Match::readHolders() {
    if (!ClockRunning(0))
        return;
    for (qint16 slot : {qint16(1), qint16(2)}) {
        if (ClockRunning(slot))
            ClockValue(slot);
    }
}

// A clock that has reached zero since the last refresh stops there before a key's action,
// not as part of it; a holder's time counts up to the key.
void Match::readUpToNow() {
    const qint64 now = TimeSource::nowMs();
    if (m_clocks.OutBy(0, now) || m_clocks.OutBy(kStoppageSlot, now))
        UpdateClocks();
    readHolders();
}

void Match::stepHistory(bool undo) {
    QList<MatchEdit> &from = undo ? m_undoable : m_redoable;
    if (from.isEmpty() || m_actionDepth > 0)
        return refuse(undo ? QStringLiteral("nothing to undo") : QStringLiteral("nothing to redo"));
    // The running clocks as they stand, to say what the step changed.
    readHolders();
    UpdateClocks();
    const MatchEdit edit = from.takeLast();
    MatchEdit::Push(undo ? m_redoable : m_undoable, edit);
    const QString text = edit.Describe(Snapshot(), undo, m_homeName, m_guestName);
    applyEdit(edit, undo);
    m_lastEdit = edit;
    emit HistoryStepped((undo ? QStringLiteral("Undone: ") : QStringLiteral("Redone: ")) + text);
}

void Match::applyEdit(const MatchEdit &e, bool undone) {
    using namespace MatchMembers;
    const auto to = [&e, undone](int id) { return e.to(id, undone); };
    for (int i = 0; i < kNumberFieldCount; ++i) {
        if (e.has(i))
            setNumber(Field(pledHomeScore + i), qint32(to(i)));
    }
    if (e.has(kTimeAd))
        TimeAd = holderOf(to(kTimeAd));
    if (e.has(kShownAdSide))
        ShownAdSide = qint16(to(kShownAdSide));
    if (e.has(kLastClockTime))
        LastClockTime = qint32(to(kLastClockTime));
    if (e.has(kClockHasRun))
        m_clockHasRun = to(kClockHasRun);
    for (size_t i = 0; i < m_roundSeconds.size(); ++i) {
        if (e.has(kRoundSeconds + int(i)))
            m_roundSeconds[i] = qint32(to(kRoundSeconds + int(i)));
    }
    // Each clock as a whole, at the reading it had, running from now if it ran.
    if (e.has(kClockSet)) {
        SetClock(to(kClockSet), 0, 0);
        m_clocks.SetRun(0, to(kClockRun));
        if (to(kClockRunning))
            StartClock(0);
    }
    for (qint16 slot : {qint16(1), qint16(2)}) {
        const int id = slot == 1 ? kHomeAd : kGuestAd;
        if (e.has(id)) {
            // The holder's runs on from it once the match clock does.
            SetClock(0, 1, slot);
            m_clocks.SetRun(slot, to(id));
        }
    }
    if (e.has(kStoppageKind)) {
        for (int i = 0; i < 2 * RuleBook::kStoppageCount; ++i)
            m_stoppageUsed[size_t(i / RuleBook::kStoppageCount)]
                          [size_t(i % RuleBook::kStoppageCount)] = to(kStoppageUsed + i);
        const qint64 kind = to(kStoppageKind);
        const qint64 side = to(kStoppageSide);
        const bool shown = MatchSnapshot::ShownStoppage(kind, side);
        m_stoppageKind = shown ? qint32(kind) : -1;
        m_stoppageSide = shown ? qint32(side) : 0;
        SetClock(to(kStoppageSet), 0, kStoppageSlot);
        m_clocks.SetRun(kStoppageSlot, to(kStoppageRun));
        if (to(kStoppageRunning) && m_stoppageKind >= 0)
            StartClock(kStoppageSlot);
        m_shownStoppage = ClockValue(kStoppageSlot);
        emit StoppageChanged();
        emit FieldChanged(pledTimeAd);
    }
    if (e.bout) {
        if (undone && !m_bouts.isEmpty())
            m_bouts.removeLast();
        else
            m_bouts.append(*e.bout);
        emit BoutsChanged();
    }
    if (ClockRunning(0) || StoppageRunning())
        setTick(true);
    UpdateAdStatus();
}
