#include "clock/TimeSource.h"

#include <chrono>

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
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void install(Source source) {
    installed() = std::move(source);
}

void reset() {
    installed() = nullptr;
}

} // namespace TimeSource
