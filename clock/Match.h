#pragma once

#include "clock/BoutScore.h"
#include "clock/ClockSlots.h"
#include "clock/Lineup.h"
#include "clock/MatchCommand.h"
#include "clock/MatchFields.h"
#include "clock/MatchSnapshot.h"
#include "clock/RuleBook.h"
#include "clock/Scorebook.h"
#include "clock/StoppageClocks.h"
#include "clock/TimeValue.h"

#include <QObject>
#include <QString>
#include <array>

// One match: the clock slots, the number fields, who holds time advantage, the stoppage
// clocks, the bouts and the undo history. It needs no window and reads no key: commands come
// in through `apply`, and everything that changes what a spectator sees is announced by
// `FieldChanged` or `AdChanged`.
class Match : public QObject {
    Q_OBJECT

public:
    // The nine fields, by their digit groups' names.
    enum Field {
        pledClock,
        pledTimeAd,
        pledHomeScore,
        pledGuestScore,
        pledHomeMatch,
        pledGuestMatch,
        pledMatch,
        pledPeriod,
        pledWeight,
    };
    static constexpr int kFieldCount = MatchFields::kCount;
    static constexpr int kNumberFieldCount = MatchFields::kNumberCount;
    static constexpr int kSlotCount = ClockSlots::kCount;
    // The largest time typed entry takes, and the reset time: 59:59.
    static constexpr qint32 kLargestTime = 59 * 60 + 59;

    static QString FieldName(Field field) { return MatchFields::Name(field); }
    // -1 when no field has that name.
    static int FieldFromName(const QString &name) { return MatchFields::FromName(name); }
    static bool IsNumberField(Field field) { return MatchFields::IsNumber(field); }
    // The number of digits a field shows, and the largest number typed entry takes.
    static int DigitCount(Field field) { return MatchFields::DigitCount(field); }
    static qint16 UpperLimit(Field field) { return MatchFields::UpperLimit(field); }

    explicit Match(QObject *parent = nullptr);

    // The clock slots: 0 the match clock (counts down), 1 and 2 the home and guest time
    // advantage (count up), 3 the stoppage clock, 4 the activity period (count down).
    void SetClock(TimeValue value, qint32 up, qint16 slot);
    void StartClock(qint16 slot);
    void StopClock(qint16 slot);
    bool ClockRunning(qint16 slot) const { return m_clocks.Running(slot); }
    TimeValue ClockValue(qint16 slot);

    // The last match time accepted from typed entry, in whole seconds; reset returns to it.
    qint32 LastClockTime = 0;
    // Who holds time advantage.
    std::optional<Side> TimeAd;
    // The slot (1 or 2) whose time the time-advantage field shows; 0 before the first refresh.
    qint16 ShownAdSide = 0;

    // The one door for the operator's commands: the edit each made, or why it was refused.
    MatchOutcome apply(const MatchCommand &command);
    // Inside apply(): what it announces now is part of the command, and `Applied` follows.
    bool Applying() const { return m_applying; }
    // A clock that has reached zero since the last refresh stops there, and a holder's time
    // counts up to now: what a key decides reads the match as it stands.
    void CatchUp() { readUpToNow(); }

    // The rule set the next bout is run under (the options choose it); a bout keeps its own.
    void SetNextRules(RuleBook::Set set) { m_nextRules = set; }
    // The teams' names, for what the match says: "Home score 21 → 18".
    void SetTeamNames(const QString &home, const QString &guest);
    QString TeamName(int side) const { return side == 2 ? m_guestName : m_homeName; }

    // Shows a time on one of the two time fields.
    void ShowTime(TimeValue value, Field field);
    // A number field's value: -1 when blank.
    qint32 Value(Field field) const { return m_fields.Value(field); }
    // The time a time field shows.
    TimeValue Shown(Field field) const { return m_fields.Shown(field); }
    // A field's digits as a spectator reads them, blanks left out: "10:00", "59.9", "12", "".
    QString ShownText(Field field) const { return m_fields.ShownText(field); }
    // A time's digits, as the match clock (or the time advantage) shows it.
    static QString TimeText(TimeValue value, bool matchClock);

    // The refresh.
    void UpdateAdStatus();
    void UpdateClocks();
    // The start of a board: 10:00, nobody holds time advantage.
    void Load();

