// Grabs every dialog of this folder to PNG files for a visual check. Runs only when
// MERROVAN_SCREENSHOT_DIR names a folder (under a real display: QT_QPA_PLATFORM=xcb).
#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <memory>

#include "aids/data_table.hpp"
#include "aids/lines_dialog.hpp"
#include "dialogs/dimension_dialogs.hpp"
#include "dialogs/setting_dialogs.hpp"
#include "help/help_windows.hpp"
#include "model/solver.hpp"
#include "support/widgets_support.hpp"

namespace {

TEST(Screenshots, EveryDialog) {
    const QString dir = qEnvironmentVariable("MERROVAN_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set MERROVAN_SCREENSHOT_DIR to take screenshots";
    mvtest::EnsureApplication();
    mv::Model m;
    mv::StartUp(m);
    mv::SolveLinkage(m);
    for (int k = 1; k <= 6; ++k) m.picks[k] = mv::PickSlot{static_cast<float>(k + 1), true};
    m.lines.entries[0] = mv::LineEntry{0, 1, 3, 2, 9, 0, 0, 0.5f, 0};
    m.lines.entries[1] = mv::LineEntry{1, 4, 1, 11, 0, 0, 0, 1.25f, 0};
    mvtest::FakeControls c(m);

    std::vector<std::pair<QString, std::unique_ptr<QWidget>>> all;
    all.emplace_back("frame", std::make_unique<mv::TFrameDi>(m));
    all.emplace_back("cylinder", std::make_unique<mv::TCylDimen>(m));
    all.emplace_back("revpos", std::make_unique<mv::TRevPos>(m));
    all.emplace_back("drivang", std::make_unique<mv::TDrivAng>(m, c));
    all.emplace_back("stpang", std::make_unique<mv::TStpAng>(m, c));
    all.emplace_back("refpnts", std::make_unique<mv::TRefPnts>(m, c));
    all.emplace_back("graphzoom", std::make_unique<mv::TGraphZoom>(m));
    all.emplace_back("drawlines", std::make_unique<mv::TDrawLines>(m, c));
    all.emplace_back("datatable", std::make_unique<mv::TDataTable>(m));
    all.emplace_back("inst", std::make_unique<mv::TInst>(m));
    all.emplace_back("mvospinst", std::make_unique<mv::TMvOSpInst>(m));
    all.emplace_back("about", std::make_unique<mv::TAboutBox>(m));
    for (auto& [name, w] : all) {
        ASSERT_TRUE(mvtest::ShowActive(*w)) << name.toStdString();
        QTest::qWait(150);
        EXPECT_TRUE(w->grab().save(QDir(dir).filePath(name + ".png"))) << name.toStdString();
        w->hide();
    }
}

}  // namespace

namespace {

// For driving the frame dialog by hand or with xdotool on a real display: opens it for
// MERROVAN_INTERACTIVE_MS milliseconds and prints what reached the model.
TEST(Screenshots, InteractiveFrameDialog) {
    const int ms = qEnvironmentVariableIntValue("MERROVAN_INTERACTIVE_MS");
    if (ms <= 0) GTEST_SKIP() << "set MERROVAN_INTERACTIVE_MS to drive the dialog by hand";
    mvtest::EnsureApplication();
    mv::Model m;
    mv::StartUp(m);
    mv::TFrameDi dlg(m);
    dlg.move(100, 100);
    ASSERT_TRUE(mvtest::ShowActive(dlg));
    QTest::qWait(ms);
    std::printf("driverDia %g stroke %g undo %d slot1 %u pending %d visible %d\n",
                m.frame.driverDia, m.frame.stroke, m.undoCount, m.dynSlots[1].id, m.pendingEdit,
                dlg.isVisible());
}

}  // namespace
