// Plays the exhaust beat and the error sound asynchronously. Without an audio device, or without
// the wave files, it stays silent and says so once.
#pragma once

#include <QString>
#include <memory>

class QObject;

namespace mv {

class SoundPlayer {
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    // Takes the wave files from `folder` only, instead of beside the program or the working
    // folder (tests, tools).
    SoundPlayer(const QString& folder, QObject* parent);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Wave-output volume of both channels, 0..0xFFFF (0x8000 is half scale); a level outside
    // that range is held to it.
    void SetVolume(int level);
    int Volume() const;
    void PlayExhaust();
    void PlayError();

    // False when there is no audio output or neither file could be loaded.
    bool Audible() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace mv
