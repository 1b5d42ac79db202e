// merrovan-cli compare, sheet and render's DXF as a user runs them: outputs and exit statuses.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include "files/dimension_file.hpp"
#include "model/dimensions.hpp"
#include "support/cli_process.hpp"

namespace {

using RunResult = mvtest::CliRun;

RunResult Cli(const QStringList& args) {
    return mvtest::RunMerrovanCli(args);
}

class WorkshopCli : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    // The default gear, with dimension `id` changed when one is given.
    QString Gear(const char* name, mv::DimensionId id = 0, float value = 0) {
        mv::Model m;
        mv::StartUp(m);
        if (id) mv::StoreDimension(m, id, value);
        const QString path = dir.filePath(QString::fromLatin1(name));
        std::string error;
        EXPECT_TRUE(mv::files::SaveDimensionFile(m, path.toStdString(), error)) << error;
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(WorkshopCli, CompareJsonOfAGearWithItselfAndWithOneChange) {
    const QString a = Gear("a.dst"), same = Gear("same.mvo"), b = Gear("b.mvo", 111, 0.2f);
    RunResult r = Cli({"compare", a, same, "--format", "json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QJsonObject o = QJsonDocument::fromJson(r.out).object();
    EXPECT_TRUE(o["dimensions"].toArray().isEmpty());
    const QJsonArray rows = o["rows"].toArray();
    ASSERT_EQ(rows.size(), 38);
    for (const QJsonValue& row : rows) {
        const QJsonObject diff = row["diff"].toObject();
        for (const char* key : {"revarm", "notch", "travel"}) EXPECT_EQ(diff[key].toDouble(-1), 0);
        for (const char* end : {"front", "rear"})
            for (const QJsonValue v : diff[end].toObject()) EXPECT_EQ(v.toDouble(-1), 0);
        EXPECT_TRUE(row["notch"].isDouble());
        EXPECT_EQ(row["a"].toObject(), row["b"].toObject());
    }

    r = Cli({"compare", a, b, "--cutoffs", "25,40", "--direction", "rev", "--format", "json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    o = QJsonDocument::fromJson(r.out).object();
    const QJsonArray dims = o["dimensions"].toArray();
    ASSERT_EQ(dims.size(), 1);
    EXPECT_EQ(dims[0]["id"].toInt(), 111);
    EXPECT_EQ(dims[0]["name"].toString(), "Bridge Width   Rear");
    EXPECT_NEAR(dims[0]["diff"].toDouble(), 0.013, 1e-6);
    ASSERT_EQ(o["rows"].toArray().size(), 2);
    EXPECT_EQ(o["rows"][1]["cutoff"].toDouble(), 40);
    EXPECT_EQ(o["rows"][1]["direction"].toString(), "rev");
}

TEST_F(WorkshopCli, CompareRefusesWhatItCannotUse) {
    const QString a = Gear("a.dst");
    EXPECT_EQ(Cli({"compare", a}).status, 2);
    EXPECT_EQ(Cli({"compare", a, a, "--cutoffs", "20", "--notches", "1"}).status, 2);
    EXPECT_EQ(Cli({"compare", a, a, "--cutoffs", "0"}).status, 2);
    EXPECT_EQ(Cli({"compare", a, a, "--notches", "1.5"}).status, 2);
    const RunResult r = Cli({"compare", a, dir.filePath("none.dst")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("none.dst")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(WorkshopCli, SheetAndDxf) {
    const QString pdf = dir.filePath("s.pdf"), html = dir.filePath("s.html");
    RunResult r = Cli({"sheet", "--out", pdf, "--file", Gear("g.mvo"), "--paper", "letter"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QRegularExpression("Pages:\\s+2\\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains("612 x 792 pts (letter)")) << text.toStdString();
    ASSERT_EQ(Cli({"sheet", "--out", html, "--set", "6=8.6", "--date", "2024-02-29"}).status, 0);
    QFile h(html);
    ASSERT_TRUE(h.open(QIODevice::ReadOnly));
    const QByteArray page = h.readAll();
    EXPECT_TRUE(page.contains("2024-02-29"));
    EXPECT_TRUE(page.contains("8.6000"));
    for (const QStringList& bad :
         {QStringList{"sheet", "--out", dir.filePath("s.png")}, QStringList{"sheet"},
          QStringList{"sheet", "--out", pdf, "--paper", "a3"},
          QStringList{"sheet", "--out", pdf, "--notch", "1"},
          QStringList{"sheet", "--out", pdf, "--date", "2024-02-30"}})
        EXPECT_EQ(Cli(bad).status, 2) << bad.join(' ').toStdString();

    const QString dxf = dir.filePath("g.dxf");
    r = Cli({"render", "--out", dxf, "--angle", "90", "--notch", "0.5"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile d(dxf);
    ASSERT_TRUE(d.open(QIODevice::ReadOnly));
    EXPECT_TRUE(d.readAll().contains("\nAC1015\n"));
    EXPECT_EQ(Cli({"render", "--out", dir.filePath("none/g.dxf")}).status, 1);
}

}  // namespace