    // On exactly while the match clock runs; the owner runs the real timer from it.
    bool TickEnabled() const { return m_tickEnabled; }
    // The time source's instant (ms) at which the next refresh changes a shown digit of the
    // match clock or of a running time advantage, or the match clock reaches zero.
    qint64 NextRefreshMs() const;

    // The stoppage clocks (injury, blood, recovery, head-neck; RuleBook::Stoppage), one
    // allowance per wrestler and kind, one clock running at a time and only while the match
    // clock is stopped. The clock shown covers the time advantage's digits from its start
    // until the match clock starts again.
    static constexpr qint16 kStoppageSlot = StoppageClocks::kSlot;
    RuleBook::Set Rules() const { return m_rules; }
    // -1 when none is shown; side 1 home, 2 guest.
    int StoppageKind() const { return m_stoppage.Kind(); }
    int StoppageSide() const { return m_stoppage.Side(); }
    bool StoppageRunning() const { return m_stoppage.Running(); }
    // What the shown stoppage clock reads, as of the last refresh.
    TimeValue StoppageShown() const { return m_stoppage.Shown(); }
    // What is left of a wrestler's allowance (the full one for a clock given anew each
    // time); -1 when the rule set has no such clock.
    TimeValue StoppageLeft(int side, int kind) const {
        return m_stoppage.Left(m_rules, side, kind);
    }
    // A stoppage clock of that kind may start: the match clock is stopped and the rule set
    // has it.
    bool StoppageMayStart(int kind) const {
        return !ClockRunning(0) && RuleBook::Of(m_rules).stoppage[kind].seconds > 0;
    }
    // A new bout: the next bout's rule set, every allowance full, no stoppage clock shown.
    void NewBout();

    // What covers the time advantage's digits: the stoppage clock shown, else an activity
    // period (kind RuleBook::kActivity) until a score ends it; kind -1 when nothing does.
    struct Cover {
        int kind = -1;
        int side = 0; // 1 home, 2 guest
        TimeValue shown = 0;
        bool running = false;
    };
    static constexpr qint16 kActivitySlot = ActivityPeriod::kSlot;
    Cover Covering() const;
    // Its digits, as a spectator reads them; empty when nothing covers them.
    QString StoppageText() const;

    // The round of the bout the period field shows, under the bout's rule set; the break
    // while the match clock times the one before the period after it.
    RuleBook::Round Round() const;
    // The dual's results, bout by bout.
    const QList<BoutResult> &Bouts() const { return m_bouts; }
    // The bout's time so far, and what the result window proposes, with the tie criterion
    // that decided it (BoutScore).
    qint32 ElapsedSeconds() const;
    BoutResult ProposedResult(QString *criterion = nullptr) const;
    // The scorebook: the dual's, and the bout's on the board.
    const QList<ScoredMove> &Moves() const { return m_book.All(); }
    QList<ScoredMove> BoutMoves() const { return m_book.OfBout(m_boutSerial); }
    // The match's texts by number: the lineup's names (Lineup).
    const QMap<quint16, QString> &Texts() const { return m_texts; }
    // The wrestler of side (1 home, 2 guest) at the weight shown: empty when none.
    QString Wrestler(int side) const {
        const qint32 weight = Value(pledWeight);
        return weight < 1 ? QString() : m_texts.value(Lineup::TextId(side, weight));
    }
    // A recorded bout's wrestler (by its place in Bouts()), as it was when recorded.
    QString BoutWrestler(qsizetype index, int side) const {
        const quint16 id = Lineup::BoutTextId(index, side);
        return id ? m_texts.value(id) : QString();
    }
    // The bout on the board, as its scorebook entries name it.
    qint32 BoutSerial() const { return m_boutSerial; }

