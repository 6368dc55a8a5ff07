// Records a PulseAudio sink's monitor in 2 ms pieces and prints, for every sound that
// starts after at least 300 ms of quiet, the CLOCK_MONOTONIC instant of its first loud
// sample: "onset NS". The instant is the time the piece holding it was handed over,
// less the samples after it in that piece: the sink had the sound by then, so this is
// late if anything. The recording latency the server reports is printed beside it but
// not subtracted: right after a stream starts it can be far off (tens of ms too large).
// Runs until it is terminated.
// Usage: bench_sink_onset SINK_NAME
#include <pulse/error.h>
#include <pulse/simple.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {
constexpr int kRate = 44100;
constexpr int kPiece = kRate / 500; // 2 ms
constexpr int kThreshold = 32768 / 20;
constexpr long long kQuietNs = 300'000'000;

volatile std::sig_atomic_t stopping = 0;

long long monotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}
} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SINK_NAME\n", argv[0]);
        return 2;
    }
    std::signal(SIGTERM, [](int) { stopping = 1; });
    std::signal(SIGINT, [](int) { stopping = 1; });
    const std::string monitor = std::string(argv[1]) + ".monitor";
    const pa_sample_spec format{PA_SAMPLE_S16LE, kRate, 1};
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.fragsize = kPiece * 2;
    int error = 0;
    pa_simple *rec = pa_simple_new(nullptr, "bench_sink_onset", PA_STREAM_RECORD, monitor.c_str(),
                                   "onset", &format, nullptr, &attr, &error);
    if (!rec) {
        std::fprintf(stderr, "cannot record %s: %s\n", monitor.c_str(), pa_strerror(error));
        return 1;
    }
    std::printf("recording\n");
    std::fflush(stdout);
    std::vector<short> piece(kPiece);
    long long lastLoud = 0;
    while (!stopping) {
        if (pa_simple_read(rec, piece.data(), piece.size() * sizeof(short), &error) < 0)
            break;
        const long long handed = monotonicNs();
        for (int i = 0; i < kPiece; ++i) {
            if (std::abs(int(piece[size_t(i)])) < kThreshold)
                continue;
            const long long latencyNs = (long long)pa_simple_get_latency(rec, &error) * 1000;
            const long long at = handed - (long long)(kPiece - i) * 1'000'000'000LL / kRate;
            if (at - lastLoud > kQuietNs) {
                std::printf("onset %lld latency-us %lld\n", at, latencyNs / 1000);
                std::fflush(stdout);
            }
            lastLoud = at;
            break;
        }
    }
    pa_simple_free(rec);
    return 0;
}
