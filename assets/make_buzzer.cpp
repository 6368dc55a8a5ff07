// Writes the scoreboard horn: 1.2 s of a harsh two-tone horn and 0.15 s of silence,
// 16-bit mono PCM at 44100 Hz in a plain WAV file. Deterministic, so the file is the
// same on every build.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
constexpr int kRate = 44100;
constexpr double kSoundSeconds = 1.2;
constexpr double kSilenceSeconds = 0.15;
constexpr double kPi = 3.14159265358979323846;

void put16(std::vector<unsigned char> &out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
void put32(std::vector<unsigned char> &out, unsigned long v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

// A band-limited sawtooth: the brassy part of a horn.
double saw(double phase, double frequency) {
    double s = 0;
    for (int k = 1; k * frequency < 9000; ++k)
        s += std::sin(2 * kPi * k * phase) / k;
    return s;
}
} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_buzzer OUTPUT.wav\n");
        return 2;
    }
    const int soundSamples = static_cast<int>(kRate * kSoundSeconds);
    const int total = soundSamples + static_cast<int>(kRate * kSilenceSeconds);
    std::vector<double> samples(total, 0.0);
    double peak = 0;
    for (int i = 0; i < soundSamples; ++i) {
        const double t = double(i) / kRate;
        double v = saw(t * 233.0, 233.0) + 0.8 * saw(t * 311.0, 311.0);
        v = std::tanh(1.6 * v); // a little grit, as a real horn has
        const double attack = std::min(1.0, t / 0.015);
        const double release = std::min(1.0, (kSoundSeconds - t) / 0.06);
        samples[i] = v * attack * release;
        peak = std::max(peak, std::fabs(samples[i]));
    }
    const double gain = 0.89 * 32767.0 / peak; // about -1 dBFS
    std::vector<unsigned char> data;
    data.reserve(total * 2);
    for (double s : samples)
        put16(data, static_cast<unsigned>(static_cast<int16_t>(std::lround(s * gain))) & 0xFFFF);

    std::vector<unsigned char> file;
    file.insert(file.end(), {'R', 'I', 'F', 'F'});
    put32(file, 36 + data.size());
    file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(file, 16);
    put16(file, 1); // PCM
    put16(file, 1); // mono
    put32(file, kRate);
    put32(file, kRate * 2); // bytes a second
    put16(file, 2);         // bytes a frame
    put16(file, 16);        // bits a sample
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    put32(file, data.size());
    file.insert(file.end(), data.begin(), data.end());

    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size()) {
        std::perror(argv[1]);
        return 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
