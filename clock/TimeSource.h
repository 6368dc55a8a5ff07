#pragma once

#include <QtGlobal>
#include <functional>

// Where the clocks read the time. Milliseconds since boot, sleep included, so that a
// change of the computer's clock (daylight saving, a correction) never moves a running
// match clock while a suspend does.
namespace TimeSource {

using Source = std::function<qint64()>;

qint64 nowMs();

// Tests put a fake clock in place and take it away again.
void install(Source source);
void reset();

} // namespace TimeSource
