// merrovan-cli render as a user runs it: the files it writes and its exit statuses.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace {

struct RunResult {
    int status = -1;
    QByteArray err;
};

RunResult Render(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(MERROVAN_BIN_DIR "/merrovan-cli"), QStringList{"render"} + args);
    RunResult r;
    if (!p.waitForFinished(60000)) return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = p.readAllStandardError();
    return r;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(CliRender, WritesTheFullPictureAndTheClientArea) {
    QTemporaryDir dir;
    const QString full = dir.filePath("full.png"), crop = dir.filePath("crop.png");
    ASSERT_EQ(Render({"--out", full}).status, 0);
    const QImage img(full);
    EXPECT_EQ(img.size(), QSize(1280, 1024));
    EXPECT_EQ(img.pixel(115, 270) & 0xFFFFFF, 0xFF0000u);  // fixed pivot 0
    EXPECT_EQ(img.pixel(1000, 900) & 0xFFFFFF, 0xFFFFFFu);
    const RunResult r =
        Render({"--out", crop, "--crop", "632x380", "--angle", "90", "--notch", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(QImage(crop).size(), QSize(632, 380));
}

TEST(CliRender, SameStateSamePictureEvenWithSteam) {
    QTemporaryDir dir;
    const QStringList opts{"--steam", "on", "--ticks", "5", "--line-width", "2"};
    const QString a = dir.filePath("a.png"), b = dir.filePath("b.png");
    ASSERT_EQ(Render(QStringList{"--out", a} + opts).status, 0);
    ASSERT_EQ(Render(QStringList{"--out", b} + opts).status, 0);
    EXPECT_EQ(QImage(a), QImage(b));
    const QString off = dir.filePath("off.png");
    ASSERT_EQ(Render({"--out", off, "--screen-data", "off", "--ticks", "5"}).status, 0);
    EXPECT_NE(QImage(a), QImage(off));
}

TEST(CliRender, VectorOutputs) {
    QTemporaryDir dir;
    const QString svg = dir.filePath("p.svg"), pdf = dir.filePath("p.PDF");
    ASSERT_EQ(Render({"--out", svg, "--crop", "632x380"}).status, 0);
    const QByteArray s = Bytes(svg);
    EXPECT_TRUE(s.contains("<svg"));
    EXPECT_TRUE(s.contains("viewBox=\"0 0 632 380\""));
    EXPECT_TRUE(s.contains("Driv Ang"));
    ASSERT_EQ(Render({"--out", pdf, "--graphic", "103", "--ticks", "3"}).status, 0);
    EXPECT_TRUE(Bytes(pdf).startsWith("%PDF"));
}

TEST(CliRender, BadOptionsAndFiles) {
    QTemporaryDir dir;
    const QString out = dir.filePath("x.png");
    for (const QStringList& bad :
         {QStringList{}, QStringList{"--out", dir.filePath("x.bmp")},
          QStringList{"--out", out, "--line-width", "3"},
          QStringList{"--out", out, "--screen-data", "maybe"},
          QStringList{"--out", out, "--crop", "2000x10"},
          QStringList{"--out", out, "--crop", "632"}, QStringList{"--out", out, "--ticks", "-1"},
          QStringList{"--out", out, "--graphic", "50"},
          QStringList{"--out", out, "--revarm", "1", "--notch", "0.5"},
          QStringList{"--out", out, "--bogus"}}) {
        EXPECT_EQ(Render(bad).status, 2) << bad.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(Render({"--out", dir.filePath("no/such/dir/x.png")}).status, 1);
    EXPECT_EQ(Render({"--out", out, "--file", dir.filePath("missing.dst")}).status, 1);
}

}  // namespace
