#include "clock/TimeSource.h"

#include <ctime>

namespace {
TimeSource::Source &installed() {
    static TimeSource::Source source;
    return source;
}
} // namespace

namespace TimeSource {

qint64 nowMs() {
    if (installed())
        return installed()();
    // Counts the time the computer slept, so a clock running across a suspend has lost
    // that time when it wakes, and still ignores changes of the wall clock.
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void install(Source source) {
    installed() = std::move(source);
}

void reset() {
    installed() = nullptr;
}

} // namespace TimeSource
