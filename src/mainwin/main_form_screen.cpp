// The main window on a screen of today: a drawing area that follows the window, Fit, zoom about
// the mouse, middle-button pan, a timer that rests while nothing moves, and the questions before
// changed dimensions would be lost.
#include <QApplication>
#include <QDateTime>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <functional>

#include "files/dimension_file.hpp"
#include "mainwin/main_form.hpp"
#include "mainwin/picture_widget.hpp"
#include "mainwin/view_fit.hpp"

namespace mv {
namespace {

// Fit leaves the band of the drive and view controls free, and this much around the mechanism.
constexpr int kFitTop = 72;
constexpr int kFitMargin = 16;
// One notch of the wheel zooms by this factor.
constexpr long double kWheelStep = 1.1L;
// While resting, the timer wakes this often (ms) for the captions' clock.
constexpr int kRestInterval = 250;

}  // namespace

QWidget* TMainForm::Picture() const {
    return picture_;
}

void TMainForm::FollowPictureSize() {
    const qreal ratio = picture_->devicePixelRatioF();
    const qreal dpr = ratio > 0 && std::isfinite(ratio) ? ratio : 1;
    const int w = std::max(kPictureWidth, picture_->width());
    const int h = std::max(kPictureHeight, picture_->height());
    const QSize device(static_cast<int>(std::ceil(w * dpr)), static_cast<int>(std::ceil(h * dpr)));
    if (buffer_.size() != device || buffer_.devicePixelRatio() != dpr) {
        QImage fresh(device, QImage::Format_RGB32);
        fresh.setDevicePixelRatio(dpr);
        fresh.fill(Qt::white);
        {
            // The last frame until the next one is drawn.
            QPainter p(&fresh);
            p.drawImage(0, 0, buffer_);
        }
        buffer_.swap(fresh);
    }
    if (menus_) menus_->ToolBar()->resize(picture_->width(), menus_->ToolBar()->height());
    if (ui_.Panel[12]) ui_.Panel[12]->resize(picture_->width(), ui_.Panel[12]->height());
    Wake();
}

QRect TMainForm::FitArea() const {
    return {0, kFitTop, picture_->width(), std::max(0, picture_->height() - kFitTop)};
}

void TMainForm::FitView() {
    TickSolve(m_);
    const QRect a = FitArea();
    const auto view =
        mv::FitView(MechanismBox(m_), ScreenBox{a.x(), a.y(), a.width(), a.height()}, kFitMargin);
    if (!view) return;  // nothing finite to frame: the view stays as it is
    m_.view = *view;
    m_.zoomAnchor = m_.view;
    ui_.NormVHZ->setEnabled(true);
    MapPivotsAndOutlines(m_);
    Wake();
}

void TMainForm::WheelZoom(QPoint at, double notches) {
    if (!std::isfinite(notches) || notches == 0) return;
    const long double factor = std::pow(kWheelStep, static_cast<long double>(notches));
    m_.view = ZoomAbout(m_.view, factor, at.x(), at.y());
    m_.zoomAnchor = m_.view;
    ui_.NormVHZ->setEnabled(true);
    Wake();
}

void TMainForm::PanBy(QPoint delta) {
    const float ox = m_.view.ox + static_cast<float>(delta.x());
    const float oy = m_.view.oy + static_cast<float>(delta.y());
    if (std::isfinite(ox)) m_.view.ox = ox;
    if (std::isfinite(oy)) m_.view.oy = oy;
    m_.zoomAnchor = m_.view;
    ui_.NormVHZ->setEnabled(true);
    Wake();
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!fitOnShow_) return;
    fitOnShow_ = false;
    // After the window manager has given the window its size.
    QTimer::singleShot(0, this, [this] { FitView(); });
}

// --- Resting -------------------------------------------------------------------------------

bool TMainForm::Quiet() const {
    return !running_ && quietAfterMs_ >= 0 && lastChange_.hasExpired(quietAfterMs_) &&
           m_.dimensionGraphicId == 0;
}

void TMainForm::Wake() {
    lastChange_.restart();
    if (timer1_ && timer1_->isActive() && timer1_->interval() != frameInterval_)
        timer1_->setInterval(frameInterval_);
}

void TMainForm::TimerTick() {
    if (!Quiet()) {
        if (timer1_->interval() != frameInterval_) timer1_->setInterval(frameInterval_);
        Timer1Timer();
        return;
    }
    // Stopped and untouched: the picture stays as drawn; only the captions' clock moves.
    if (timer1_->interval() != kRestInterval) timer1_->setInterval(kRestInterval);
    const QDateTime now = QDateTime::currentDateTime();
    const qint64 second = now.toSecsSinceEpoch();
    if (second == captionSecond_) return;
    captionSecond_ = second;
    ShowCaptions(MakeWindowCaptions(m_, now));
}

namespace {

bool WakesTheTimer(const QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Drop:
        case QEvent::FocusIn: return true;
        case QEvent::MouseMove:
            return static_cast<const QMouseEvent*>(event)->buttons() != Qt::NoButton;
        default: return false;
    }
}

class InputWatcher : public QObject {
public:
    InputWatcher(TMainForm& form, std::function<void()> wake)
        : QObject(&form), wake_(std::move(wake)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (WakesTheTimer(event)) wake_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> wake_;
};

}  // namespace

void TMainForm::WakeOnInput() {
    qApp->installEventFilter(new InputWatcher(*this, [this] { Wake(); }));
}

// --- Unsaved dimensions ------------------------------------------------------------------------

void TMainForm::MarkSaved() {
    savedText_ = files::WriteMvoText(m_);
}

bool TMainForm::DimensionsChanged() const {
    return files::WriteMvoText(m_) != savedText_;
}

bool TMainForm::SaveChangesFirst() {
    if (!DimensionsChanged() || !askToSave) return true;
    switch (askToSave()) {
        case SaveChoice::Save: return SaveAs();
        case SaveChoice::Discard: return true;
        case SaveChoice::Cancel: return false;
    }
    return false;
}

}  // namespace mv
