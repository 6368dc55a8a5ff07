#include "clock/Match.h"

#include "clock/Lineup.h"
#include "clock/TimeSource.h"
#include "clock/modCount.h"

#include <QDateTime>
#include <QTimer>
#include <algorithm>

namespace {

// Whole seconds as the clock shows them: a started second counts whole.
qint32 seconds(TimeValue value) {
    return qint32((value + kTimeUnit - 1) / kTimeUnit);
}

} // namespace

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
    if ((field == pledClock || field == pledTimeAd) && m_fields.Show(field, value))
        emit FieldChanged(field);
}

QString Match::TimeText(TimeValue value, bool matchClock) {
    return modCount::TimeText(value, matchClock);
}

void Match::SetTeamNames(const QString &home, const QString &guest) {
    m_homeName = home;
    m_guestName = guest;
}

MatchOutcome Match::apply(const MatchCommand &command) {
    using enum MatchCommand::Kind;
    using History = MatchOutcome::Step;
    MatchOutcome outcome;
    // One command at a time: one given while another is applied (by a slot of what it
    // announced) would tear that one's edit in two.
    if (m_applying) {
        outcome.refused = QStringLiteral("another command is being applied");
        return outcome;
    }
    m_refused.clear();
    m_lastEdit = {};
    m_applying = true;
    const QList<MatchEdit> &history = command.kind == Undo ? m_undoable : m_redoable;
    if ((command.kind == Undo || command.kind == Redo) && !command.device.isEmpty() &&
        (history.isEmpty() || history.last().device != command.device)) {
        // A device takes back only its own newest action, never the table's.
        m_refused = command.kind == Undo ? QStringLiteral("the newest action is not this device's")
                                         : QStringLiteral("the next redo is not this device's");
    } else if (command.kind == Undo || command.kind == Redo) {
        stepHistory(command.kind == Undo);
        if (m_refused.isEmpty())
            outcome.step = command.kind == Undo ? History::Undo : History::Redo;
    } else {
        // What the command changes goes on the undo history as one action.
        readUpToNow();
        const MatchSnapshot before = Snapshot();
        m_actionStops = false;
        carryOut(command);
        MatchEdit edit = MatchEdit::Between(before, Snapshot());
        if (!edit.isEmpty()) {
            edit.resumes = m_actionStops;
            edit.author = command.author;
            edit.device = command.device;
            m_lastEdit = edit;
            MatchEdit::Push(m_undoable, edit);
            m_redoable.clear();
            outcome.step = History::Action;
        }
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
        if (!StoppageRunning() || c.stoppage != StoppageKind())
            return refuse(QStringLiteral("no such stoppage clock runs"));
        stopStoppage();
        break;
    case NextPeriod:
        nextPeriod();
        break;
    case Names:
        if (const std::optional<QMap<quint16, QString>> texts =
                Lineup::Named(m_texts, c.names, &m_refused)) {
            m_texts = *texts;
            emit TextsChanged();
        }
        break;
    case Score:
        if (c.move < 0 || c.move >= RuleBook::kMoveCount || !c.side)
            return refuse(QStringLiteral("no such move"));
        scoreMove(RuleBook::Move(c.move), side(), c.value);
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
        if (qint32 &length = m_roundSeconds[BoutScore::RoundIndex(Value(pledPeriod))];
            length == 0 && !m_break)
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
    if (field == pledMatch) {
        ++m_boutSerial;
        NewBout();
    }
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

void Match::startStoppage(int kind, int side) {
    // Refused before anything else: a clock that runs keeps running.
    const TimeValue left = StoppageLeft(side, kind);
    if (left <= 0)
        return refuse(QStringLiteral("the wrestler's allowance is used up"));
    if (StoppageRunning())
        stopStoppage();
    if (m_stoppage.Start(kind, side, left))
        emit FieldChanged(pledTimeAd);
    setTick(true);
    emit StoppageChanged();
}

void Match::stopStoppage() {
    if (m_stoppage.Stop(m_rules))
        emit FieldChanged(pledTimeAd);
    if (!ClockRunning(0))
        setTick(false);
    emit StoppageChanged();
}

void Match::hideStoppage() {
    if (!m_stoppage.Hide())
        return;
    emit StoppageChanged();
    emit FieldChanged(pledTimeAd);
}

void Match::setNumber(Field field, qint32 value) {
    if (m_fields.Set(field, value))
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
    const RuleBook::Rules &rules = RuleBook::Of(m_rules);
    if (!m_break && next == 2 && rules.breakSeconds > 0) {
        setBreak(true);
        SetClock(fromSeconds(rules.breakSeconds), 0, 0);
        LastClockTime = rules.breakSeconds;
        StartClock(0);
        setTick(true);
        hideStoppage();
        UpdateAdStatus();
        return;
    }
    setBreak(false);
    // A clock run out has ended regulation already.
    if (RuleBook::EndsRegulation(m_rules, next - 1) && ClockValue(0) > 0)
        regulationEnds();
    setNumber(pledPeriod, next);
    setPeriodClock(next);
    // Each pair of tiebreakers rides from nothing.
    if (RuleBook::StartsRidingAfresh(m_rules, next)) {
        SetClock(0, 1, 1);
        SetClock(0, 1, 2);
        UpdateAdStatus();
    }
}

void Match::regulationEnds() {
    // The point is an action of its own, once the one that ended regulation is done; the
    // scorebook has it where regulation ended.
    const BoutScore::When end = now();
    QTimer::singleShot(0, this, [this, end] {
        const TimeValue net = ClockValue(1) - ClockValue(2);
        if (std::abs(net) < fromSeconds(RuleBook::kRidingTimeSeconds))
            return;
        m_regulationEnd = end;
        apply(MatchCommand::Scoring(int(RuleBook::Move::RidingTime),
                                    net > 0 ? Side::Home : Side::Guest));
        m_regulationEnd.reset();
    });
}

BoutScore::When Match::now() const {
    // During the break, the period before it has ended.
    return {m_boutSerial, Value(pledPeriod),
            m_break ? 0 : qint32(m_fields.Shown(pledClock) / kTenth)};
}

RuleBook::Round Match::Round() const {
    if (m_break)
        return {RuleBook::RoundKind::Break, RuleBook::Of(m_rules).breakSeconds};
    return RuleBook::RoundOf(m_rules, Value(pledPeriod));
}

void Match::setBreak(bool on) {
    if (m_break == on)
        return;
    m_break = on;
    // The period's caption reads "Break".
    emit FieldChanged(pledPeriod);
}

QString Match::StoppageText() const {
    const Cover cover = Covering();
    return cover.kind < 0 ? QString() : TimeText(cover.shown, true);
}

Match::Cover Match::Covering() const {
    if (StoppageKind() >= 0)
        return {StoppageKind(), StoppageSide(), StoppageShown(), StoppageRunning()};
    if (m_book.Activity().Side() != 0)
        return {RuleBook::kActivity, m_book.Activity().Side(), m_book.Activity().Shown(),
                m_book.Activity().Running()};
    return {};
}

void Match::syncActivity() {
    // One run out stays at zero: its point, once given (or taken back), never comes again.
    m_book.Activity().Run(ClockRunning(0) && !m_break && m_book.Activity().Shown() > 0);
}

void Match::activityRunsOut() {
    m_book.Activity().Run(false);
    const int side = m_book.Activity().Side();
    QTimer::singleShot(0, this, [this, side] {
        // Once: a score or an undo since may have ended it.
        if (m_book.Activity().Side() != side || m_book.Activity().Shown() > 0)
            return;
        apply(MatchCommand::Scoring(int(RuleBook::Move::Activity),
                                    side == 1 ? Side::Home : Side::Guest));
    });
}

void Match::nextBout() {
    const qint32 match = Value(pledMatch);
    if (ClockRunning(0) || StoppageRunning())
        return refuse(QStringLiteral("a clock runs"));
    if (match >= UpperLimit(pledMatch))
        return refuse(QStringLiteral("the last match number"));
    ++m_boutSerial;
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

BoutScore Match::score() const {
    const TimeValue net =
        m_clocks.SetTime(1) + m_clocks.Run(1) - m_clocks.SetTime(2) - m_clocks.Run(2);
    // During the break the period before it has run whole.
    const qint32 set = m_break ? RuleBook::RoundOf(m_rules, Value(pledPeriod)).seconds
                               : seconds(m_clocks.SetTime(0));
    return BoutScore(m_rules, m_fields.AllNumbers(), m_roundSeconds, set,
                     m_break ? 0 : seconds(m_fields.Shown(pledClock)), BoutMoves(), net);
}

qint32 Match::ElapsedSeconds() const {
    return score().ElapsedSeconds();
}

BoutResult Match::ProposedResult(QString *criterion) const {
    return score().Proposed(criterion);
}

void Match::scoreMove(RuleBook::Move move, int side, int digit) {
    QString why;
    bool activityChanged = false;
    const std::optional<ScoredMove> entry = m_book.Enter(
        score(), move, side, digit,
        move == RuleBook::Move::RidingTime && m_regulationEnd ? *m_regulationEnd : now(), &why,
        &activityChanged);
    if (!entry)
        return refuse(why);
    const Field points = entry->scorer() == 1 ? pledHomeMatch : pledGuestMatch;
    setNumber(points,
              std::min<qint32>(std::max(Value(points), 0) + entry->points, UpperLimit(points)));
    emit MovesChanged();
    if (activityChanged) {
        syncActivity();
        emit StoppageChanged();
        emit FieldChanged(pledTimeAd);
    }
    // Riding time follows control where the rule set times it.
    if (RuleBook::Of(m_rules).scoring.ridingTime &&
        (move == RuleBook::Move::Takedown || move == RuleBook::Move::Reversal ||
         move == RuleBook::Move::Escape)) {
        readHolders();
        TimeAd = move == RuleBook::Move::Escape
                     ? std::nullopt
                     : std::optional(side == 1 ? Side::Home : Side::Guest);
        UpdateAdStatus();
    }
}

void Match::recordResult(const BoutResult &result) {
    QString why;
    const std::optional<BoutResult> r = score().Recorded(result, m_homeName, m_guestName, &why);
    if (!r)
        return refuse(why);
    // The bout keeps the names it had, whatever the lineup becomes.
    if (const quint16 id = Lineup::BoutTextId(m_bouts.size(), 1)) {
        Lineup::Apply(m_texts, {{id, Wrestler(1)}, {quint16(id + 1), Wrestler(2)}});
        emit TextsChanged();
    }
    m_bouts.append(*r);
    m_bouts.back().serial = m_boutSerial;
    setNumber(pledHomeScore, r->homeScore);
    setNumber(pledGuestScore, r->guestScore);
    emit BoutsChanged();
}

void Match::NewBout() {
    m_stoppage.Clear();
    m_book.Activity().End();
    setBreak(false);
    m_rules = m_nextRules;
    m_roundSeconds = {};
    if (!ClockRunning(0))
        setTick(false);
    // Hidden or not, the allowances changed.
    emit StoppageChanged();
    emit FieldChanged(pledTimeAd);
}

void Match::UpdateAdStatus() {
    syncActivity();
    if (!ClockRunning(0)) {
        StopClock(1);
        StopClock(2);
    } else if (!TimeAd || m_break || !RuleBook::RidingRuns(m_rules, Value(pledPeriod))) {
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
    // Read while the match clock still runs: it counts no further than that clock's zero.
    if (m_book.Activity().Running()) {
        const TimeValue left = ClockValue(kActivitySlot);
        if (m_book.Activity().Show(left))
            emit FieldChanged(pledTimeAd);
        if (left <= 0)
            activityRunsOut();
    }
    if (match <= 0) {
        if (m_tickEnabled && ClockRunning(0)) {
            emit BuzzerRequested();
            if (RuleBook::EndsRegulation(m_rules, Value(pledPeriod)))
                regulationEnds();
            // The break's zero brings the next period's clock, as a command of its own.
            if (m_break)
                QTimer::singleShot(0, this, [this] {
                    if (m_break && !ClockRunning(0) && ClockValue(0) <= 0)
                        apply(MatchCommand::Of(MatchCommand::Kind::NextPeriod));
                });
        }
        StopClock(0);
    }
    if (StoppageRunning()) {
        const TimeValue left = ClockValue(kStoppageSlot);
        if (m_stoppage.Show(left))
            emit FieldChanged(pledTimeAd);
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
        m_book.Activity().Run(false);
    }
}

qint64 Match::NextRefreshMs() const {
    // Every reading moves on the source's whole tenths (runs are measured tenth to tenth),
    // so a shown digit changes at one of those instants after the last refresh.
    using modCount::TenthsToChange;
    qint64 tenths = TenthsToChange(m_fields.Shown(pledClock), -kTenth, true);
    if (ShownAdSide >= 1 && ShownAdSide <= 2 && ClockRunning(ShownAdSide))
        tenths = qMin(tenths, TenthsToChange(m_fields.Shown(pledTimeAd), kTenth, false));
    if (StoppageRunning())
        tenths = qMin(tenths, TenthsToChange(StoppageShown(), -kTenth, true));
    if (m_book.Activity().Running())
        tenths = qMin(tenths, TenthsToChange(m_book.Activity().Shown(), -kTenth, true));
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
    snap.fields = m_fields.AllNumbers();
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
    m_stoppage.Save(snap);
    m_book.Activity().Save(snap);
    snap.onBreak = m_break;
    snap.roundSeconds = m_roundSeconds;
    snap.bouts = m_bouts;
    snap.undoable = m_undoable;
    snap.redoable = m_redoable;
    snap.texts = m_texts;
    snap.boutSerial = m_boutSerial;
    snap.moves = m_book.All();
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
    emit TextsChanged();
    m_book.Replace(snapshot.moves);
    emit MovesChanged();
    // Shows both times and lights the holder's lamp; with the clock stopped nothing runs.
    applyEdit(whole, false);
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
    if (m_clocks.OutBy(0, now) || m_clocks.OutBy(kStoppageSlot, now) ||
        m_clocks.OutBy(kActivitySlot, now))
        UpdateClocks();
    readHolders();
}

void Match::stepHistory(bool undo) {
    QList<MatchEdit> &from = undo ? m_undoable : m_redoable;
    if (from.isEmpty())
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
    if (e.has(kBoutSerial))
        m_boutSerial = qint32(to(kBoutSerial));
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
        std::array<TimeValue, 2 * RuleBook::kStoppageCount> used;
        for (size_t i = 0; i < used.size(); ++i)
            used[i] = to(kStoppageUsed + int(i));
        m_stoppage.Restore(used, to(kStoppageKind), to(kStoppageSide), to(kStoppageSet),
                           to(kStoppageRun), to(kStoppageRunning));
        emit StoppageChanged();
        emit FieldChanged(pledTimeAd);
    }
    if (e.has(kActivitySide)) {
        m_book.Activity().Restore(to(kActivitySide), to(kActivitySet), to(kActivityRun));
        emit StoppageChanged();
        emit FieldChanged(pledTimeAd);
    }
    if (e.has(kBreak))
        setBreak(to(kBreak));
    if (!e.textsAfter.isEmpty()) {
        Lineup::Apply(m_texts, undone ? e.textsBefore : e.textsAfter);
        emit TextsChanged();
    }
    if (e.move) {
        m_book.Step(*e.move, undone);
        emit MovesChanged();
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
