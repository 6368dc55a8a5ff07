#include "console/KeyConsole.h"

#include "clock/modCount.h"
#include "console/modShowDigits.h"
#include "led/KeyCodes.h"
#include "settings/SystemBeep.h"
#include "settings/modGlobals.h"

#include <utility>

namespace {

bool startsWithSign(const QString &text) {
    return !text.isEmpty() && (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-'));
}

} // namespace

KeyConsole::KeyConsole(Match &match, QObject *parent) : QObject(parent), m_match(match) {}

int KeyConsole::Typed(int keyAscii, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::ControlModifier && keyAscii < 128 && QChar(keyAscii).isLetter())
        keyAscii = QChar(keyAscii).toUpper().unicode() - 'A' + 1;
    return keyAscii == modGlobals::UndoKey && modifiers & Qt::ShiftModifier ? modGlobals::RedoKey
                                                                            : keyAscii;
}

bool KeyConsole::run(const MatchCommand &command) {
    if (m_match.apply(command).ok())
        return true;
    emit Refused();
    return false;
}

void KeyConsole::keyDown(int keyCode) {
    using enum MatchCommand::Kind;
    const bool sideKey = keyCode == KeyCodes::Left || keyCode == KeyCodes::Right;
    const Side side = keyCode == KeyCodes::Left ? Side::Home : Side::Guest;
    // A scoring key's digit comes as a character: its key down keeps the choice.
    const int move = std::exchange(m_moveChosen, -1);
    if (move >= 0 && m_moveSide && keyCode == 0) {
        m_moveChosen = move;
        return;
    }
    // Left or Right after a scoring or stoppage key names that wrestler, and does nothing
    // else: the holder, the lamps and the time advantage stay. Any other key drops the choice.
    if (move >= 0 && !std::exchange(m_moveSide, std::nullopt) && sideKey) {
        if (RuleBook::TakesDigit(m_match.Rules(), RuleBook::Move(move))) {
            m_moveChosen = move;
            m_moveSide = side;
        } else {
            score(move, side, 0);
        }
        return;
    }
    if (const int kind = std::exchange(m_stoppageChosen, -1); kind >= 0 && sideKey) {
        MatchCommand c = MatchCommand::Of(StartStoppage);
        c.stoppage = kind;
        c.side = side;
        run(c);
        return;
    }
    if (keyCode >= KeyCodes::Left && keyCode <= KeyCodes::Right) {
        MatchCommand c = MatchCommand::Of(Advantage);
        if (keyCode != KeyCodes::Up)
            c.side = keyCode == KeyCodes::Left ? Side::Home : Side::Guest;
        run(c);
    } else if (keyCode == KeyCodes::F2) {
        emit AudienceRequested();
    } else if (keyCode == KeyCodes::F11) {
        emit FullScreenRequested();
    }
}

void KeyConsole::keyPress(int field, int keyAscii, Qt::KeyboardModifiers modifiers) {
    const int key = Typed(keyAscii, modifiers);
    // The digit after a scoring key and its side is the move's, never a field's.
    if (const int move = std::exchange(m_moveChosen, -1); move >= 0 && m_moveSide) {
        const Side side = *std::exchange(m_moveSide, std::nullopt);
        if (key >= '0' && key <= '9') {
            score(move, side, key - '0');
            return;
        }
        emit Refused();
    }
    // The command keys come first in every field, then the field's own entry.
    command(key);
    if (field == Match::pledClock)
        clockEntry(key);
    else if (field >= 0 && field < Match::kFieldCount && Match::IsNumberField(Match::Field(field)))
        digitEntry(Match::Field(field), key);
}

void KeyConsole::command(int key) {
    using enum MatchCommand::Kind;
    // An unbound command's key is 0: no key types it.
    if (key <= 0)
        return;
    // Windows change nothing themselves: a result recorded in one is a command of its own.
    if (key == modGlobals::BoutResultKey) {
        emit BoutResultRequested();
        return;
    }
    if (key == modGlobals::BoutSheetKey) {
        emit BoutSheetRequested();
        return;
    }
    // Names are typed between bouts, never while the clock runs.
    if (key == modGlobals::LineupKey) {
        if (m_match.ClockRunning(0))
            emit Refused();
        else
            emit LineupRequested();
        return;
    }
    if (key == modGlobals::UndoKey || key == modGlobals::RedoKey) {
        run(MatchCommand::Of(key == modGlobals::UndoKey ? Undo : Redo));
        return;
    }
    for (int move = 0; move < modGlobals::kMoveKeyCount; ++move) {
        if (key == modGlobals::MoveKey(move)) {
            m_moveChosen = move;
            return;
        }
    }
    for (int kind = 0; kind < RuleBook::kStoppageCount; ++kind) {
        if (key != modGlobals::StoppageKey(kind))
            continue;
        // A clock already out by now is stopped, as the key's own command would find it.
        m_match.CatchUp();
        if (m_match.StoppageRunning() && kind == m_match.StoppageKind()) {
            MatchCommand c = MatchCommand::Of(StopStoppage);
            c.stoppage = kind;
            run(c);
        } else if (m_match.StoppageMayStart(kind)) {
            m_stoppageChosen = kind;
        } else {
            emit Refused();
        }
        return;
    }
    if (key == modGlobals::NextPeriodKey)
        run(MatchCommand::Of(NextPeriod));
    else if (key == modGlobals::NextBoutKey)
        nextBout();
    else if (key == modGlobals::StartStopClockKey)
        run(MatchCommand::Of(StartStop));
    else if (key == modGlobals::ResetClockKey)
        run(MatchCommand::Of(Reset));
    else if (key == modGlobals::BuzzerKey)
        emit BuzzerRequested();
    else if (key == 'h' || key == 'H')
        emit HelpRequested();
    else if (key == 'o' || key == 'O')
        emit OptionsRequested();
}

