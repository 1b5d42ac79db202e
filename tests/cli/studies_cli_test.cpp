// merrovan-cli sensitivity and tolerance as a user runs them: JSON keys, null derivatives,
// formats, and one clear line with exit status 2 for every bad option.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <string>
#include <utility>

namespace {

struct RunResult {
    int status = -1;
    std::string out;
};

// stderr goes to /dev/null unless `mergeErr`, which puts it in front of nothing else: the
// usage cases print nothing on stdout.
RunResult RunCli(const std::string& command, bool mergeErr = false) {
    const std::string cmd = std::string("\"") + MERROVAN_BIN_DIR "/merrovan-cli\" " + command +
                            (mergeErr ? " 2>&1" : " 2>/dev/null");
    RunResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

QJsonObject Json(const std::string& text) {
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &err);
    EXPECT_EQ(err.error, QJsonParseError::NoError) << text;
    return doc.object();
}

TEST(StudiesCli, SensitivityJsonHasRowsDerivativesAndRanking) {
    const RunResult r = RunCli("sensitivity --ids 1,6 --notches 0.5,1 --direction fwd");
    ASSERT_EQ(r.status, 0);
    const QJsonObject o = Json(r.out);
    EXPECT_EQ(o["notches"].toArray().size(), 2);
    const QJsonArray rows = o["rows"].toArray();
    ASSERT_EQ(rows.size(), 2);
    const QJsonObject driver = rows[0].toObject();
    EXPECT_EQ(driver["id"].toInt(), 1);
    EXPECT_EQ(driver["name"].toString(), "Driver Dia");
    const QJsonObject rod = rows[1].toObject();
    EXPECT_EQ(rod["name"].toString(), "Ecc Rod Left End");
    EXPECT_EQ(rod["value"].toDouble(), 8.47);
    EXPECT_FALSE(rod["d"].toObject().contains("rev"));
    for (const char* notch : {"0.5", "1"}) {
        const QJsonObject cell = rod["d"].toObject()["fwd"].toObject()[notch].toObject();
        for (const char* end : {"front", "rear"}) {
            for (const char* key : {"admission", "cutoff", "release", "compression", "lead"}) {
                EXPECT_TRUE(cell[end].toObject()[key].isDouble()) << notch << end << key;
                const QJsonObject d = driver["d"].toObject()["fwd"].toObject()[notch].toObject();
                EXPECT_EQ(d[end].toObject()[key].toDouble(-1), 0.0) << notch << end << key;
            }
        }
    }
    const QJsonArray ranking = o["ranking"].toArray();
    ASSERT_EQ(ranking.size(), 2);
    EXPECT_EQ(ranking[0].toObject()["id"].toInt(), 6);
    EXPECT_GT(ranking[0].toObject()["score"].toDouble(), 1.0);
    EXPECT_EQ(ranking[1].toObject()["score"].toDouble(-1), 0.0);
}

TEST(StudiesCli, DerivativesAcrossAGeometryErrorAreNullWithAWarning) {
    // A reverse-arm travel so long that full gear cannot be reached: the quarter notch has its
    // derivatives, full gear has none.
    const RunResult r =
        RunCli("sensitivity --set 27=3 --ids 6 --notches 0.25,1 --direction fwd", true);
    ASSERT_EQ(r.status, 0);
    const std::size_t brace = r.out.find('{');
    ASSERT_NE(brace, std::string::npos);
    EXPECT_NE(r.out.substr(0, brace).find("10 derivatives are null"), std::string::npos) << r.out;
    const QJsonObject o = Json(r.out.substr(brace));
    const QJsonObject fwd = o["rows"].toArray()[0].toObject()["d"].toObject()["fwd"].toObject();
    EXPECT_TRUE(fwd["1"].toObject()["front"].toObject()["cutoff"].isNull());
    EXPECT_TRUE(fwd["0.25"].toObject()["front"].toObject()["cutoff"].isDouble());

    // A main rod shorter than the crank throw cannot be solved anywhere: nothing to give.
    const RunResult none =
        RunCli("sensitivity --set 3=1 --ids 6 --notches 0.5 --direction rev", true);
    EXPECT_EQ(none.status, 3);
    EXPECT_NE(none.out.find("every derivative is null"), std::string::npos) << none.out;
    EXPECT_EQ(none.out.find('{'), std::string::npos) << none.out;
}

TEST(StudiesCli, ToleranceJsonHasFiguresPerRowEndAndEvent) {
    const RunResult r = RunCli(
        "tolerance --tol 119=0.005 --pin-clearance 0.001 --samples 16 --seed 3 "
        "--notches 0.5 --direction both");
    ASSERT_EQ(r.status, 0);
    const QJsonObject o = Json(r.out);
    EXPECT_EQ(o["samples"].toInt(), 16);
    EXPECT_EQ(o["failed"].toInt(), 0);
    const QJsonArray rows = o["rows"].toArray();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject()["direction"].toString(), "fwd");
    EXPECT_EQ(rows[1].toObject()["direction"].toString(), "rev");
    for (const auto& row : rows) {
        EXPECT_EQ(row.toObject()["notch"].toDouble(), 0.5);
        for (const char* end : {"front", "rear"}) {
            for (const char* key : {"admission", "cutoff", "release", "compression", "lead"}) {
                const QJsonObject s = row.toObject()[end].toObject()[key].toObject();
                EXPECT_LE(s["min"].toDouble(), s["mean"].toDouble()) << end << key;
                EXPECT_LE(s["mean"].toDouble(), s["max"].toDouble()) << end << key;
                EXPECT_TRUE(s["std"].isDouble()) << end << key;
            }
        }
    }
    // The same seed, the same figures; csv and table carry the same rows.
    EXPECT_EQ(RunCli("tolerance --tol 119=0.005 --pin-clearance 0.001 --samples 16 --seed 3 "
                     "--notches 0.5 --direction both")
                  .out,
              r.out);
    const RunResult csv =
        RunCli("tolerance --tol 119=0.005 --samples 4 --notches 0.5,1 --format csv");
    ASSERT_EQ(csv.status, 0);
    EXPECT_EQ(QString::fromStdString(csv.out).count('\n'), 5);
    EXPECT_EQ(csv.out.rfind("direction,notch,failed,front_admission_min,", 0), 0u);
}

