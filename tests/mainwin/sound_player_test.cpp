// The sound player without an audio device or without its files: silent, at most one line in
// the log, never one per beat. And the generated sound files themselves.
#include "mainwin/sound_player.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

void EnsureApp() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

// Counts what is logged while it lives (apart from the toolkit's note about the runtime
// folder, which any first use of the standard paths gives on this kind of machine).
class LogCounter {
public:
    LogCounter() {
        count_ = ours_ = 0;
        previous_ = qInstallMessageHandler(&LogCounter::Handle);
    }
    ~LogCounter() { qInstallMessageHandler(previous_); }
    int count() const { return count_; }
    int ours() const { return ours_; }

private:
    static void Handle(QtMsgType, const QMessageLogContext&, const QString& text) {
        if (text.startsWith(QStringLiteral("QStandardPaths:"))) return;
        ++count_;
        ours_ += text.startsWith(QStringLiteral("Sound is off"));
    }
    static inline int count_ = 0;
    static inline int ours_ = 0;
    QtMessageHandler previous_;
};

void Beat(mv::SoundPlayer& p, int times) {
    for (int i = 0; i < times; ++i) {
        p.SetVolume(0x0700 + i * 0x100);
        p.PlayExhaust();
        if (i % 10 == 0) p.PlayError();
        QCoreApplication::processEvents();
    }
}

TEST(SoundPlayer, MissingFilesStaySilentAndWarnOnce) {
    EnsureApp();
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    LogCounter log;
    mv::SoundPlayer player(empty.path(), nullptr);
    EXPECT_EQ(log.ours(), 1);  // says why, once
    EXPECT_FALSE(player.Audible());
    Beat(player, 200);
    EXPECT_EQ(log.count(), 1);
}

TEST(SoundPlayer, UnreadableFilesStaySilentAndWarnOnce) {
    EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"Exhaust.wav", "Error.wav"}) {
        QFile f(QDir(dir.path()).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF\x10\0\0\0not a wave at all", 24);
    }
    // An empty file too: a truncated download or a full disk.
    QFile(QDir(dir.path()).filePath("Error.wav")).resize(0);
    LogCounter log;
    mv::SoundPlayer player(dir.path(), nullptr);
    EXPECT_FALSE(player.Audible());
    Beat(player, 100);
    EXPECT_EQ(log.count(), 1);
}

TEST(SoundPlayer, GeneratedFilesWithoutAudioDeviceWarnAtMostOnce) {
    EnsureApp();
    LogCounter log;
    mv::SoundPlayer player(QStringLiteral(MERROVAN_BIN_DIR), nullptr);
    Beat(player, 200);
    EXPECT_LE(log.count(), 1);
    // Without a device the player must not even create its sound effects: the toolkit's effect
    // then logs at random moments and can hang the process at exit.
    if (!player.Audible()) {
        EXPECT_EQ(log.ours(), 1);
    }
    mv::SoundPlayer again(QStringLiteral(MERROVAN_BIN_DIR), nullptr);
    // A second player (the program makes one, but a test or a tool may make more) adds one
    // line at most, never a line per beat.
    Beat(again, 200);
    EXPECT_LE(log.count(), 2);
}

TEST(SoundPlayer, VolumeOutsideTheRangeIsHarmless) {
    EnsureApp();
    mv::SoundPlayer player(QStringLiteral(MERROVAN_BIN_DIR), nullptr);
    const std::pair<int, int> levels[] = {
        {-1, 0}, {0, 0}, {0x8000, 0x8000}, {0xFFFF, 0xFFFF}, {0x10000, 0xFFFF}, {1 << 30, 0xFFFF}};
    for (const auto& [given, kept] : levels) {
        player.SetVolume(given);
        player.PlayExhaust();
        EXPECT_EQ(player.Volume(), kept) << given;
    }
}

struct Wave {
    int channels = 0, rate = 0, bits = 0, format = 0;
    std::vector<std::int16_t> samples;
};

Wave ReadWave(const QString& path) {
    Wave w;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return w;
    const QByteArray b = f.readAll();
    auto u16 = [&](int o) { return int(std::uint8_t(b[o])) | int(std::uint8_t(b[o + 1])) << 8; };
    auto u32 = [&](int o) { return std::uint32_t(u16(o)) | std::uint32_t(u16(o + 2)) << 16; };
    if (b.size() < 44 || !b.startsWith("RIFF") || b.mid(8, 8) != "WAVEfmt ") return w;
    if (u32(4) != std::uint32_t(b.size() - 8)) return w;
    w.format = u16(20);
    w.channels = u16(22);
    w.rate = int(u32(24));
    w.bits = u16(34);
    if (b.mid(36, 4) != "data" || u32(40) != std::uint32_t(b.size() - 44)) return w;
    for (int o = 44; o + 1 < b.size(); o += 2) w.samples.push_back(std::int16_t(u16(o)));
    return w;
}

double Rms(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(to - from));
}

TEST(SoundFiles, ShortSixteenBitPcmThatFadesOut) {
    for (const char* name : {"Exhaust.wav", "Error.wav"}) {
        SCOPED_TRACE(name);
        const Wave w = ReadWave(QStringLiteral(MERROVAN_BIN_DIR "/") + QString::fromLatin1(name));
        ASSERT_EQ(w.format, 1);
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.bits, 16);
        ASSERT_GT(w.rate, 8000);
        const double seconds = double(w.samples.size()) / w.rate;
        EXPECT_GT(seconds, 0.1);
        EXPECT_LT(seconds, 0.5);  // a beat must end before the next one at full speed
        int peak = 0;
        for (auto v : w.samples) peak = std::max(peak, std::abs(int(v)));
        EXPECT_GT(peak, 10000);
        EXPECT_LT(peak, 32767);  // no clipping
        // No click at the end.
        EXPECT_LT(std::abs(int(w.samples.back())), 500);
    }
    const Wave chuff = ReadWave(QStringLiteral(MERROVAN_BIN_DIR "/Exhaust.wav"));
    const std::size_t n = chuff.samples.size();
    ASSERT_GT(n, 100u);
    // A chuff: loud at once, then dying away.
    EXPECT_GT(Rms(chuff.samples, 0, n / 10), 10 * Rms(chuff.samples, n * 8 / 10, n));
}

}  // namespace
