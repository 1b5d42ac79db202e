// Rows at chosen cut-offs, and two gears compared: what differs and by how much.
#include "analysis/compare.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "model/dimensions.hpp"
#include "model/model.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

Model DefaultGear() {
    Model m;
    StartUp(m);
    return m;
}

TEST(Compare, AGearAgainstItselfDiffersNowhere) {
    const Model m = DefaultGear();
    for (const GearComparison& c :
         {CompareAtNotches(m, m, DefaultCompareNotches(), Directions::Both),
          CompareAtCutoffs(m, m, std::vector<float>{25, 50}, Directions::Both)}) {
        EXPECT_TRUE(c.dimensions.empty());
        ASSERT_FALSE(c.rows.empty());
        for (const ComparedRow& r : c.rows) {
            const std::optional<EventRow> d = r.Difference();
            ASSERT_TRUE(d);
            for (const EventColumn& col : EventColumns()) {
                if (!col.value) continue;
                const std::optional<float> v = col.value(*d);
                // Both or neither gear have each event; where they have it, it is the same.
                EXPECT_EQ(v.has_value(), r.a && col.value(*r.a).has_value()) << col.key;
                if (v) {
                    EXPECT_EQ(*v, 0.0f) << col.key;
                }
            }
        }
        EXPECT_EQ(ComparisonJson(c).find("\"dimensions\":[]"), 1u);
        EXPECT_NE(ComparisonText(c, "a", "a").find("No dimension differs."), std::string::npos);
    }
    EXPECT_EQ(CompareAtNotches(m, m, DefaultCompareNotches(), Directions::Both).rows.size(),
              2u * kDefaultEventRows);
}

TEST(Compare, OneChangedDimensionIsTheOnlyOneListed) {
    const Model a = DefaultGear();
    Model b = DefaultGear();
    StoreDimension(b, 6, 8.55f);  // eccentric rod, left end
    ComputeMidGear(b);
    const float notches[] = {0.5f, 1};
    const GearComparison c = CompareAtNotches(a, b, notches, Directions::Forward);
    ASSERT_EQ(c.dimensions.size(), 1u);
    const DimensionDifference& d = c.dimensions[0];
    EXPECT_EQ(d.id, 6u);
    EXPECT_STREQ(d.name, "Ecc Rod Left End");
    EXPECT_EQ(d.a, 8.47f);
    EXPECT_EQ(d.b, 8.55f);
    EXPECT_NEAR(d.diff, 0.08f, 1e-6);

    // The events follow: B - A is B's value less A's, column by column.
    ASSERT_EQ(c.rows.size(), 2u);
    const ComparedRow& r = c.rows[1];
    const EventRow diff = *r.Difference();
    EXPECT_EQ(*diff.front.cutoff, *r.b->front.cutoff - *r.a->front.cutoff);
    EXPECT_NE(*diff.front.cutoff, 0.0f);

    // Each form names the dimension once, with the three values.
    const std::string json = ComparisonJson(c);
    EXPECT_NE(json.find("{\"id\":6,\"name\":\"Ecc Rod Left End\",\"a\":8.47,\"b\":8.55,"),
              std::string::npos)
        << json;
    const std::string csv = ComparisonCsv(c);
    EXPECT_EQ(csv.substr(0, csv.find("\n\n")),
              "id,name,a,b,diff\n6,Ecc Rod Left End,8.47,8.55," + FormatShortest(d.diff));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2 + 1 + 1 + 3 * 2);
}

TEST(Compare, AMissingEventHasNoDifference) {
    EventRow a, b;
    a.front.cutoff = 20;
    b.front.cutoff = 30;
    a.rear.release = 80;  // b has none
    a.geometryError = false;
    b.geometryError = true;
    const EventRow d = RowDifference(a, b);
    EXPECT_EQ(d.front.cutoff, 10.0f);
    EXPECT_FALSE(d.rear.release);
    EXPECT_TRUE(d.geometryError);
    ComparedRow half{SweepDirection::Forward, 0.5f, a, std::nullopt};
    EXPECT_FALSE(half.Difference());
    GearComparison c;
    c.rows.push_back(half);
    EXPECT_NE(ComparisonJson(c).find("\"b\":null,\"diff\":null"), std::string::npos);
}

}  // namespace
}  // namespace mv
