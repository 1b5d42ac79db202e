// Rows at chosen cut-offs from the command line: events --cutoffs, and optimize with its limits,
// rows before and after, the keys that say what was left out or not kept, and the faults mended
// in it (numbers that were not JSON, targets no gear can mean).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include "support/cli_process.hpp"

namespace {

using RunResult = mvtest::CliRun;

RunResult Cli(const QString& command, const QStringList& args) {
    return mvtest::RunMerrovanCli(QStringList{command} + args);
}

QJsonObject Json(const QByteArray& text) {
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
    EXPECT_EQ(err.error, QJsonParseError::NoError) << text.toStdString();
    return doc.object();
}

double MeanCutoff(const QJsonObject& row) {
    return (row["front"].toObject()["cutoff"].toDouble() +
            row["rear"].toObject()["cutoff"].toDouble()) /
           2;
}

TEST(CutoffsCli, EventsPlaceEveryRowWithinAHundredthOfItsCutoff) {
    const RunResult r = Cli("events", {"--cutoffs", "15,25,40,60", "--format", "json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 8);
    const double wanted[] = {15, 25, 40, 60};
    for (int i = 0; i < 8; ++i) {
        const QJsonObject row = Json(lines[i]);
        EXPECT_EQ(row["direction"].toString(), i < 4 ? "fwd" : "rev");
        EXPECT_EQ(row["cutoff"].toDouble(), wanted[i % 4]);
        EXPECT_NEAR(MeanCutoff(row), wanted[i % 4], 0.01) << lines[i].toStdString();
        EXPECT_TRUE(row["notch"].isDouble() && row["revarm"].isDouble());
        EXPECT_EQ(row["notch"].toDouble() > 0, i < 4);  // reverse notches are negative
    }
}

TEST(CutoffsCli, EventsGiveACutoffOutOfReachAsNullsWithTheReason) {
    const RunResult r =
        Cli("events", {"--cutoffs", "40,95", "--direction", "fwd", "--format", "json"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_TRUE(r.err.contains("cut-off 95 % is out of reach")) << r.err.toStdString();
    const QJsonObject out = Json(r.out.trimmed().split('\n')[1]);
    EXPECT_TRUE(out["unreachable"].toString().contains("forward"));
    for (const char* key : {"revarm", "notch", "travel", "geometry_error"})
        EXPECT_TRUE(out[key].isNull()) << key;
    EXPECT_TRUE(out["front"].toObject()["cutoff"].isNull());

    const RunResult table = Cli("events", {"--cutoffs", "40,95", "--direction", "fwd"});
    EXPECT_TRUE(table.out.contains("out of reach: the gear reaches a mean cut-off of"));
    for (const QStringList& bad : {QStringList{"--cutoffs", "0"},
                                   {"--cutoffs", "100"},
                                   {"--cutoffs", "20,20"},
                                   {"--cutoffs", ""},
                                   {"--cutoffs", "20", "--rows", "3"},
                                   {"--settings", "4", "--cutoffs", "20"}}) {
        const RunResult b = Cli("events", bad);
        EXPECT_EQ(b.status, 2) << bad.join(' ').toStdString();
        EXPECT_EQ(b.err.count('\n'), 1) << b.err.toStdString();
    }
}

TEST(CutoffsCli, OptimizeReportsRowsAndLimitsBeforeAndAfter) {
    const RunResult r = Cli(
        "optimize", {"--vary", "5", "--vary", "22", "--cutoffs", "25,40", "--direction", "fwd",
                     "--limit", "min-lead=0.01", "--limit", "travel=0.5:1", "--max-evals", "30"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = Json(r.out);
    const QJsonArray before = o["rows"].toObject()["before"].toArray();
    const QJsonArray after = o["rows"].toObject()["after"].toArray();
    ASSERT_EQ(before.size(), 2);
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after[1].toObject()["cutoff"].toDouble(), 40.0);
    EXPECT_NEAR(MeanCutoff(after[1].toObject()), 40.0, 0.01);
    EXPECT_TRUE(after[0].toObject()["front"].toObject().contains("lead"));

    const QJsonObject limits = o["limits"].toObject();
    const QJsonObject lead = limits["min-lead"].toObject();
    EXPECT_EQ(lead["limit"].toDouble(), 0.01);
    EXPECT_TRUE(lead["met"].toBool());
    EXPECT_GE(lead["after"].toDouble(), 0.01);
    EXPECT_EQ(limits["full-gear-drop"].toObject()["limit"].toDouble(), 2.0);
    EXPECT_EQ(limits["full-gear-drop"].toObject()["before"].toDouble(), 0.0);
    EXPECT_EQ(limits["travel"].toObject()["limit"].toArray().size(), 2);
    EXPECT_TRUE(o["limits_not_met"].toArray().isEmpty());
    EXPECT_TRUE(o["dropped_rows"].toArray().isEmpty());

    const RunResult table = Cli("optimize", {"--vary", "5", "--cutoffs", "25", "--direction", "fwd",
                                             "--max-evals", "5", "--format", "table"});
    ASSERT_EQ(table.status, 0);
    for (const char* part : {"cutoff-balance", "min-lead >= ", "full-gear-drop <= 2",
                             "Ecc Crank Length", "| after", "25 %"})
        EXPECT_TRUE(table.out.contains(part)) << part;
}

TEST(CutoffsCli, OptimizeSaysWhichLimitNoGearKeepsAndWhatItLeftOut) {
    const RunResult r = Cli("optimize", {"--vary", "5", "--cutoffs", "40", "--direction", "fwd",
                                         "--limit", "min-lead=0.5", "--max-evals", "20"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("no gear found that keeps every limit")) << r.err.toStdString();
    const QJsonObject o = Json(r.out);
    EXPECT_FALSE(o["improved"].toBool());
    const QJsonArray missed = o["limits_not_met"].toArray();
    ASSERT_EQ(missed.size(), 1);
    EXPECT_EQ(missed[0].toObject()["limit"].toString(), "min-lead");
    EXPECT_GT(missed[0].toObject()["by"].toDouble(), 0.45);
    EXPECT_FALSE(o["limits"].toObject()["min-lead"].toObject()["met"].toBool());

    // A short lever (its normal position shortened first, as the dialog requires) reaches only
    // the lowest default cut-off: the others are left out, named.
    const RunResult d = Cli("optimize", {"--set", "26=0.2", "--set", "27=0.3", "--vary", "5",
                                         "--direction", "fwd", "--max-evals", "5"});
    ASSERT_EQ(d.status, 0) << d.err.toStdString();
    const QJsonArray dropped = Json(d.out)["dropped_rows"].toArray();
    ASSERT_FALSE(dropped.isEmpty());
    EXPECT_EQ(dropped.last().toObject()["cutoff"].toDouble(), 60.0);
    EXPECT_TRUE(dropped[0].toObject()["reason"].toString().contains("out of reach"));
    EXPECT_TRUE(d.err.contains("left out")) << d.err.toStdString();
}

TEST(CutoffsCli, OptimizeWritesValidJsonForHugeValuesAndRefusesAbsurdTargets) {
    // A stroke of 1e-21 makes the lead balance about 1e40: once printed as 1e999.
    const RunResult huge =
        Cli("optimize", {"--set", "2=1e-21", "--vary", "122", "--goal", "lead-balance", "--notches",
                         "0.5", "--direction", "fwd", "--max-evals", "1"});
    // Such a gear clamps, so nothing is searched (status 3), but the report is still printed.
    ASSERT_EQ(huge.status, 3) << huge.err.toStdString();
    EXPECT_FALSE(huge.out.contains("1e999"));
    EXPECT_GT(Json(huge.out)["start"].toObject()["objective"].toDouble(), 1e39);

    for (const QStringList& bad : {QStringList{"--goal", "lead=1e30"},
                                   {"--goal", "lead=-3.5"},
                                   {"--goal", "travel=4"},
                                   {"--goal", "travel=0"},
                                   {"--limit", "min-lead=5"},
                                   {"--limit", "travel=0.9:0.5"},
                                   {"--limit", "travel=0.5"},
                                   {"--limit", "full-gear-drop=-1"},
                                   {"--limit", "speed=3"},
                                   {"--limit", "min-lead=0", "--limit", "min-lead=0.01"},
                                   {"--reverse-weight", "-1"},
                                   {"--notches", "0.5", "--cutoffs", "20"},
                                   {"--cutoffs", "0"},
                                   {"--seed", "-1"}}) {
        const RunResult r = Cli("optimize", QStringList{"--vary", "122", "--notches", "0.5",
                                                        "--direction", "fwd", "--max-evals", "1"} +
                                                bad);
        EXPECT_EQ(r.status, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << bad.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    }
}

TEST(CutoffsCli, StudiesTakeTheirRowsAtCutoffs) {
    const RunResult s =
        Cli("sensitivity", {"--ids", "6", "--cutoffs", "25,95", "--direction", "fwd"});
    ASSERT_EQ(s.status, 0) << s.err.toStdString();
    EXPECT_TRUE(s.err.contains("cut-off 95 % fwd is out of reach")) << s.err.toStdString();
    const QJsonObject sens = Json(s.out);
    EXPECT_EQ(sens["cutoffs"].toArray().size(), 2);
    const QJsonObject fwd = sens["rows"].toArray()[0].toObject()["d"].toObject()["fwd"].toObject();
    const QJsonObject at25 = fwd["25"].toObject();
    EXPECT_GT(at25["notch"].toDouble(), 0.2);
    EXPECT_TRUE(at25["revarm"].isDouble());
    // At a fixed mean cut-off the front and rear cut-offs move against each other.
    EXPECT_NEAR(at25["front"].toObject()["cutoff"].toDouble(),
                -at25["rear"].toObject()["cutoff"].toDouble(), 1.0);
    EXPECT_TRUE(fwd["95"].toObject()["front"].toObject()["cutoff"].isNull());

    const RunResult t = Cli("tolerance", {"--tol", "6=0.01", "--samples", "20", "--cutoffs",
                                          "25,95", "--direction", "rev"});
    ASSERT_EQ(t.status, 0) << t.err.toStdString();
    const QJsonArray rows = Json(t.out)["rows"].toArray();
    ASSERT_EQ(rows.size(), 2);
    const QJsonObject placed = rows[0].toObject();
    EXPECT_EQ(placed["cutoff"].toDouble(), 25.0);
    EXPECT_TRUE(placed["unreachable"].isNull());
    const QJsonObject cut = placed["front"].toObject()["cutoff"].toObject();
    const QJsonObject rear = placed["rear"].toObject()["cutoff"].toObject();
    EXPECT_NEAR((cut["mean"].toDouble() + rear["mean"].toDouble()) / 2, 25.0, 0.01);
    EXPECT_TRUE(rows[1].toObject()["unreachable"].toString().contains("out of reach"));
    EXPECT_TRUE(rows[1].toObject()["front"].toObject()["cutoff"].isNull());

    const QStringList both = {"--notches", "0.5", "--cutoffs", "25"};
    for (const QStringList& args : {QStringList{"sensitivity", "--ids", "6"} + both,
                                    QStringList{"tolerance", "--tol", "6=0.01"} + both}) {
        const RunResult b = Cli(args[0], args.mid(1));
        EXPECT_EQ(b.status, 2) << args[0].toStdString();
        EXPECT_TRUE(b.err.contains("exclude each other")) << b.err.toStdString();
    }
}

TEST(CutoffsCli, PerformanceAndTheWorkBalanceGoalTakeRowsAtCutoffs) {
    const RunResult perf =
        Cli("performance", {"--pressure", "100", "--cutoffs", "25,95", "--direction", "fwd"});
    ASSERT_EQ(perf.status, 0) << perf.err.toStdString();
    EXPECT_TRUE(perf.err.contains("cut-off 95 % is out of reach"));
    const QJsonArray rows = Json(perf.out)["rows"].toArray();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject()["cutoff"].toDouble(), 25.0);
    EXPECT_GT(rows[0].toObject()["work_imbalance"].toDouble(), 5.0);
    EXPECT_TRUE(rows[1].toObject()["revarm"].isNull());
    EXPECT_TRUE(rows[1].toObject()["work_per_turn"].isNull());
    EXPECT_TRUE(rows[1].toObject()["unreachable"].toString().contains("out of reach"));
    const RunResult csv = Cli("performance", {"--pressure", "100", "--cutoffs", "25,95",
                                              "--direction", "fwd", "--format", "csv"});
    const QList<QByteArray> lines = csv.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("cutoff,direction,notch,revarm,"));
    EXPECT_TRUE(lines[1].startsWith("25,fwd,0.28"));
    EXPECT_EQ(lines[2].count(','), lines[0].count(','));

    // The goal reads the same imbalance, for the steam given to it.
    const RunResult one =
        Cli("optimize", {"--vary", "6", "--goal", "work-balance", "--cutoffs", "25", "--direction",
                         "fwd", "--pressure", "100", "--max-evals", "1"});
    ASSERT_EQ(one.status, 0) << one.err.toStdString();
    const double imbalance = rows[0].toObject()["work_imbalance"].toDouble();
    EXPECT_NEAR(Json(one.out)["start"].toObject()["goals"].toObject()["work-balance"].toDouble(),
                imbalance * imbalance, 1e-3 * imbalance * imbalance);
    const RunResult bad =
        Cli("optimize", {"--vary", "6", "--goal", "work-balance", "--back-pressure", "120"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains("back pressure")) << bad.err.toStdString();
}

}  // namespace
