#pragma once

#include "clock/BoutResult.h"
#include "clock/MatchEdit.h"

#include "clock/Side.h"

#include <QMap>
#include <QString>
#include <optional>

// One operator command as a plain value, whoever gave it: a key, a window, later another
// device. It names no key: the console turns keys into commands.
struct MatchCommand {
    enum class Kind {
        StartStop,     // the match clock
        Reset,         // the clock to the last set time, both time advantages to zero
        SetTime,       // value: whole seconds, as if typed
        SetNumber,     // field to value (-1 blank)
        Step,          // field by value, a blank counting 0; below zero blanks it
        Clear,         // field blank
        Advantage,     // side holds time advantage; none: nobody
        StartStoppage, // stoppage's clock for side
        StopStoppage,  // the running stoppage clock of that kind
        NextPeriod,
        NextBout,
        Result, // result recorded
        Score,  // move for side, with the digit typed after it in value
        Names,  // each wrestler's name in names to its text, an empty one to none
        Undo,
        Redo,
    };
    Kind kind = Kind::StartStop;
    int field = -1; // a number field, Match::Field
    qint32 value = 0;
    std::optional<Side> side;
    int stoppage = -1; // RuleBook::Stoppage
    int move = -1;     // RuleBook::Move
    BoutResult result;
    QMap<quint16, QString> names; // by Lineup::TextId
    // Another device that gave it: its name, and its key (empty for the board's own keys).
    // Its undo and redo step only its own actions.
    QString author;
    QString device;

    static MatchCommand Of(Kind kind) {
        MatchCommand c;
        c.kind = kind;
        return c;
    }
    static MatchCommand Scoring(int move, Side side) {
        MatchCommand c = Of(Kind::Score);
        c.move = move;
        c.side = side;
        return c;
    }
};

// What a command did: the edit it made (members before and after), or why it was refused,
// and what became of the undo history: a new action, an undo or a redo, or nothing.
struct MatchOutcome {
    enum class Step { None, Action, Undo, Redo };
    QString refused;
    MatchEdit edit;
    Step step = Step::None;
    bool ok() const { return refused.isEmpty(); }
};
