// Plays the exhaust beat and the error sound asynchronously. Without an audio device, or without
// the wave files, it stays silent and says so once.
#pragma once

#include <memory>

class QObject;

namespace mv {

class SoundPlayer {
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Wave-output volume of both channels, 0..0xFFFF (0x8000 is half scale).
    void SetVolume(int level);
    void PlayExhaust();
    void PlayError();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace mv
