// Placeholder until the sound files land: silent.
#include "mainwin/sound_player.hpp"

namespace mv {
struct SoundPlayer::Impl {};
SoundPlayer::SoundPlayer(QObject*) : impl_(std::make_unique<Impl>()) {}
SoundPlayer::~SoundPlayer() = default;
void SoundPlayer::SetVolume(int) {}
void SoundPlayer::PlayExhaust() {}
void SoundPlayer::PlayError() {}
}  // namespace mv
