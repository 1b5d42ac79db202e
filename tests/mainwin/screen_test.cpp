// The main window on a large screen: the buffer follows the window, Fit, the wheel and the middle
// button, dialogs beside the picture, a timer that rests, and no dimensions lost unasked.
#include <QTemporaryDir>
#include <QToolBar>
#include <QWheelEvent>
#include <algorithm>

#include "main_form_fixture.hpp"
#include "model/dimensions.hpp"
#include "model/solver.hpp"
#include "model/view.hpp"

namespace {

using mvtest::MainFormTest;

class ScreenTest : public MainFormTest {
protected:
    // Bounds of everything the frame drew, in picture pixels (the screen data is off).
    QRect DrawnBounds() {
        m.display.screenData = false;
        form->Timer1Timer();
        const QImage img = form->Buffer().copy(QRect(QPoint(), form->Buffer().size()));
        int l = img.width(), r = -1, t = img.height(), b = -1;
        for (int y = 0; y < img.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                if ((line[x] & 0xFFFFFF) == 0xFFFFFF) continue;
                l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
            }
        }
        return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
    }

    void ExpectFramed(const char* gear) {
        form->FitView();
        const QRect area = form->FitArea();
        const QRect drawn = DrawnBounds();
        SCOPED_TRACE(gear);
        ASSERT_FALSE(drawn.isEmpty());
        // Inside the area, the margin kept but for the pivot circles and line ends.
        EXPECT_TRUE(area.adjusted(8, 8, -8, -8).contains(drawn))
            << drawn.x() << "," << drawn.y() << " " << drawn.width() << "x" << drawn.height();
        // And filling it one way or the other.
        EXPECT_TRUE(drawn.width() > area.width() * 8 / 10 ||
                    drawn.height() > area.height() * 8 / 10)
            << drawn.width() << "x" << drawn.height();
    }
};

TEST_F(ScreenTest, TheBufferAndTheToolBarFollowTheWindow) {
    EXPECT_GE(form->Buffer().width(), mv::kPictureWidth);
    EXPECT_GE(form->Buffer().height(), mv::kPictureHeight);
    form->resize(1700, 1300);
    QApplication::processEvents();
    ASSERT_GE(Picture()->width(), 1700);
    EXPECT_GE(form->Buffer().width(), Picture()->width());
    EXPECT_GE(form->Buffer().height(), Picture()->height());
    EXPECT_EQ(W<QToolBar>("ToolBar1")->width(), Picture()->width());
    // The frame covers the whole of it: nothing left black at the far corner.
    form->Timer1Timer();
    EXPECT_EQ(form->Buffer().pixel(Picture()->width() - 1, Picture()->height() - 1) & 0xFFFFFF,
              0xFFFFFFu);
}

TEST_F(ScreenTest, FitFramesDefaultLongAndTinyGears) {
    ExpectFramed("default");
    form->resize(1400, 900);
    QApplication::processEvents();
    ExpectFramed("default, larger window");

    m.frame.mainRod *= 3;
    ComputeMidGear(m);
    ExpectFramed("long main rod");

    mv::StartUp(m);
    for (const auto infos : {mv::FrameDimensionInfo(), mv::CylinderDimensionInfo()})
        for (const mv::DimensionInfo& d : infos)
            mv::StoreDimension(m, d.id, mv::GetDimension(m, d.id) / 50);
    ComputeMidGear(m);
    ExpectFramed("tiny gear");

    // The pan and zoom bars go on from the fitted view.
    const mv::ViewTransform fitted = m.view;
    Bar("SBPanHorz")->setValue(1);
    EXPECT_GT(m.view.ox, fitted.ox);
    EXPECT_EQ(m.view.scale, fitted.scale);
}