    // Whether the match clock has been started since this match began (or, restored, since
    // the journaled one began).
    bool ClockHasRun() const { return m_clockHasRun; }
    // What an operator would lose, as of the last refresh of the clocks.
    MatchSnapshot Snapshot() const;
    // Back to a journaled match with every clock stopped. Runs are cut to whole tenths, so
    // the match clock gains back less than a tenth and loses nothing.
    void Restore(const MatchSnapshot &snapshot);

signals:
    void FieldChanged(Match::Field field);
    // `TimeAd` changed: the lamps follow it.
    void AdChanged();
    void TickChanged(bool on);
    // A stoppage clock started, stopped or went out of sight, or an allowance changed.
    void StoppageChanged();
    // After every command, refused or not.
    void Applied(const MatchOutcome &outcome);
    // A clock ran out: the owner sounds the buzzer.
    void BuzzerRequested();
    // The scorebook gained or lost an entry.
    void MovesChanged();
    // A name changed, or the lineup came back with a resumed meet.
    void TextsChanged();
    // A result was recorded (or the list came back with a resumed meet).
    void BoutsChanged();
    // An undo or a redo, as the operator reads it: "Undone: Home score 21 → 18".
    void HistoryStepped(const QString &text);

private:
    void setTick(bool on);
    void readHolders();
    void readUpToNow();
    // The command inside its action.
    void carryOut(const MatchCommand &command);
    void refuse(const QString &why);
    // Undo (Ctrl+Z) and redo (Ctrl+Y, Ctrl+Shift+Z) of the operator's actions: what the
    // action changed goes back to its value just before it (or again to the one after it).
    // Refused when there is nothing to undo or redo.
    void stepHistory(bool undo);
    // The members the edit holds, to their values after it (or, undone, before it).
    void applyEdit(const MatchEdit &edit, bool undone);
    void startStop();
    // Reset: the match clock to the last typed time, both time advantages to zero.
    void resetClocks();
    void setTime(qint32 seconds);
    // A number field as entered: another match number is another bout.
    void enterNumber(Field field, qint32 value);
    void setNumber(Field field, qint32 value);
    void setPeriodClock(int period);
    // The next round, its length on the match clock as if typed; refused while a clock runs
    // or after the rule set's last round. Under a rule set with a break, the first period
    // goes to the break, running, and the break (at its zero, or early) to the second.
    void nextPeriod();
    // Regulation ended under a rule set that times riding: a net minute of riding time gives
    // its point, as a command of its own once the current one is done.
    void regulationEnds();
    // Where a move scored now goes in the scorebook.
    BoutScore::When now() const;
    // The next bout in the dual: the next match number and weight class, match points,
    // time advantages and stoppage allowances as new, the first period's length on the
    // clock; the team scores stay. Refused while a clock runs or at match 999.
    void nextBout();
    // Records a result as BoutScore completes it, or refuses it.
    void recordResult(const BoutResult &result);
    BoutScore score() const;
    // The move for side (1 home, 2 guest): its points to the scorer's match points, its
    // entry in the scorebook; under NCAA a takedown or reversal hands riding time to the
    // scorer, an escape to nobody. A passivity call past the warning starts the wrestler's
    // activity period; the wrestler's own score ends it. Refused where the rule set lacks it.
    void scoreMove(RuleBook::Move move, int side, int digit);
    void startStoppage(int kind, int side);
    void stopStoppage();
    void hideStoppage();
    // The activity period runs with the match clock, outside the break.
    void syncActivity();
    // It ran out: the opponent's point, as a command of its own.
    void activityRunsOut();
    void setBreak(bool on);

    ClockSlots m_clocks;
    StoppageClocks m_stoppage{m_clocks};
    Scorebook m_book{m_clocks};
    bool m_break = false;
    MatchFields m_fields;
    bool m_tickEnabled = false;
    qint64 m_lastRefreshMs = 0;
    bool m_clockHasRun = false;
    RuleBook::Set m_rules = RuleBook::Set::NFHS;
    RuleBook::Set m_nextRules = RuleBook::Set::NFHS;
    QString m_homeName = QStringLiteral("Home");
    QString m_guestName = QStringLiteral("Guest");
    QList<BoutResult> m_bouts;
    QMap<quint16, QString> m_texts; // carried from a resumed log to the next
    qint32 m_boutSerial = 0;
    // Where regulation ended, while its riding-time point is applied.
    std::optional<BoutScore::When> m_regulationEnd;
    // Each period's length as its clock first ran (MatchSnapshot::roundSeconds).
    std::array<qint32, 10> m_roundSeconds{};
    QList<MatchEdit> m_undoable;
    QList<MatchEdit> m_redoable;
    // The action stopped the match clock by its key: undone, the clock runs on.
    bool m_actionStops = false;
    // Of the command being applied.
    bool m_applying = false;
    QString m_refused;
    MatchEdit m_lastEdit;
};
