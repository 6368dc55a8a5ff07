#pragma once

#include <QString>

// Plays one sound in a process of its own. Qt's PulseAudio connection is made once per
// process and is not made again once the server has gone for good, so after a failed
// play the buzzer sounds through a fresh process, which finds the server as it is now.
namespace BuzzerHelper {

inline constexpr const char *kArgument = "--play-buzzer";

// The program's own path for the helper runs; empty means no helper (tests).
void SetProgram(const QString &program);
QString Program();

// In the helper process: plays `file` to its end. 0 when it played, 1 when it could not.
int Run(const QString &file);

} // namespace BuzzerHelper
