#pragma once

// The program's run once its application exists: names, icon, font and beep, then the
// welcome window until the last window closes. The benchmarks time the same windows by
// calling this from their own application.
namespace Program {

// Returns the event loop's result.
int Run();

} // namespace Program
