// Number text that every dialog and picture uses.
#include "model/text.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

TEST(ParseLenient, LeadingWellFormedPart) {
    EXPECT_FLOAT_EQ(mv::ParseLenient("7.5"), 7.5f);
    EXPECT_FLOAT_EQ(mv::ParseLenient("   -2.25"), -2.25f);
    EXPECT_FLOAT_EQ(mv::ParseLenient("+3"), 3.0f);
    EXPECT_FLOAT_EQ(mv::ParseLenient(".5"), 0.5f);
    EXPECT_FLOAT_EQ(mv::ParseLenient("5."), 5.0f);
    EXPECT_FLOAT_EQ(mv::ParseLenient("1e2"), 100.0f);
    EXPECT_FLOAT_EQ(mv::ParseLenient("1.5e-1x"), 0.15f);
    EXPECT_FLOAT_EQ(mv::ParseLenient("2e"), 2.0f);
    EXPECT_FLOAT_EQ(mv::ParseLenient("12-3"), 12.0f) << "a minus between digits ends the number";
    EXPECT_FLOAT_EQ(mv::ParseLenient("3.4.5"), 3.4f);
}

TEST(ParseLenient, NothingWellFormedIsZero) {
    for (const char* s : {"", "-", ".", "-.", "abc", " ", "e5", "--1"})
        EXPECT_EQ(mv::ParseLenient(s), 0.0f) << s;
}

TEST(ParseLenient, OutOfRangeSaturates) {
    EXPECT_EQ(mv::ParseLenient("1e30"), 1e30f);
    EXPECT_EQ(mv::ParseLenient("1e400"), std::numeric_limits<float>::max());
    EXPECT_EQ(mv::ParseLenient("-1e400"), -std::numeric_limits<float>::max());
    EXPECT_EQ(mv::ParseLenient("1e-400"), 0.0f);
    EXPECT_EQ(mv::ParseLenient("nan"), 0.0f);
    EXPECT_EQ(mv::ParseLenient("inf"), 0.0f);
}

TEST(ParseStrict, WholeTextMustBeANumber) {
    double v = 0;
    EXPECT_TRUE(mv::ParseStrict("3.25", v));
    EXPECT_EQ(v, 3.25);
    EXPECT_TRUE(mv::ParseStrict("-1e-3", v));
    EXPECT_FALSE(mv::ParseStrict("3.25x", v));
    EXPECT_FALSE(mv::ParseStrict("", v));
    EXPECT_FALSE(mv::ParseStrict("1e999", v));
    EXPECT_FALSE(mv::ParseStrict("nan", v));
}

TEST(FormatFixed, WidthAndDecimals) {
    EXPECT_EQ(mv::FormatFixed(7.0, 5, 3), "7.000");
    EXPECT_EQ(mv::FormatFixed(3.76928, 6, 3), " 3.769");
    EXPECT_EQ(mv::FormatFixed(-0.5, 7, 2), "  -0.50");
    EXPECT_EQ(mv::FormatFixed(123456.0, 3, 1), "123456.0") << "never cut";
    EXPECT_EQ(mv::FormatFixed(2.5, 4, 0), "   2") << "ties to even";
    EXPECT_EQ(mv::FormatField(1234567.0, 5, 3), "1234567.00") << "cut to 10 characters";
}

TEST(FormatFixed, TooWideForItsFieldShowsStars) {
    EXPECT_EQ(mv::FormatFixedOrStars(3.76928, 6, 3), " 3.769");
    EXPECT_EQ(mv::FormatFixedOrStars(-12.5, 6, 3), "******") << "the sign counts";
    EXPECT_EQ(mv::FormatFixedOrStars(1e41, 6, 2), "******");
    EXPECT_EQ(mv::FormatFixedOrStars(std::numeric_limits<double>::infinity(), 4, 1), " INF");
    EXPECT_EQ(mv::FormatFixedOrStars(5.0, 0, 1), "5.0") << "no width, nothing to overflow";
}

TEST(FormatFixed, EditableFieldsFallBackToExponentForm) {
    EXPECT_EQ(mv::FormatFieldFit(7.0, 5, 3), "7.000");
    EXPECT_EQ(mv::FormatFieldFit(1234567.0, 5, 3), "1234567.00") << "decimals may be cut";
    EXPECT_EQ(mv::FormatFieldFit(1234567890.0, 5, 3), "1234567890");
    EXPECT_EQ(mv::FormatFieldFit(12345678901.0, 5, 3), "1.235e+10");
    EXPECT_EQ(mv::FormatFieldFit(1e30, 5, 3), "1.000e+30");
    EXPECT_EQ(mv::FormatFieldFit(-3.4e38, 5, 3), "-3.400e+38");
    EXPECT_FLOAT_EQ(mv::ParseLenient(mv::FormatFieldFit(1e30, 5, 3)), 1e30f) << "reads back";
    EXPECT_EQ(mv::FormatFieldFit(-1e30, 7, 3, 6), "-1e+30");
    EXPECT_EQ(mv::FormatFieldFit(1e30, 7, 3, 4), "****") << "not even the exponent fits";
}

TEST(FormatFixed, NonFiniteAndHugeValuesDoNotBreak) {
    EXPECT_EQ(mv::FormatFixed(std::numeric_limits<double>::quiet_NaN(), 6, 3), "   NAN");
    EXPECT_EQ(mv::FormatFixed(std::numeric_limits<double>::infinity(), 4, 1), " INF");
    EXPECT_EQ(mv::FormatFixed(-std::numeric_limits<double>::max(), 6, 3).size(), 314u);
}

TEST(FormatFixed, IgnoresTheLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale";
    EXPECT_EQ(mv::FormatFixed(1.5, 4, 2), "1.50");
    EXPECT_FLOAT_EQ(mv::ParseLenient("1.5"), 1.5f);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatSignificant, NineDigits) {
    EXPECT_EQ(mv::FormatSignificant(3.7692861557006836, 9), "3.76928616");
    EXPECT_EQ(mv::FormatSignificant(0.0, 9), "0");
    EXPECT_EQ(mv::FormatSignificant(1.5, 9), "1.5");
}

// Shortest text that reads back as the same float, for JSON and CSV.
TEST(FormatShortest, RoundTripsEveryFloatInTheFewestDigits) {
    EXPECT_EQ(mv::FormatShortest(11.1f), "11.1");
    EXPECT_EQ(mv::FormatShortest(-std::numeric_limits<float>::infinity()), "-1e999");
    for (float f : {3.7692862f, 1.0f / 3.0f, std::numeric_limits<float>::denorm_min(), -7.5e20f})
        EXPECT_EQ(std::strtof(mv::FormatShortest(f).c_str(), nullptr), f) << f;
}

}  // namespace
