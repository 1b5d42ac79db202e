// merrovan-cli report as a user runs it: the folder it writes, what the page refers to, and
// what happens when the folder cannot be written.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <set>

#include "support/cli_process.hpp"

namespace {

using RunResult = mvtest::CliRun;

RunResult Cli(const QStringList& args) {
    return mvtest::RunMerrovanCli(args);
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QStringList kPictures = {"picture-mid-gear", "picture-full-forward", "diagram-sine",
                               "diagram-oval",     "diagram-steam",        "diagram-port",
                               "diagram-indicator"};

// The default gear's report, written once for the tests that only read it.
class CliReport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        run_ = new RunResult(Cli({"report", "--out", Dir()}));
    }
    static void TearDownTestSuite() {
        delete run_;
        delete dir_;
    }
    static QString Dir() { return dir_->filePath("report"); }
    static QString File(const QString& name) { return QDir(Dir()).filePath(name); }

    static QTemporaryDir* dir_;
    static RunResult* run_;
};
QTemporaryDir* CliReport::dir_ = nullptr;
RunResult* CliReport::run_ = nullptr;

TEST_F(CliReport, WritesEveryPromisedFileAndNamesThePage) {
    ASSERT_EQ(run_->status, 0) << run_->err.toStdString();
    QStringList files = {"index.html", "events.csv", "pivots.csv", "gear.dst"};
    for (const QString& p : kPictures) files << p + ".png" << p + ".svg";
    for (const QString& f : files) EXPECT_GT(QFileInfo(File(f)).size(), 0) << f.toStdString();
    // Nothing half-written is left beside them.
    EXPECT_EQ(QDir(Dir()).entryList(QDir::Files).size(), files.size());

    const QString index = QFileInfo(File("index.html")).absoluteFilePath();
    EXPECT_EQ(run_->out.trimmed(), index.toUtf8());
    const QList<QByteArray> lines = run_->err.trimmed().split('\n');
    EXPECT_GT(lines.size(), 3) << "progress lines while working";
    EXPECT_TRUE(lines.last().endsWith(index.toUtf8())) << lines.last().toStdString();
}

TEST_F(CliReport, PictureSizesAndTheirContent) {
    ASSERT_EQ(run_->status, 0);
    EXPECT_EQ(QImage(File("picture-mid-gear.png")).size(), QSize(632, 380));
    EXPECT_EQ(QImage(File("diagram-sine.png")).size(), QSize(632, 414));
    EXPECT_EQ(QImage(File("diagram-oval.png")).size(), QSize(632, 426));
    // Mid gear and full gear are different positions of the linkage.
    EXPECT_NE(QImage(File("picture-mid-gear.png")), QImage(File("picture-full-forward.png")));
    // The same picture as the render command draws for the client area.
    const QString full = dir_->filePath("full.png");
    ASSERT_EQ(Cli({"render", "--out", full, "--crop", "632x380", "--notch", "1"}).status, 0);
    EXPECT_EQ(QImage(full), QImage(File("picture-full-forward.png")));
    for (const QString& p : kPictures) {
        const QByteArray svg = Bytes(File(p + ".svg"));
        EXPECT_TRUE(svg.contains("<svg")) << p.toStdString();
        EXPECT_TRUE(svg.trimmed().endsWith("</svg>")) << p.toStdString();
    }
}

TEST_F(CliReport, PageIsSelfContainedAndRefersOnlyToItsOwnFiles) {
    ASSERT_EQ(run_->status, 0);
    const QString html = QString::fromUtf8(Bytes(File("index.html")));
    EXPECT_FALSE(html.contains(QLatin1String("<script"), Qt::CaseInsensitive));
    EXPECT_FALSE(html.contains(QLatin1String("http:"), Qt::CaseInsensitive));
    EXPECT_FALSE(html.contains(QLatin1String("https:"), Qt::CaseInsensitive));
    EXPECT_FALSE(html.contains(QLatin1String("@import"), Qt::CaseInsensitive));
    EXPECT_FALSE(html.contains(dir_->path())) << "no absolute path of the folder";

    const QRegularExpression ref(QStringLiteral("(?:src|href)\\s*=\\s*\"([^\"]*)\""));
    std::set<QString> refs;
    for (auto it = ref.globalMatch(html); it.hasNext();) refs.insert(it.next().captured(1));
    EXPECT_GE(refs.size(), 15u);
    for (const QString& r : refs) {
        EXPECT_FALSE(r.contains(QLatin1Char('/')) || r.contains(QLatin1Char(':')))
            << r.toStdString();
        EXPECT_TRUE(QFileInfo::exists(File(r))) << r.toStdString();
    }
    for (const QString& p : kPictures) {
        EXPECT_TRUE(refs.count(p + ".png")) << p.toStdString();
        EXPECT_TRUE(refs.count(p + ".svg")) << p.toStdString();
    }

    EXPECT_TRUE(html.contains(QLatin1String("<h1>Nominal</h1>")));
    // Dimensions by their short names, not the dialog labels spaced for the dialogs.
    EXPECT_TRUE(html.contains(QLatin1String("<td class=\"label\">Driver Dia</td>")));
    EXPECT_TRUE(html.contains(QLatin1String("<td class=\"label\">Rev Arm to Cent Max</td>")));
    EXPECT_FALSE(html.contains(QLatin1String("white-space:pre")));
    EXPECT_EQ(html.count(QLatin1String("class=\"label\"")), 27 + 22);
}

