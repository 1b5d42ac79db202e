// Writes the program's two sounds as 16-bit mono PCM WAV files into the folder given:
//   Exhaust.wav  a short chuff: band-passed noise with a fast attack and a quick decay
//   Error.wav    two short falling tones
// The noise comes from a fixed-seed generator, so every build writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// xorshift32: fully defined here, unlike the standard distributions.
class Noise {
public:
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;  // -1 .. 1
    }

private:
    std::uint32_t state_ = 0x2545F491u;
};

// Biquad band-pass (constant peak gain), direct form I.
class BandPass {
public:
    BandPass(double centre, double q) {
        const double w = 2.0 * kPi * centre / kRate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        b0_ = alpha / a0;
        b2_ = -alpha / a0;
        a1_ = -2.0 * std::cos(w) / a0;
        a2_ = (1.0 - alpha) / a0;
    }
    double Step(double x) {
        const double y = b0_ * x + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double b0_, b2_, a1_, a2_;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

std::vector<double> Chuff() {
    const int n = kRate * 28 / 100;  // 0.28 s
    std::vector<double> s(static_cast<std::size_t>(n));
    Noise noise;
    BandPass low(420.0, 0.9), high(1600.0, 1.4);
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.004);
        const double decay = std::exp(-t / 0.045);
        const double w = noise.Next();
        s[static_cast<std::size_t>(i)] = (low.Step(w) + 0.45 * high.Step(w)) * attack * decay;
    }
    return s;
}

std::vector<double> TwoTone() {
    std::vector<double> s;
    const struct { double freq, seconds; } tones[] = {{880.0, 0.12}, {587.33, 0.18}};
    for (const auto& tone : tones) {
        const int n = static_cast<int>(tone.seconds * kRate);
        const int fade = kRate / 200;  // 5 ms ramps, no clicks
        for (int i = 0; i < n; ++i) {
            const double ramp = std::min({1.0, double(i) / fade, double(n - 1 - i) / fade});
            const double t = static_cast<double>(i) / kRate;
            // A little third harmonic makes it buzz rather than whistle.
            const double v =
                std::sin(2 * kPi * tone.freq * t) + 0.25 * std::sin(6 * kPi * tone.freq * t);
            s.push_back(v * ramp);
        }
    }
    return s;
}

void Put16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Scales the samples to `peak` of full scale and writes a canonical 44-byte-header WAV.
bool WriteWav(const std::string& path, const std::vector<double>& samples, double peak) {
    double max = 0;
    for (double v : samples) max = std::max(max, std::fabs(v));
    const double gain = max > 0 ? peak * 32767.0 / max : 0.0;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    Put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, kRate);
    Put32(out, kRate * 2);
    Put16(out, 2);   // block align
    Put16(out, 16);  // bits per sample
    out += "data";
    Put32(out, dataBytes);
    for (double v : samples) {
        const long q = std::lround(std::clamp(v * gain, -32767.0, 32767.0));
        Put16(out, static_cast<unsigned>(static_cast<std::uint16_t>(static_cast<std::int16_t>(q))));
    }
    const std::string tmp = path + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        f.write(out.data(), static_cast<std::streamsize>(out.size()));
        if (!f) return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    if (!WriteWav(dir + "/Exhaust.wav", Chuff(), 0.9) ||
        !WriteWav(dir + "/Error.wav", TwoTone(), 0.6)) {
        std::fprintf(stderr, "%s: cannot write the sound files into %s\n", argv[0], dir.c_str());
        return 1;
    }
    return 0;
}
