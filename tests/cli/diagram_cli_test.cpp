// merrovan-cli diagram: files, sizes and exit statuses.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int RunCli(const std::string& args) {
    const std::string cmd =
        std::string(MERROVAN_BIN_DIR) + "/merrovan-cli " + args + " 2>/dev/null";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class DiagramCli : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    QTemporaryDir dir;
};

TEST_F(DiagramCli, DrawsEveryDiagramAtItsWindowSize) {
    for (const char* kind : {"sine", "oval", "steam", "port", "indicator"}) {
        const std::string out = Path((std::string(kind) + ".png").c_str());
        ASSERT_EQ(RunCli(std::string("diagram ") + kind + " --out " + out), 0) << kind;
        const QImage img(QString::fromStdString(out));
        ASSERT_FALSE(img.isNull()) << kind;
        EXPECT_EQ(img.width(), 632);
        const std::string k = kind;
        EXPECT_EQ(img.height(), k == "oval" ? 426 : k == "indicator" ? 496 : 414);
        EXPECT_EQ(img.pixel(631, img.height() - 1) & 0xFFFFFF, 0xFFFFFFu);  // on white
    }
}

TEST_F(DiagramCli, UsageLineNamesTheReverseArmOptionsItsHelpDescribes) {
    FILE* f =
        ::popen((std::string(MERROVAN_BIN_DIR) + "/merrovan-cli diagram --help").c_str(), "r");
    char usage[512] = {};
    ASSERT_NE(std::fgets(usage, sizeof usage, f), nullptr);
    ::pclose(f);
    EXPECT_NE(std::string(usage).find("[--revarm X | --notch F]"), std::string::npos) << usage;
}

TEST_F(DiagramCli, VectorFormats) {
    ASSERT_EQ(RunCli("diagram steam --out " + Path("s.svg")), 0);
    ASSERT_EQ(RunCli("diagram port --mode B --out " + Path("p.pdf")), 0);
    QFile svg(QString::fromStdString(Path("s.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
    QFile pdf(QString::fromStdString(Path("p.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(8).startsWith("%PDF"));
}

TEST_F(DiagramCli, PositionsAndScaleChangeTheDrawing) {
    ASSERT_EQ(RunCli("diagram sine --out " + Path("a.png")), 0);
    ASSERT_EQ(RunCli("diagram sine --positions 3.9,4.3 --scale 0.05 --out " + Path("b.png")), 0);
    EXPECT_NE(QImage(QString::fromStdString(Path("a.png"))),
              QImage(QString::fromStdString(Path("b.png"))));
}

TEST_F(DiagramCli, UsageErrorsExitTwo) {
    EXPECT_EQ(RunCli("diagram"), 2);
    EXPECT_EQ(RunCli("diagram cosine --out " + Path("x.png")), 2);
    EXPECT_EQ(RunCli("diagram sine"), 2);
    EXPECT_EQ(RunCli("diagram sine --out " + Path("x.bmp")), 2);
    EXPECT_EQ(RunCli("diagram port --mode X --out " + Path("x.png")), 2);
    EXPECT_EQ(RunCli("diagram sine --positions 1,2,3,4,5,6,7,8,9,10 --out " + Path("x.png")), 2);
    EXPECT_EQ(RunCli("diagram sine --positions 1,,2 --out " + Path("x.png")), 2);
    EXPECT_EQ(RunCli("diagram sine --scale abc --out " + Path("x.png")), 2);
    EXPECT_EQ(RunCli("diagram sine --bogus --out " + Path("x.png")), 2);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("x.png"))));
}

TEST_F(DiagramCli, FileErrorsExitOne) {
    EXPECT_EQ(RunCli("diagram sine --file " + Path("missing.dst") + " --out " + Path("y.png")), 1);
    EXPECT_EQ(RunCli("diagram sine --out " + Path("no/such/dir/y.png")), 1);
}

}  // namespace
