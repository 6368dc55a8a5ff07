#pragma once

class MatchJournal;
class frmScoreboard;
class frmSplash;
class QWidget;

// The program's start: names, icon, font and beep, then the welcome window until the last
// window closes; and what ties a board to its journal and its feed. The benchmarks time the
// same windows by calling Run from their own application.
namespace Program {

// Returns the event loop's result.
int Run();

// The welcome window, going on to the scoreboard that OpenBoard makes for the journal.
frmSplash *Welcome(MatchJournal *journal);

// The scoreboard with its feed, resuming the journal's meet when the operator says so
// (asked over `asker`); without a journal it starts fresh and keeps nothing.
frmScoreboard *OpenBoard(MatchJournal *journal, QWidget *asker);

} // namespace Program
