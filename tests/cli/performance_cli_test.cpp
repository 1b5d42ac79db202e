// merrovan-cli performance as a user runs it: keys, defaults, the cards and the refusals.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <cmath>

#include "support/cli_process.hpp"

namespace {

using RunResult = mvtest::CliRun;

RunResult Performance(const QStringList& args) {
    return mvtest::RunMerrovanCli(QStringList{"performance"} + args);
}

QJsonObject Json(const RunResult& r) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    return doc.object();
}

TEST(PerformanceCli, DefaultsKeysAndRows) {
    const RunResult r = Performance({"--pressure", "100"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = Json(r);
    EXPECT_EQ(o["pressure"].toDouble(), 100);
    EXPECT_EQ(o["back_pressure"].toDouble(), 15);
    EXPECT_EQ(o["clearance"].toDouble(), 8);
    EXPECT_EQ(o["rod_dia"].toDouble(), 0);
    EXPECT_EQ(o["cylinders"].toDouble(), 2);
    const QJsonArray rows = o["rows"].toArray();
    ASSERT_EQ(rows.size(), 8);  // four notches, both directions
    const double notches[] = {0.25, 0.5, 0.75, 1};
    for (int k = 0; k < rows.size(); ++k) {
        const QJsonObject row = rows[k].toObject();
        EXPECT_EQ(row["direction"].toString(), k < 4 ? "fwd" : "rev");
        EXPECT_EQ(row["notch"].toDouble(), notches[k % 4]);
        for (const char* key : {"revarm", "work_per_turn", "tractive_effort", "work_imbalance"})
            EXPECT_TRUE(row[key].isDouble()) << key;
        EXPECT_EQ(row["geometry_error"], false);
        for (const char* end : {"front", "rear"}) {
            const QJsonObject e = row[end].toObject();
            EXPECT_TRUE(e["work"].isDouble() && e["mep"].isDouble());
            EXPECT_FALSE(e.contains("card")) << "only with --card-points";
        }
        const double f = row["front"]["work"].toDouble(), b = row["rear"]["work"].toDouble();
        EXPECT_NEAR(row["work_per_turn"].toDouble(), 2 * (f + b), 1e-3 * (f + b));
        EXPECT_NEAR(row["tractive_effort"].toDouble(), 2 * (f + b) / (M_PI * 7), 1e-3 * (f + b));
    }
    // More cylinders, a rod and the other formats.
    const QJsonObject three =
        Json(Performance({"--pressure", "100", "--cylinders", "3", "--rod-dia", "0.5"}));
    EXPECT_EQ(three["cylinders"].toDouble(), 3);
    EXPECT_LT(three["rows"][0]["rear"]["work"].toDouble(), rows[0]["rear"]["work"].toDouble());
    EXPECT_EQ(three["rows"][0]["front"]["work"], rows[0]["front"]["work"]);
    for (const char* format : {"csv", "table"}) {
        const RunResult t = Performance({"--pressure", "100", "--format", format});
        ASSERT_EQ(t.status, 0);
        EXPECT_EQ(t.out.count('\n'), 9) << format;
    }
}

TEST(PerformanceCli, CardsEncloseTheirWork) {
    const RunResult r =
        Performance({"--pressure", "160", "--notches", "0.5", "--card-points", "200"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    for (const QJsonValue& v : Json(r)["rows"].toArray()) {
        for (const char* end : {"front", "rear"}) {
            const QJsonObject e = v.toObject()[end].toObject();
            const QJsonArray card = e["card"].toArray();
            ASSERT_GE(card.size(), 2 * 200 + 3);
            EXPECT_EQ(card.first(), card.last());
            double area = 0;
            for (int i = 0; i + 1 < card.size(); ++i) {
                const QJsonArray a = card[i].toArray(), b = card[i + 1].toArray();
                area +=
                    (b[0].toDouble() - a[0].toDouble()) * (a[1].toDouble() + b[1].toDouble()) / 2;
            }
            EXPECT_NEAR(area, e["work"].toDouble(), 0.005 * e["work"].toDouble()) << end;
        }
    }
}

TEST(PerformanceCli, PortsThatNeverOpenGiveNullsWithReasons) {
    const RunResult r = Performance(
        {"--pressure", "100", "--set", "119=3", "--set", "118=3", "--card-points", "5"});
    ASSERT_EQ(r.status, 0);
    for (const QJsonValue& v : Json(r)["rows"].toArray()) {
        const QJsonObject row = v.toObject();
        for (const char* end : {"front", "rear"}) {
            const QJsonObject e = row[end].toObject();
            EXPECT_TRUE(e["work"].isNull() && e["mep"].isNull() && e["card"].isNull());
            EXPECT_EQ(e["reason"].toString(), "no admission");
        }
        for (const char* key : {"work_per_turn", "tractive_effort", "work_imbalance"})
            EXPECT_TRUE(row[key].isNull()) << key;
        EXPECT_EQ(row["reason"].toString(), "the front end has no card");
    }
}

TEST(PerformanceCli, RefusalsAreOneLineWithStatusTwo) {
    const QStringList refused[] = {
        {},
        {"--pressure", "15"},
        {"--pressure", "10", "--back-pressure", "20"},
        {"--pressure", "100", "--back-pressure", "0"},
        {"--pressure", "100", "--clearance", "0"},
        {"--pressure", "100", "--clearance", "100.5"},
        {"--pressure", "100", "--cylinders", "0"},
        {"--pressure", "100", "--cylinders", "1.5"},
        {"--pressure", "100", "--rod-dia", "2.125"},
        {"--pressure", "100", "--rod-dia", "-1"},
        {"--pressure", "nan"},
        {"--pressure", "inf"},
        {"--pressure", "1e39"},
        {"--pressure", "100", "--card-points", "1"},
        {"--pressure", "100", "--card-points", "10", "--format", "csv"},
        {"--pressure", "100", "--notch", "0.5"},
        {"--pressure", "100", "--notches", "1.5"},
        {"--pressure", "100", "--direction", "up"},
        {"--pressure", "100", "--bogus"},
    };
    for (const QStringList& args : refused) {
        const RunResult r = Performance(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    }
    EXPECT_EQ(Performance({"--pressure", "100", "--file", "/nonexistent/g.dst"}).status, 1);
    // A clearance of the whole swept volume is allowed.
    EXPECT_EQ(Performance({"--pressure", "100", "--clearance", "100"}).status, 0);
}

}  // namespace
