#include "mainwin/sound_player.hpp"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QObject>
#include <QSoundEffect>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtGlobal>
#include <algorithm>
#include <memory>

#include "mainwin/data_files.hpp"

namespace mv {

namespace {

constexpr int kVolumeFull = 0xFFFF;

// Collects what Qt logs while the audio devices are probed (a missing sound server says so on
// its own), so that a silent start costs one line in the log, not several.
QStringList* gProbeLog = nullptr;

void ProbeHandler(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (gProbeLog) gProbeLog->append(text);
}

bool HaveAudioOutput(QString& why) {
    QStringList log;
    gProbeLog = &log;
    const QtMessageHandler previous = qInstallMessageHandler(ProbeHandler);
    const bool have = !QMediaDevices::defaultAudioOutput().isNull();
    qInstallMessageHandler(previous);
    gProbeLog = nullptr;
    why = QStringLiteral("no audio output device");
    if (!log.isEmpty()) why += QStringLiteral(" (") + log.join(QStringLiteral("; ")) + ')';
    return have;
}

// A quick look at the header, so an unreadable or foreign file is reported at start-up rather
// than left to the decoder.
bool LooksLikeWave(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

}  // namespace

struct SoundPlayer::Impl {
    // Owned here, not by a Qt parent: the status handler below refers to this object.
    std::unique_ptr<QSoundEffect> exhaust;  // null: this sound stays silent
    std::unique_ptr<QSoundEffect> error;
    int level = 0x8000;
    float volume = 0.5f;
    bool warned = false;

    // One line in the log for the whole run: a missing device or file is no news on every beat.
    void WarnOnce(const QString& why) {
        if (warned) return;
        warned = true;
        qWarning("Sound is off: %s", qUtf8Printable(why));
    }

    // Full path of a usable wave file, or empty (and a warning).
    QString Find(const QString& folder, const QString& name) {
        QString path;
        if (folder.isNull()) {
            path = FindDataFile(name);
        } else {
            const QFileInfo fi(QDir(folder).filePath(name));
            if (fi.isFile()) path = fi.absoluteFilePath();
        }
        if (path.isEmpty()) {
            WarnOnce(QStringLiteral("%1 not found").arg(name));
        } else if (!LooksLikeWave(path)) {
            WarnOnce(QStringLiteral("%1 is not a readable wave file").arg(path));
            path.clear();
        }
        return path;
    }

    std::unique_ptr<QSoundEffect> Load(const QString& path) {
        if (path.isEmpty()) return nullptr;
        auto owned = std::make_unique<QSoundEffect>();
        QSoundEffect* effect = owned.get();
        effect->setVolume(volume);
        QObject::connect(effect, &QSoundEffect::statusChanged, effect, [this, effect, path] {
            if (effect->status() == QSoundEffect::Error) {
                WarnOnce(QStringLiteral("%1 cannot be played").arg(path));
            }
        });
        effect->setSource(QUrl::fromLocalFile(path));
        return owned;
    }

    void Open(const QString& folder) {
        const QString exhaustPath = Find(folder, QStringLiteral("Exhaust.wav"));
        const QString errorPath = Find(folder, QStringLiteral("Error.wav"));
        if (exhaustPath.isEmpty() && errorPath.isEmpty()) return;
        QString why;
        if (!HaveAudioOutput(why)) {
            WarnOnce(why);
            return;
        }
        exhaust = Load(exhaustPath);
        error = Load(errorPath);
    }

    void Play(QSoundEffect* effect) {
        if (!effect || effect->status() == QSoundEffect::Error) return;
        // A new sound replaces one still playing.
        if (effect->isPlaying()) effect->stop();
        effect->play();
    }
};

// The effects keep no Qt parent (see Impl), so `parent` is not needed to free them.
SoundPlayer::SoundPlayer(QObject*) : impl_(std::make_unique<Impl>()) {
    impl_->Open(QString());
}

SoundPlayer::SoundPlayer(const QString& folder, QObject*) : impl_(std::make_unique<Impl>()) {
    impl_->Open(folder.isNull() ? QStringLiteral("") : folder);
}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::SetVolume(int level) {
    impl_->level = std::clamp(level, 0, kVolumeFull);
    impl_->volume = static_cast<float>(impl_->level) / kVolumeFull;
    for (QSoundEffect* e : {impl_->exhaust.get(), impl_->error.get()}) {
        if (e) e->setVolume(impl_->volume);
    }
}

int SoundPlayer::Volume() const {
    return impl_->level;
}

void SoundPlayer::PlayExhaust() {
    impl_->Play(impl_->exhaust.get());
}

void SoundPlayer::PlayError() {
    impl_->Play(impl_->error.get());
}

bool SoundPlayer::Audible() const {
    return impl_->exhaust || impl_->error;
}

}  // namespace mv