TEST_F(CliReport, CsvFilesHaveAHeaderAndTheirRows) {
    ASSERT_EQ(run_->status, 0);
    const QList<QByteArray> events = Bytes(File("events.csv")).trimmed().split('\n');
    ASSERT_EQ(events.size(), 1 + 38);
    const QList<QByteArray> head = events[0].split(',');
    EXPECT_EQ(head[0], "direction");
    EXPECT_EQ(head[1], "revarm");
    int fwd = 0, rev = 0;
    for (int k = 1; k < events.size(); ++k) {
        const QList<QByteArray> cells = events[k].split(',');
        ASSERT_EQ(cells.size(), head.size()) << k;
        fwd += cells[0] == "fwd";
        rev += cells[0] == "rev";
        bool ok = false;
        cells[1].toDouble(&ok);
        EXPECT_TRUE(ok) << events[k].toStdString();
    }
    EXPECT_EQ(fwd, 19);
    EXPECT_EQ(rev, 19);

    // Default step of 10 degrees: 0 .. 360 is 37 rows, six pivots of two columns each.
    const QList<QByteArray> pivots = Bytes(File("pivots.csv")).trimmed().split('\n');
    ASSERT_EQ(pivots.size(), 1 + 37);
    EXPECT_EQ(pivots[0].split(',').size(), 13);
    EXPECT_TRUE(pivots[0].contains("pivot2_") && pivots[0].contains("pivot18_"));
    EXPECT_EQ(pivots[1].split(',')[0], "0");
    for (int k = 1; k < pivots.size(); ++k) EXPECT_EQ(pivots[k].split(',').size(), 13) << k;

    // The page shows both directions of the event table.
    const QString html = QString::fromUtf8(Bytes(File("index.html")));
    EXPECT_EQ(html.count(QLatin1String("<td>fwd</td>")), 19);
    EXPECT_EQ(html.count(QLatin1String("<td>rev</td>")), 19);
    // Each row ends in its geometry flag, under the heading of that name: the default gear
    // solves without a clamp.
    EXPECT_TRUE(html.contains(QLatin1String("<th>geometry_error</th></tr>")));
    EXPECT_EQ(html.count(QLatin1String("<td>ok</td></tr>")), 38);
}

TEST_F(CliReport, SavedWorkingSetReloadsToTheSameGear) {
    ASSERT_EQ(run_->status, 0);
    const RunResult original = Cli({"solve", "--angle", "0", "--angle", "135"});
    const RunResult reloaded =
        Cli({"solve", "--file", File("gear.dst"), "--angle", "0", "--angle", "135"});
    ASSERT_EQ(original.status, 0);
    ASSERT_EQ(reloaded.status, 0) << reloaded.err.toStdString();
    EXPECT_EQ(reloaded.out, original.out);  // mid gear, pivots and valve alike
    EXPECT_TRUE(original.out.contains("\"mid_gear\""));
}