TEST_F(ScreenTest, WheelZoomsAboutTheCursorAndTheMiddleButtonPans) {
    const QPoint at(400, 250);
    const mv::WorldPoint before = mv::ScreenToWorld(m.view, at.x(), at.y());
    const float scale = m.view.scale;
    QWheelEvent up(at, Picture()->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(Picture(), &up);
    EXPECT_NEAR(m.view.scale, scale * 1.1f, scale * 1e-4f);
    const mv::WorldPoint after = mv::ScreenToWorld(m.view, at.x(), at.y());
    EXPECT_NEAR(after.h, before.h, 1.0f / m.view.scale);
    EXPECT_NEAR(after.v, before.v, 1.0f / m.view.scale);

    const mv::ViewTransform v = m.view;
    QTest::mousePress(Picture(), Qt::MiddleButton, {}, QPoint(300, 200));
    QMouseEvent move(QEvent::MouseMove, QPointF(340, 170),
                     Picture()->mapToGlobal(QPointF(340, 170)), Qt::NoButton, Qt::MiddleButton,
                     Qt::NoModifier);
    QApplication::sendEvent(Picture(), &move);
    QTest::mouseRelease(Picture(), Qt::MiddleButton, {}, QPoint(340, 170));
    EXPECT_FLOAT_EQ(m.view.ox, v.ox + 40);
    EXPECT_FLOAT_EQ(m.view.oy, v.oy - 30);
    EXPECT_FLOAT_EQ(m.view.scale, v.scale);
    EXPECT_TRUE(Button("NormVHZ")->isEnabled());
}

TEST_F(ScreenTest, DialogsOpenBesideThePictureAndWhereTheyWereLeft) {
    form->move(0, 0);
    QDialog* frame = windows.frameDi;
    frame->resize(150, 120);
    QRect shownAt;
    QPoint userPlace(600, 450);
    int opens = 0;
    form->runModal = [&](QDialog* d) {
        shownAt = QRect(d->pos(), d->size());
        if (++opens == 1) d->move(userPlace);  // the user drags it away, then closes it
    };
    Action("FrameDim")->trigger();
    const QRect picture(Picture()->mapToGlobal(QPoint()), Picture()->size());
    EXPECT_FALSE(shownAt.intersects(picture)) << shownAt.x() << "," << shownAt.y();
    Action("FrameDim")->trigger();
    EXPECT_EQ(shownAt.topLeft(), userPlace);
}

TEST_F(ScreenTest, StoppedAndUntouchedNothingIsRedrawn) {
    mv::MainFormOptions opt;
    opt.fps = 200;
    opt.quietAfterMs = 30;
    mv::TMainForm quiet(m, opt);
    quiet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&quiet));
    int paints = 0;
    struct Counter : QObject {
        int* n;
        explicit Counter(int* c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++*n;
            return false;
        }
    } counter(&paints);
    quiet.Picture()->installEventFilter(&counter);
    QTest::qWait(150);
    EXPECT_GT(paints, 3) << "running, every frame is shown";
    quiet.SetRunning(false);
    QTest::qWait(150);
    paints = 0;
    const QString title = quiet.windowTitle();
    QTest::qWait(1300);
    EXPECT_EQ(paints, 0);
    EXPECT_NE(quiet.windowTitle(), title) << "the captions' clock goes on";
    // A key wakes it.
    QTest::keyClick(&quiet, Qt::Key_Shift);
    QTest::qWait(100);
    EXPECT_GT(paints, 0);
}

TEST_F(ScreenTest, KeysOfADesktopProgram) {
    ASSERT_TRUE(form->Running());
    QTest::keyClick(form.get(), Qt::Key_F5);
    EXPECT_FALSE(form->Running());
    QTest::keyClick(form.get(), Qt::Key_F5);
    EXPECT_TRUE(form->Running());
    const mv::ViewTransform v = m.view;
    QTest::keyClick(form.get(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_NE(m.view.scale, v.scale);
    EXPECT_EQ(Action("OpenDimensions")->shortcut(), QKeySequence(QKeySequence::Open));
    EXPECT_EQ(Action("SaveAsDimensions")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
}

TEST_F(ScreenTest, ChangedDimensionsAreNotLostUnasked) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.dst"));
    std::vector<mv::SaveChoice> answers;
    int asked = 0, chosen = 0;
    form->askToSave = [&] { return answers[static_cast<std::size_t>(asked++)]; };
    form->chooseFile = [&](mv::FileCommand) {
        ++chosen;
        return path;
    };
    m.frame.mainRod += 1;
    EXPECT_TRUE(form->DimensionsChanged());
    answers = {mv::SaveChoice::Cancel, mv::SaveChoice::Cancel, mv::SaveChoice::Save};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    Action("OpenDimensions")->trigger();
    EXPECT_EQ(chosen, 0) << "cancelled before a file was chosen";
    // Saving first: the file is written, then the window may close.
    EXPECT_TRUE(form->close());
    EXPECT_EQ(chosen, 1);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(form->DimensionsChanged());
    form->show();
    EXPECT_TRUE(form->close()) << "nothing changed since: no question";
    EXPECT_EQ(asked, 3);
}

}  // namespace