TEST(StudiesCli, BadOptionsGiveOneLineAndStatusTwo) {
    const char* bad[] = {
        "sensitivity --ids 99",
        "sensitivity --ids 6,6",
        "sensitivity --ids 6,",
        "sensitivity --notches 1.5",
        "sensitivity --notches 0.5,0.5",
        "sensitivity --notches x",
        "sensitivity --direction up",
        "sensitivity --format xml",
        "sensitivity --notch 0.5",
        "sensitivity --frobnicate",
        "sensitivity --ids",
        "tolerance",
        "tolerance --tol 6",
        "tolerance --tol 6=-0.1",
        "tolerance --tol 200=0.1",
        "tolerance --tol 6=0.1 --tol 6=0.2",
        "tolerance --tol 6=0.1 --samples 0",
        "tolerance --tol 6=0.1 --samples 2.5",
        "tolerance --tol 6=0.1 --seed -1",
        "tolerance --tol 6=0.1 --seed 18446744073709551616",
        "tolerance --pin-clearance -0.001",
        "tolerance --pin-clearance nan",
        "tolerance --tol 6=0.1 --format xml",
        "tolerance --tol 6=0.1 --lever loose",
    };
    for (const char* args : bad) {
        const RunResult r = RunCli(args, true);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(QString::fromStdString(r.out).count('\n'), 1) << args << ": " << r.out;
        EXPECT_EQ(r.out.rfind("merrovan-cli ", 0), 0u) << args << ": " << r.out;
    }
    EXPECT_EQ(RunCli("sensitivity --file /nonexistent/gear.dst").status, 1);
}

