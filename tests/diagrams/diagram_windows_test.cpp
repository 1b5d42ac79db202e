// The diagram windows: timer, bars sharing the main window's slot memories, UnDo, DynamicVari,
// mouse-move redraw, the port window's graph modes and export.
#include "diagrams/diagram_windows.hpp"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "diagrams/rev_arm_positions.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "support/widgets_support.hpp"

namespace mv {
namespace {

class DiagramWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        StartUp(m);
        NormalizeRevArmPositions(m);
    }
    std::unique_ptr<DiagramWindow> Open(DiagramKind kind) {
        auto w = std::make_unique<DiagramWindow>(m, controls, kind);
        w->show();
        QCoreApplication::processEvents();
        return w;
    }
    // Two committed dimensions: main rod in slot 2, eccentric crank in slot 1.
    void SelectTwoDimensions() {
        CommitDimension(m, 3, m.frame.mainRod);
        CommitDimension(m, 5, m.frame.eccCrankLen);
        ASSERT_EQ(m.dynSlots[2].id, 3u);
    }

    Model m;
    mvtest::FakeControls controls;
};

bool SameImage(const QImage& a, const QImage& b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

TEST_F(DiagramWindowTest, TimerIsOffWhileAWindowIsOpen) {
    auto w = Open(DiagramKind::Sine);
    EXPECT_EQ(controls.timer, std::vector<bool>{false});
    w->CloseButton()->click();
    EXPECT_EQ(controls.timer, (std::vector<bool>{false, true}));
    EXPECT_FALSE(w->isVisible());
}

TEST_F(DiagramWindowTest, OpeningDrawsTheDiagram) {
    for (const DiagramKindInfo& info : DiagramKinds()) {
        if (!info.draw) continue;  // the valve-event table has a window of its own
        const std::unique_ptr<DiagramWindow> w = Open(info.kind);
        const int kind = static_cast<int>(info.kind);
        const QImage& img = w->Image();
        ASSERT_GE(img.width(), kDiagramWidth);
        ASSERT_GE(img.height(), DiagramClientSize(w->Kind()).height());
        int ink = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) ink += (img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        EXPECT_GT(ink, 3000) << kind;
        // Bars and UnDo start hidden.
        for (int k = 1; k <= 4; ++k) EXPECT_FALSE(w->Bar(k)->isVisible());
        EXPECT_FALSE(w->UndoButton()->isVisible());
        EXPECT_FALSE(w->UndoButton()->isEnabled());
    }
}

TEST_F(DiagramWindowTest, SteamWindowOpensInTheNormalState) {
    auto w = Open(DiagramKind::Steam);
    EXPECT_FALSE(w->windowState() & Qt::WindowMinimized);
}

TEST_F(DiagramWindowTest, BarTwoSharesItsMemoryWithTheMainWindowsBarTwo) {
    SelectTwoDimensions();
    auto w = Open(DiagramKind::Oval);
    w->DynVariClick();
    ASSERT_TRUE(w->Bar(2)->isVisible());
    ASSERT_TRUE(w->Bar(2)->isEnabled());
    EXPECT_FALSE(w->Bar(3)->isEnabled());  // empty slot

    const float start = m.frame.mainRod;
    w->Bar(2)->setValue(37);  // a thumb drag to 37
    EXPECT_NEAR(m.frame.mainRod - start, 0.037f, 1e-5f);
    EXPECT_EQ(w->Bar(2)->value(), 0);
    DynamicBarChanged(m, 2, -1);  // the main window's bar 2: one arrow click left
    EXPECT_NEAR(m.frame.mainRod - start, 0.036f, 1e-5f);

    // And the other way round: main window first, then the diagram's bar.
    const float mid = m.frame.mainRod;
    DynamicBarChanged(m, 2, 0);  // the main bar snapping back
    DynamicBarChanged(m, 2, 37);
    DynamicBarChanged(m, 2, 0);
    EXPECT_NEAR(m.frame.mainRod - mid, 0.037f, 1e-5f);
    w->Bar(2)->setValue(-1);
    EXPECT_NEAR(m.frame.mainRod - mid, 0.036f, 1e-5f);
}

TEST_F(DiagramWindowTest, EveryPortBarFollowsTheJogRule) {
    CommitDimension(m, 3, m.frame.mainRod);
    CommitDimension(m, 5, m.frame.eccCrankLen);
    CommitDimension(m, 4, m.frame.eccCircleDia);
    CommitDimension(m, 6, m.frame.eccRodLeft);
    auto w = Open(DiagramKind::Port);
    w->DynVariClick();
    for (int k = 1; k <= 4; ++k) {
        const DimensionId id = m.dynSlots[k].id;
        const float before = GetDimension(m, id);
        w->Bar(k)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_NEAR(GetDimension(m, id) - before, 0.001f, 1e-5f) << k;
        w->Bar(k)->triggerAction(QAbstractSlider::SliderPageStepSub);
        EXPECT_NEAR(GetDimension(m, id) - before, -0.009f, 1e-5f) << k;
        EXPECT_EQ(w->Bar(k)->value(), 0);
    }
}

TEST_F(DiagramWindowTest, EndOfABarMovementRecordsAnUndoEntry) {
    SelectTwoDimensions();
    auto w = Open(DiagramKind::Sine);
    w->DynVariClick();
    const float start = m.frame.mainRod;
    w->BarEnter(2);
    w->Bar(2)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    w->BarScrollEnded(2);
    EXPECT_EQ(m.undo[1].id, 3);
    EXPECT_EQ(m.undo[1].oldValue, start);
    EXPECT_EQ(m.undo[1].newValue, m.frame.mainRod);
    EXPECT_FALSE(m.pendingEdit);
    EXPECT_TRUE(m.undoEnabled);
    EXPECT_TRUE(w->UndoButton()->isEnabled());  // follows the model
    EXPECT_TRUE(w->CloseButton()->hasFocus());
}

TEST_F(DiagramWindowTest, AWheelTurnOnABarIsUndoableToo) {
    SelectTwoDimensions();
    auto w = Open(DiagramKind::Steam);
    w->DynVariClick();
    const float start = m.frame.eccCrankLen;
    QWheelEvent wheel(QPointF(50, 5), w->Bar(1)->mapToGlobal(QPointF(50, 5)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w->Bar(1), &wheel);
    QCoreApplication::processEvents();
    ASSERT_NE(m.frame.eccCrankLen, start);
    EXPECT_EQ(w->Bar(1)->value(), 0);
    EXPECT_EQ(m.undo[1].id, 5);
    EXPECT_EQ(m.undo[1].oldValue, start);
    EXPECT_EQ(m.undo[1].newValue, m.frame.eccCrankLen);
}

TEST_F(DiagramWindowTest, UnDoButtonUndoesOrDisablesItself) {
    SelectTwoDimensions();
    auto w = Open(DiagramKind::Sine);
    w->UnDoMenuClick();  // show the undo line and the button
    ASSERT_TRUE(w->UndoButton()->isVisible());
    m.pendingEdit = true;
    const float before = m.frame.mainRod;
    CommitDimension(m, 3, before + 1);
    ASSERT_TRUE(w->UndoButton()->isEnabled());
    w->UnDoButtonClick();
    EXPECT_EQ(m.frame.mainRod, before);
    EXPECT_FALSE(w->UndoButton()->isEnabled());
    // With nothing to undo the button switches undo off everywhere.
    SetUndoEnabled(m, true);
    w->UnDoButtonClick();
    EXPECT_FALSE(m.undoEnabled);
    EXPECT_FALSE(w->UndoButton()->isEnabled());
}

TEST_F(DiagramWindowTest, UnDoMenuTogglesTheUndoLine) {
    auto w = Open(DiagramKind::Oval);
    w->UnDoMenuClick();
    EXPECT_TRUE(m.display.undoLineVisible);
    EXPECT_TRUE(w->UndoButton()->isVisible());
    EXPECT_FALSE(m.undoLineText.empty());
    w->UnDoMenuClick();
    EXPECT_FALSE(m.display.undoLineVisible);
    EXPECT_FALSE(w->UndoButton()->isVisible());
}

TEST_F(DiagramWindowTest, DynamicVariTellsTheMainWindow) {
    auto w = Open(DiagramKind::Steam);
    w->Action(QStringLiteral("DynamicVari"))->trigger();
    EXPECT_TRUE(m.display.dynamicVariablesVisible);
    EXPECT_EQ(controls.barsVisible, std::vector<bool>{true});
    for (int k = 1; k <= 4; ++k) {
        EXPECT_TRUE(w->Bar(k)->isVisible());
        EXPECT_FALSE(w->Bar(k)->isEnabled());  // no dimension selected yet
    }
    w->Action(QStringLiteral("DynamicVari"))->trigger();
    EXPECT_EQ(controls.barsVisible, (std::vector<bool>{true, false}));
    EXPECT_FALSE(w->Bar(1)->isVisible());
}

TEST_F(DiagramWindowTest, MouseMoveRedrawsOnlyAfterThePositionsDialog) {
    auto w = Open(DiagramKind::Sine);
    const QImage before = w->Image();
    m.revArmPositions[4] = m.revArmPositions[0] + 0.3f;
    NormalizeRevArmPositions(m);
    QTest::mouseMove(w->Surface(), QPoint(300, 200));
    EXPECT_TRUE(SameImage(before, w->Image()));  // nothing pending
    m.diagramRedrawPending = true;
    QMouseEvent move(QEvent::MouseMove, QPointF(310, 210), QPointF(310, 210), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w->Surface(), &move);
    EXPECT_FALSE(m.diagramRedrawPending);
    EXPECT_FALSE(SameImage(before, w->Image()));
}

TEST_F(DiagramWindowTest, PortWindowHasNoMouseMoveRedraw) {
    auto w = Open(DiagramKind::Port);
    m.diagramRedrawPending = true;
    w->FormMouseMove();
    EXPECT_TRUE(m.diagramRedrawPending);
}

TEST_F(DiagramWindowTest, PortGraphModes) {
    auto w = Open(DiagramKind::Port);
    ASSERT_NE(w->Action(QStringLiteral("ReverseGraph")), nullptr);
    w->Action(QStringLiteral("ReverseGraph"))->trigger();
    EXPECT_EQ(m.portSelector, 'R');
    const QImage reverse = w->Image();
    w->Action(QStringLiteral("BothGraphs"))->trigger();
    EXPECT_EQ(m.portSelector, 'B');
    const QImage both = w->Image();
    EXPECT_FALSE(SameImage(reverse, both));
    // In mode B every trigger runs both graphs, the end of a bar movement and the UnDo menu
    // entry included.
    SelectTwoDimensions();
    w->BarScrollEnded(2);
    EXPECT_EQ(m.portSelector, 'B');
    EXPECT_TRUE(SameImage(both, w->Image()));
    w->UnDoMenuClick();
    w->UnDoMenuClick();
    EXPECT_EQ(m.portSelector, 'B');
    EXPECT_TRUE(SameImage(both, w->Image()));
    w->Action(QStringLiteral("ForwardGraph"))->trigger();
    EXPECT_EQ(m.portSelector, 'F');
}

TEST_F(DiagramWindowTest, ExportWritesWhatTheWindowShows) {
    auto w = Open(DiagramKind::Port);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    const QString png = dir.filePath(QStringLiteral("port.png"));
    ASSERT_TRUE(w->ExportTo(png, &error)) << error.toStdString();
    EXPECT_TRUE(SameImage(QImage(png), w->Image()));
    for (const char* ext : {"svg", "pdf"}) {
        const QString path = dir.filePath(QStringLiteral("port.") + QLatin1String(ext));
        ASSERT_TRUE(w->ExportTo(path, &error)) << error.toStdString();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(64);
        EXPECT_TRUE(head.contains(ext[0] == 's' ? "<?xml" : "%PDF")) << ext;
    }
    EXPECT_FALSE(w->ExportTo(dir.filePath(QStringLiteral("port.bmp")), &error));
    EXPECT_FALSE(w->ExportTo(dir.filePath(QStringLiteral("missing/port.png")), &error));
}

}  // namespace
}  // namespace mv
