// The table of diagram kinds: what the menu, the windows and merrovan-cli find in it.
#include "diagrams/diagram_kinds.hpp"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <set>
#include <string>

#include "diagram_support.hpp"

namespace mv {
namespace {

TEST(DiagramKinds, NamesAreUniqueAndEveryDrawingHasItsCliName) {
    std::set<std::string> menus, tools, windows, cli;
    for (const DiagramKindInfo& k : DiagramKinds()) {
        EXPECT_EQ(&KindInfo(k.kind), &k) << "the table is indexed by its kind";
        EXPECT_TRUE(menus.insert(k.menuName).second) << k.menuName;
        EXPECT_TRUE(tools.insert(k.toolName).second) << k.toolName;
        EXPECT_TRUE(windows.insert(k.windowName).second) << k.windowName;
        EXPECT_FALSE(k.clientSize.isEmpty()) << k.menuName;
        ASSERT_NE(k.paintIcon, nullptr) << k.menuName;
        if (!k.draw) continue;
        ASSERT_NE(k.cliName, nullptr) << k.menuName;
        EXPECT_TRUE(cli.insert(k.cliName).second) << k.cliName;
        EXPECT_EQ(DiagramKindByCliName(k.cliName), k.kind);
        // A diagram window has everything its controls are named after.
        EXPECT_NE(k.closeName, nullptr);
        EXPECT_NE(k.barName, nullptr);
        EXPECT_NE(k.reDrawCaption, nullptr);
        EXPECT_NE(k.captionTitle, nullptr);
    }
    EXPECT_EQ(DiagramCliNames(), "sine, oval, steam, port or indicator");
    EXPECT_EQ(DiagramCliNames("|"), "sine|oval|steam|port|indicator");
    EXPECT_FALSE(DiagramKindByCliName("events"));
    EXPECT_FALSE(DiagramKindByCliName(""));
}

TEST(DiagramKinds, TheValveEventTableIsAWindowButNoDrawing) {
    const DiagramKindInfo& k = KindInfo(DiagramKind::ValveEvents);
    EXPECT_EQ(k.draw, nullptr);
    EXPECT_EQ(k.cliName, nullptr);
    EXPECT_EQ(k.captionTitle, nullptr) << "the frames leave its title alone";
    Model m = test::StartModel();
    const float angle = m.gear.driverAngle;
    const QImage img = test::Render(DiagramKind::ValveEvents, m);
    EXPECT_EQ(img.size(), QSize(1200, 900));
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7) ASSERT_EQ(img.pixel(x, y), 0xFFFFFFFFu);
    EXPECT_EQ(m.gear.driverAngle, angle);
}

}  // namespace
}  // namespace mv
