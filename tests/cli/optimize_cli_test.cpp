// merrovan-cli optimize as a user runs it: the JSON keys, the tuned file, an infeasible start
// and the exit statuses.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "support/cli_process.hpp"

namespace {

using RunResult = mvtest::CliRun;

RunResult Optimize(const QStringList& args) {
    return mvtest::RunMerrovanCli(QStringList{"optimize"} + args);
}

QJsonObject Json(const RunResult& r) {
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &err);
    EXPECT_EQ(err.error, QJsonParseError::NoError) << r.out.toStdString();
    return doc.object();
}

// One forward row keeps the runs short.
const QStringList kOneRow = {"--notches", "0.5", "--direction", "fwd"};

TEST(OptimizeCli, NoImprovementIsNotAnErrorAndEveryKeyIsThere) {
    const RunResult r = Optimize(kOneRow + QStringList{"--vary", "122", "--max-evals", "1"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    const QJsonObject o = Json(r);
    for (const char* key : {"start", "best", "dimensions", "evaluations", "improved",
                            "geometry_error", "start_problem"})
        EXPECT_TRUE(o.contains(key)) << key;
    EXPECT_EQ(o["evaluations"].toInt(), 1);
    EXPECT_FALSE(o["improved"].toBool());
    EXPECT_FALSE(o["geometry_error"].toBool());
    EXPECT_TRUE(o["start_problem"].isNull());
    const QJsonObject start = o["start"].toObject();
    EXPECT_GT(start["objective"].toDouble(), 0.0);
    EXPECT_EQ(start["goals"].toObject()["cutoff-balance"].toDouble(),
              start["objective"].toDouble());
    EXPECT_EQ(o["best"].toObject(), start);
    const QJsonArray stem = o["dimensions"].toObject()["122"].toArray();
    ASSERT_EQ(stem.size(), 2);
    EXPECT_EQ(stem[0].toDouble(), stem[1].toDouble());
}

TEST(OptimizeCli, TheTunedFileReproducesTheBestGear) {
    QTemporaryDir dir;
    const QString tuned = dir.filePath("tuned.dst");
    const RunResult r = Optimize(
        kOneRow + QStringList{"--vary", "6", "--vary", "22=1.85:1.95", "--goal", "cutoff-balance@2",
                              "--goal", "lead=0.03@0.5", "--max-evals", "25", "--out", tuned});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = Json(r);
    ASSERT_TRUE(o["improved"].toBool());
    EXPECT_LE(o["evaluations"].toInt(), 25);
    const QJsonObject best = o["best"].toObject();
    EXPECT_LT(best["objective"].toDouble(), o["start"].toObject()["objective"].toDouble());
    EXPECT_TRUE(best["goals"].toObject().contains("lead"));
    const double lower = o["dimensions"].toObject()["22"].toArray()[1].toDouble();
    EXPECT_GE(lower, 1.85 - 1e-6);
    EXPECT_LE(lower, 1.95 + 1e-6);
    ASSERT_EQ(QFileInfo(tuned).size(), 1440);

    // Starting from the file, the start is the best of the first run.
    const RunResult again =
        Optimize(kOneRow + QStringList{"--file", tuned, "--vary", "6", "--goal", "cutoff-balance@2",
                                       "--goal", "lead=0.03@0.5", "--max-evals", "1"});
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(Json(again)["start"].toObject(), best);
}

TEST(OptimizeCli, AnInfeasibleStartIsReportedWithoutABest) {
    // The report says why; the status says the search could not run, and nothing is written.
    const QTemporaryDir dir;
    const QString out = dir.filePath("tuned.dst");
    const RunResult r = Optimize({"--set", "6=2", "--vary", "6", "--out", out});
    ASSERT_EQ(r.status, 3);
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_TRUE(r.err.contains("nothing searched: geometry error")) << r.err.toStdString();
    const QJsonObject o = Json(r);
    EXPECT_TRUE(o["best"].isNull());
    EXPECT_TRUE(o["geometry_error"].toBool());
    EXPECT_FALSE(o["improved"].toBool());
    EXPECT_TRUE(o["start_problem"].toString().startsWith("geometry error at notch"));
}

TEST(OptimizeCli, BadOptionsExitWithStatusTwoAndOneLine) {
    const QList<QStringList> bad = {
        {},                                              // no --vary
        {"--vary", "25"},                                // not a varied dimension
        {"--vary", "130"},                               // not a dimension
        {"--vary", "5=2:1"},                             // LO > HI
        {"--vary", "5=nan:2"},                           // not finite
        {"--vary", "5=1:inf"},                           //
        {"--vary", "5=1.8:2"},                           // leaves out the value 1.77
        {"--vary", "5", "--vary", "5"},                  // twice
        {"--vary", "5", "--goal", "balance"},            // unknown goal
        {"--vary", "5", "--goal", "lead"},               // target missing
        {"--vary", "5", "--goal", "cutoff-balance@-1"},  // negative weight
        {"--vary", "5", "--notches", "0.5,2"},           // notch outside 0..1
        {"--vary", "5", "--notches", ""},                // empty
        {"--vary", "5", "--direction", "up"},            //
        {"--vary", "5", "--max-evals", "0"},             //
        {"--vary", "5", "--format", "csv"},              //
        {"--vary", "5", "--revarm", "3"},                // not for this command
        {"--vary", "5", "--bogus"},                      //
    };
    for (const QStringList& args : bad) {
        const RunResult r = Optimize(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    }
}

}  // namespace
