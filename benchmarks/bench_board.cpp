// The program's own windows, started as the program starts them, timed from inside: prints
// the start-up, click and key figures that bench_runtime.sh collects while it drives the
// windows with xdotool. Usage: bench_board LAUNCH_NS (the launcher's `date +%s%N`).
#include "TimedApplication.h"
#include "startup/Program.h"

#include <cstdlib>

int main(int argc, char **argv) {
    const qint64 launchNs = argc > 1 ? std::strtoll(argv[1], nullptr, 10) : 0;
    TimedApplication app(argc, argv, launchNs);
    return Program::Run();
}