TEST(CliReportOptions, ChangedGearIsWhatTheReportShows) {
    QTemporaryDir dir;
    const QString out = dir.filePath("r");
    const RunResult r = Cli({"report", "--out", out, "--set", "5=1.9", "--positions", "4,4.5"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const RunResult reloaded = Cli({"solve", "--file", out + "/gear.dst"});
    const RunResult expected = Cli({"solve", "--set", "5=1.9"});
    EXPECT_EQ(reloaded.out, expected.out);
    EXPECT_TRUE(Bytes(out + "/index.html").contains("1.9000"));
}

TEST(CliReportOptions, NameFromTheFileIsEscapedOnThePage) {
    QTemporaryDir dir;
    const QString first = dir.filePath("first");
    ASSERT_EQ(Cli({"report", "--out", first}).status, 0);
    const QString odd = dir.filePath("a<b&c.dst");
    ASSERT_TRUE(QFile::copy(first + "/gear.dst", odd));
    const QString second = dir.filePath("second");
    const RunResult r = Cli({"report", "--out", second, "--file", odd});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray html = Bytes(second + "/index.html");
    EXPECT_TRUE(html.contains("<h1>a&lt;b&amp;c</h1>"));
    EXPECT_FALSE(html.contains("a<b"));
}

TEST(CliReportOptions, RewritingAnExistingReportReplacesItsFiles) {
    QTemporaryDir dir;
    const QString out = dir.filePath("r");
    ASSERT_EQ(Cli({"report", "--out", out}).status, 0);
    QFile stale(out + "/events.csv");
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly | QIODevice::Truncate));
    stale.write("stale\n");
    stale.close();
    ASSERT_EQ(Cli({"report", "--out", out}).status, 0);
    EXPECT_TRUE(Bytes(out + "/events.csv").startsWith("direction,"));
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 4 + 2 * kPictures.size());
}

TEST(CliReportOptions, PressureAddsTheIndicatorFigures) {
    QTemporaryDir dir;
    const QString out = dir.filePath("r");
    const RunResult r = Cli({"report", "--out", out, "--pressure", "160", "--rod-dia", "0.5"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QList<QByteArray> csv = Bytes(out + "/performance.csv").trimmed().split('\n');
    ASSERT_EQ(csv.size(), 1 + 8);  // four notches each way
    EXPECT_TRUE(csv[0].startsWith("direction,notch,revarm,front_work,"));
    EXPECT_TRUE(csv[1].startsWith("fwd,0.25,"));
    const QString html = QString::fromUtf8(Bytes(out + "/index.html"));
    EXPECT_TRUE(html.contains(QLatin1String("<h2>Steam in the cylinder</h2>")));
    EXPECT_TRUE(html.contains(QLatin1String("<th>tractive_effort</th>")));
    EXPECT_TRUE(html.contains(QLatin1String("href=\"performance.csv\"")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 5 + 2 * kPictures.size());
    // The cards are drawn for the report's pressure, not the default one.
    const QString plain = dir.filePath("plain");
    ASSERT_EQ(Cli({"report", "--out", plain}).status, 0);
    EXPECT_NE(QImage(out + "/diagram-indicator.png"), QImage(plain + "/diagram-indicator.png"));

    for (const QStringList& bad : {QStringList{"--back-pressure", "10"},
                                   QStringList{"--pressure", "10", "--back-pressure", "20"},
                                   QStringList{"--pressure", "100", "--rod-dia", "9"}}) {
        const QString never = dir.filePath("never");
        EXPECT_EQ(Cli(QStringList{"report", "--out", never} + bad).status, 2)
            << bad.join(' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(never));
    }
}

TEST(CliReportOptions, FolderThatCannotBeWrittenFailsClearly) {
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain");
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    for (const QString& out : {plain + "/report", plain}) {
        const RunResult r = Cli({"report", "--out", out});
        EXPECT_EQ(r.status, 1) << out.toStdString();
        EXPECT_TRUE(r.err.contains(out.toUtf8())) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(Bytes(plain), "x");

    // A file that does not load fails before anything is created.
    const QString never = dir.filePath("never");
    const RunResult missing = Cli({"report", "--out", never, "--file", dir.filePath("no.dst")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(QFileInfo::exists(never));
}

TEST(CliReportOptions, UsageErrors) {
    QTemporaryDir dir;
    const QString out = dir.filePath("r");
    for (const QStringList& bad :
         {QStringList{}, QStringList{"--out"}, QStringList{"--out", ""},
          QStringList{"--out", out, "--notch", "1"}, QStringList{"--out", out, "--bogus"},
          QStringList{"--out", out, "--positions", "1,2,3,4,5,6,7,8,9,10"},
          QStringList{"--out", out, "--positions", "4,x"},
          QStringList{"--out", out, "--set", "999=1"}}) {
        const RunResult r = Cli(QStringList{"report"} + bad);
        EXPECT_EQ(r.status, 2) << bad.join(' ').toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(out));
    const RunResult help = Cli({"report", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--out DIR"));
}

}  // namespace
