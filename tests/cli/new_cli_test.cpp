// merrovan-cli new and scale as a user runs them: the JSON, the file written, and bad data or
// factors refused with one line and exit status 2.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "support/cli_process.hpp"

namespace {

using RunResult = mvtest::CliRun;

RunResult Cli(const QStringList& args) {
    return mvtest::RunMerrovanCli(args);
}

const QStringList kSmall = {"new",        "--stroke", "1.75",   "--driver-dia", "5.25",
                            "--main-rod", "6.5",      "--bore", "1.5",          "--travel",
                            "0.46",       "--lap",    "0.09",   "--lead",       "0.01"};

TEST(NewCli, WritesTheGearAndReportsEveryTargetInJson) {
    QTemporaryDir dir;
    const QString out = dir.filePath("small.dst");
    const RunResult r = Cli(kSmall + QStringList{"--max-evals", "20", "--out", out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QJsonParseError err{};
    const QJsonObject o = QJsonDocument::fromJson(r.out, &err).object();
    ASSERT_EQ(err.error, QJsonParseError::NoError) << r.out.toStdString();
    for (const char* key :
         {"targets", "dimensions", "cutoff_differences", "evaluations", "geometry_error"})
        EXPECT_TRUE(o.contains(key)) << key;
    const QJsonObject targets = o["targets"].toObject();
    for (const char* key : {"travel", "lead_front", "lead_rear", "steam_lap_front",
                            "exhaust_lap_rear", "cutoff_balance_25"}) {
        const QJsonObject t = targets[key].toObject();
        EXPECT_TRUE(t["target"].isDouble() && t["met"].isBool()) << key;
        EXPECT_EQ(t.contains("reason"), !t["met"].toBool()) << key;
    }
    EXPECT_EQ(targets["steam_lap_front"].toObject()["reached"].toDouble(), 0.09);
    EXPECT_FALSE(targets.contains("full_gear_cutoff"));
    EXPECT_EQ(o["dimensions"].toObject().size(), 49);
    EXPECT_EQ(o["dimensions"].toObject()["2"].toDouble(), 1.75);
    EXPECT_LE(o["evaluations"].toInt(), 20);

    // The file holds the new gear: its events read back through another command.
    ASSERT_TRUE(QFileInfo(out).size() == 1440);
    const RunResult e =
        Cli({"events", "--file", out, "--rows", "2", "--direction", "fwd", "--format", "json"});
    ASSERT_EQ(e.status, 0) << e.err.toStdString();
    const QJsonObject full = QJsonDocument::fromJson(e.out.split('\n').at(1)).object();
    EXPECT_NEAR(full["travel"].toDouble(), targets["travel"].toObject()["reached"].toDouble(),
                1e-6);
}

TEST(NewCli, AContradictoryTargetIsExitZeroWithItsReason) {
    QTemporaryDir dir;
    const RunResult r =
        Cli(kSmall + QStringList{"--full-gear-cutoff", "95", "--max-evals", "5", "--out",
                                 dir.filePath("x.dst"), "--format", "table"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Full-gear cut-off")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("classic relation")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("NO"));
}

TEST(NewCli, BadOrMissingBasicDataIsRefusedWithOneLine) {
    QTemporaryDir dir;
    const QString out = dir.filePath("bad.dst");
    const QStringList tail = {"--out", out};
    auto with = [&](const QString& option, const QString& value) {
        QStringList a = kSmall;
        const qsizetype i = a.indexOf(option);
        if (i >= 0) a[i + 1] = value;
        return a + tail;
    };
    const QStringList bad[] = {
        with("--main-rod", "0.875"),              // not longer than half the stroke
        with("--lap", "0.25"),                    // more than half the travel
        with("--bore", "0"),                      // not above 0
        with("--stroke", "-1.75"),                // not above 0
        with("--travel", "nan"),                  // not a number
        with("--lead", "-0.01"),                  // negative lead
        kSmall.mid(0, 3) + kSmall.mid(5) + tail,  // no --driver-dia
        kSmall + QStringList{"--full-gear-cutoff", "120"} + tail,
        kSmall + QStringList{"--max-evals", "0"} + tail,
        kSmall + QStringList{"--seed", "4294967296"} + tail,  // seeds end at 2^32 - 1
        kSmall + QStringList{"--lap", "0.1"} + tail,          // given twice
        kSmall,                                               // no --out
    };
    for (const QStringList& args : bad) {
        const RunResult r = Cli(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST(ScaleCli, WritesTheScaledGearAndRefusesFactorsThatAreNotFiniteAndAboveZero) {
    QTemporaryDir dir;
    const QString out = dir.filePath("big.dst");
    const RunResult r = Cli({"scale", "--factor", "2", "--set", "6=8.5", "--out", out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const RunResult solved = Cli({"solve", "--file", out});
    ASSERT_EQ(solved.status, 0) << solved.err.toStdString();
    const RunResult events =
        Cli({"events", "--file", out, "--rows", "1", "--direction", "fwd", "--format", "json"});
    const QJsonObject row = QJsonDocument::fromJson(events.out.split('\n').at(0)).object();
    EXPECT_NEAR(row["revarm"].toDouble(), 2 * 3.76929, 1e-3);

    for (const char* k : {"0", "-2", "nan", "inf", "1e39", "two"}) {
        const RunResult bad = Cli({"scale", "--factor", k, "--out", dir.filePath("x.dst")});
        EXPECT_EQ(bad.status, 2) << k;
        EXPECT_EQ(bad.err.count('\n'), 1) << bad.err.toStdString();
    }
    EXPECT_EQ(Cli({"scale", "--out", dir.filePath("x.dst")}).status, 2);
    EXPECT_EQ(Cli({"scale", "--factor", "2"}).status, 2);
    EXPECT_EQ(Cli({"scale", "--factor", "2", "--notch", "0.5", "--out", out}).status, 2);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("x.dst")));
}

}  // namespace
