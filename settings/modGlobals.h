#pragma once

#include "clock/RuleBook.h"

#include <QString>
#include <QtGlobal>

// The options every window reads, and their persistence in the per-user store.
namespace modGlobals {

// Colours packed as blue * 65536 + green * 256 + red.
inline constexpr qint32 DefaultFormColor = 4210752;
inline constexpr qint32 DefaultTextColor = 16777215;
inline constexpr qint32 DefaultLEDBackColor = 0;
inline constexpr qint32 DefaultLEDScoreColor = 33023;
inline constexpr qint32 DefaultLEDTimeColor = 255;
inline constexpr int DefaultStartStopClockKey = 115;
inline constexpr int DefaultResetClockKey = 114;
inline constexpr int DefaultClearKey = 99;
inline constexpr int DefaultBuzzerKey = 98;
// The meet's commands on the Meet Keys tab: the stoppage clocks in RuleBook::Stoppage order,
// then next period, next bout, bout result, bout sheet and lineup; by default i, l, v, k, p,
// n, e, m, u.
inline constexpr int kNextPeriodCommand = RuleBook::kStoppageCount;
inline constexpr int kNextBoutCommand = kNextPeriodCommand + 1;
inline constexpr int kBoutResultCommand = kNextBoutCommand + 1;
inline constexpr int kBoutSheetCommand = kBoutResultCommand + 1;
inline constexpr int kLineupCommand = kBoutSheetCommand + 1;
// Then the scoring keys of the Scoring Keys tab, in RuleBook::Move order from the takedown to
// the caution; by default t, x, w, f, g, a, z, q.
inline constexpr int kFirstMoveCommand = kLineupCommand + 1;
inline constexpr int kMoveKeyCount = int(RuleBook::Move::Caution) + 1;
inline constexpr int kMeetCommandCount = kFirstMoveCommand + kMoveKeyCount;
inline constexpr int DefaultMeetKeys[kMeetCommandCount] = {
    105, 108, 118, 107, 112, 110, 101, 109, 117, 116, 120, 119, 102, 103, 97, 122, 113};
// What Ctrl+Z and Ctrl+Y type: undo and redo, never a binding.
inline constexpr int UndoKey = 26;
inline constexpr int RedoKey = 25;
// Tab steps the selected field.
inline constexpr int TabKey = 9;
// Keys no binding may hold.
constexpr bool Reserved(int key) {
    return key == UndoKey || key == RedoKey || key == TabKey;
}

extern qint32 FormColor;
extern qint32 TextColor;
extern qint32 LEDBackColor;
extern qint32 LEDScoreColor;
extern qint32 LEDTimeColor;
// Key bindings hold the UTF-16 code of a typed character (1 to 65535).
extern int StartStopClockKey;
extern int ResetClockKey;
extern int ClearKey;
extern int BuzzerKey;
// 0 is unbound: a store from before these keys whose bindings already hold the default.
extern int InjuryKey;
extern int BloodKey;
extern int RecoveryKey;
extern int HeadNeckKey;
extern int NextPeriodKey;
extern int NextBoutKey;
extern int BoutResultKey;
extern int BoutSheetKey;
extern int LineupKey;
// The binding of a meet command's key, by its number above.
int &MeetKey(int command);
inline int &StoppageKey(int kind) {
    return MeetKey(kind);
}
// A scoring move's key, by RuleBook::Move (the riding-time point has none).
inline int &MoveKey(int move) {
    return MeetKey(kFirstMoveCommand + move);
}
extern QString BuzzerFile;
extern QString HomeText;
extern QString GuestText;
extern qint16 LEDType;
// The rule set a bout starts under (section RuleSettings).
extern RuleBook::Set RuleSet;

// The live feed (section FeedSettings): off, port 8080, this computer only, unless stored.
inline constexpr int DefaultFeedPort = 8080;
extern bool FeedEnabled;
extern int FeedPort;
extern bool FeedNetwork; // every device on the network rather than this computer only
// Devices let in at the board may send it commands (FeedSettings Control); off unless stored.
extern bool FeedControl;

// Hand-over between the options dialog and the key chooser.
extern QString KeyAction;
extern int KeyCurrent;
extern QString KeyChosen;

QString DefaultBuzzerFile();

// Every variable back to its default, as on an empty store.
void SetDefaults();

void LoadOptions();
// False when the store could not be written; the variables keep their values.
bool SaveOptions();

// The file behind the store, for messages to the operator.
QString SettingsFileName();

} // namespace modGlobals