void KeyConsole::score(int move, Side side, int digit) {
    MatchCommand c = MatchCommand::Of(MatchCommand::Kind::Score);
    c.move = move;
    c.side = side;
    c.value = digit;
    run(c);
}

void KeyConsole::nextBout() {
    if (!run(MatchCommand::Of(MatchCommand::Kind::NextBout)))
        return;
    // Half-typed entries belonged to the bout before.
    DropTyped();
}

void KeyConsole::DropTyped() {
    m_stoppageChosen = m_moveChosen = -1;
    m_moveSide.reset();
    setTyped(m_clockTyped, QString());
    setTyped(m_digitTyped, QString());
}

void KeyConsole::setTyped(QString &typed, const QString &text) {
    if (typed == text)
        return;
    typed = text;
    emit TypedChanged();
}

void KeyConsole::clockEntry(int key) {
    if (key >= '0' && key <= '9') {
        setTyped(m_clockTyped, m_clockTyped + QChar(key));
    } else if (key == '.') {
        setTyped(m_clockTyped, m_clockTyped + QLatin1Char('.'));
    } else if (key == ' ') {
        setTyped(m_clockTyped, QString());
    } else if (key == 13) {
        const qint32 seconds = modCount::TimeToSeconds(m_clockTyped);
        if (seconds < 0 || seconds > Match::kLargestTime) {
            emit Refused();
        } else {
            // The operator hears that the time was taken.
            SystemBeep::beep();
            MatchCommand c = MatchCommand::Of(MatchCommand::Kind::SetTime);
            c.value = seconds;
            run(c);
        }
        setTyped(m_clockTyped, QString());
    }
}

bool KeyConsole::enter(Match::Field field, const QString &entry) {
    const qint32 now = m_match.Value(field);
    const std::optional<qint32> value =
        modShowDigits::EntryResult(now, entry, -1, Match::UpperLimit(field));
    if (!value)
        return false;
    MatchCommand c = MatchCommand::Of(MatchCommand::Kind::SetNumber);
    c.field = field;
    c.value = *value;
    // A sign and a digit steps the field, from a blank as from 0.
    if (startsWithSign(entry)) {
        c.kind = MatchCommand::Kind::Step;
        c.value = *value - std::max(now, 0);
    }
    run(c);
    return true;
}

void KeyConsole::digitEntry(Match::Field field, int key) {
    const QString name = Match::FieldName(field);
    if (name != m_digitTypedField) {
        setTyped(m_digitTyped, QString());
        m_digitTypedField = name;
        m_entryTaken = false;
    }
    if ((key >= '0' && key <= '9') || key == '+' || key == '-')
        setTyped(m_digitTyped, m_digitTyped + QChar(key));
    if (key == ' ')
        setTyped(m_digitTyped, QString());
    if (key == modGlobals::ClearKey)
        enter(field, QString(QChar(char16_t(key))));
    const bool enterAfterTaken = key == 13 && m_entryTaken && m_digitTyped.isEmpty();
    m_entryTaken = false;
    // A field of one digit takes it at once.
    if (Match::DigitCount(field) == 1 && !startsWithSign(m_digitTyped) && !m_digitTyped.isEmpty()) {
        enter(field, m_digitTyped);
        setTyped(m_digitTyped, QString());
        m_entryTaken = true;
    }
    const auto enterTyped = [&] {
        if (!enter(field, m_digitTyped))
            emit Refused();
        setTyped(m_digitTyped, QString());
    };
    if (m_digitTyped.size() >= 2 && startsWithSign(m_digitTyped) &&
        modShowDigits::ReadsAsNumber(m_digitTyped.mid(1))) {
        enterTyped();
        m_entryTaken = true;
    }
    if (key == 13 && !enterAfterTaken)
        enterTyped();
}