TEST(StudiesCli, OneRuleForEveryOptionWithTheReason) {
    const std::pair<const char*, const char*> refused[] = {
        {"tolerance --pin-clearance 0", "nothing varies"},
        {"tolerance --tol 6=0 --pin-clearance 0", "nothing varies"},
        {"tolerance --tol 26=0.01", "moves no event"},
        {"tolerance --tol 6=1e39", "too large"},
        {"tolerance --pin-clearance 1e39", "too large"},
        {"tolerance --tol 6=0.01 --seed 4294967296", "4294967295"},
        {"tolerance --tol 6=0.01 --samples 1000001", "1..1000000"},
        {"sensitivity --set 6=1e39", "too large"},
        {"sensitivity --notches 0.1,0.1000000001", "given twice"},
    };
    for (const auto& [args, reason] : refused) {
        const RunResult r = RunCli(args, true);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.out.find(reason), std::string::npos) << args << ": " << r.out;
    }
    // The largest seed is a seed.
    EXPECT_EQ(RunCli("tolerance --tol 6=0.01 --seed 4294967295 --samples 2 --notches 0.5").status,
              0);
    // --help is a command word, never an option's value: here it names a file.
    EXPECT_EQ(RunCli("sensitivity --file --help").status, 1);
    EXPECT_EQ(RunCli("tolerance --tol 6=0.1 --file --help").status, 1);
    const RunResult help = RunCli("tolerance --tol 6=0.1 --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--lever"), std::string::npos);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    EXPECT_NE(RunCli("--help").out.find("3 an analysis that could not run"), std::string::npos);
}

TEST(StudiesCli, SampleCountsLeverAndWhenEverySampleFails) {
    const RunResult r =
        RunCli("tolerance --tol 20=0.01 --samples 6 --notches 0.5 --direction fwd --lever fixed");
    ASSERT_EQ(r.status, 0);
    const QJsonObject o = Json(r.out);
    EXPECT_EQ(o["lever"].toString(), "fixed");
    const QJsonObject cut =
        o["rows"].toArray()[0].toObject()["front"].toObject()["cutoff"].toObject();
    EXPECT_EQ(cut["n"].toInt(), 6);
    EXPECT_NE(RunCli("tolerance --tol 20=0.01 --samples 6 --notches 0.5 --direction fwd").out,
              r.out);

    const RunResult failed = RunCli("tolerance --set 3=1 --tol 6=0.01 --samples 3", true);
    EXPECT_EQ(failed.status, 3);
    EXPECT_NE(failed.out.find("every sample failed"), std::string::npos) << failed.out;
    // Every sample fails at full gear out of reach, none at a quarter: that row has figures.
    const RunResult some =
        RunCli("tolerance --set 27=3 --tol 6=0.01 --samples 3 --notches 0.25,1 --direction fwd");
    ASSERT_EQ(some.status, 0);
    const QJsonArray rows = Json(some.out)["rows"].toArray();
    EXPECT_EQ(rows[0].toObject()["front"].toObject()["cutoff"].toObject()["n"].toInt(), 3);
    EXPECT_EQ(rows[1].toObject()["failed"].toInt(), 3);
}

TEST(StudiesCli, NotchesThatPrintApartAreKeptApart) {
    const RunResult r = RunCli("sensitivity --ids 6 --notches 0.1,0.10000001 --direction fwd");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(QString::fromStdString(r.out).count("\"0.1\":"), 1) << r.out;
    const QJsonObject fwd =
        Json(r.out)["rows"].toArray()[0].toObject()["d"].toObject()["fwd"].toObject();
    EXPECT_EQ(fwd.keys(), (QStringList{"0.1", "0.10000001"}));
}

}  // namespace
