// merrovan-cli events as a user runs it: output formats, row counts and exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <string>

namespace {

struct RunResult {
    int status = -1;
    std::string out;
};

RunResult RunEvents(const std::string& options) {
    const std::string cmd =
        std::string("\"") + MERROVAN_BIN_DIR "/merrovan-cli\" events " + options + " 2>/dev/null";
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

QStringList Lines(const std::string& text) {
    return QString::fromStdString(text).split('\n', Qt::SkipEmptyParts);
}

TEST(EventsCli, JsonIsOneObjectPerRowWithBothEnds) {
    const RunResult r = RunEvents("--direction fwd --format json");
    ASSERT_EQ(r.status, 0);
    const QStringList lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 19);
    for (int i = 0; i < lines.size(); ++i) {
        QJsonParseError err{};
        const QJsonDocument doc = QJsonDocument::fromJson(lines[i].toUtf8(), &err);
        ASSERT_EQ(err.error, QJsonParseError::NoError) << lines[i].toStdString();
        const QJsonObject o = doc.object();
        EXPECT_EQ(o["direction"].toString(), "fwd");
        for (const char* key : {"revarm", "notch", "travel"}) EXPECT_TRUE(o[key].isDouble()) << key;
        for (const char* end : {"front", "rear"}) {
            const QJsonObject e = o[end].toObject();
            for (const char* key : {"admission", "cutoff", "release", "compression", "lead",
                                    "max_steam", "max_exhaust"})
                EXPECT_TRUE(e[key].isDouble()) << end << "." << key << " row " << i;
        }
        if (i == 0) {
            EXPECT_EQ(o["notch"].toDouble(), 0.0);
        }
    }
    // Numbers are the shortest text that reads back as the float (mid gear 3.76928616 as a
    // float), not nine digits.
    EXPECT_NE(lines[0].indexOf(QString("\"revarm\":3.7692862,")), -1) << lines[0].toStdString();
}

TEST(EventsCli, NeverOpeningPortsGiveNulls) {
    const RunResult r = RunEvents("--set 119=3 --set 118=3 --settings 3.7693 --format json");
    ASSERT_EQ(r.status, 0);
    const QStringList lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2);  // the one setting, forward and reverse
    for (const QString& l : lines) {
        const QJsonObject o = QJsonDocument::fromJson(l.toUtf8()).object();
        EXPECT_TRUE(o["front"].toObject()["cutoff"].isNull());
        EXPECT_TRUE(o["rear"].toObject()["admission"].isNull());
        EXPECT_TRUE(o["rear"].toObject()["max_steam"].isNull());
        EXPECT_TRUE(o["front"].toObject()["release"].isDouble());
    }
    EXPECT_EQ(QJsonDocument::fromJson(lines[1].toUtf8()).object()["direction"].toString(), "rev");
}

TEST(EventsCli, CsvHasAHeaderAndARowPerSettingAndDirection) {
    const RunResult r = RunEvents("--direction both --format csv");
    ASSERT_EQ(r.status, 0);
    const QStringList lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 1 + 38);
    EXPECT_TRUE(lines[0].startsWith("direction,revarm,notch,travel,front_admission,"));
    EXPECT_TRUE(lines[0].endsWith(",rear_max_steam,rear_max_exhaust,geometry_error"));
    const int columns = lines[0].split(',').size();
    EXPECT_EQ(columns, 19);
    for (int i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].split(',').size(), columns) << i;
        EXPECT_TRUE(lines[i].startsWith(i <= 19 ? "fwd," : "rev,")) << i;
    }

    const RunResult few = RunEvents("--rows 3 --direction rev --format csv");
    ASSERT_EQ(few.status, 0);
    EXPECT_EQ(Lines(few.out).size(), 1 + 3);
}

TEST(EventsCli, TableIsAlignedTextWithDashesForAbsentValues) {
    const RunResult r = RunEvents("--set 119=3 --settings 3.7693 --direction fwd");
    ASSERT_EQ(r.status, 0);
    const QStringList lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3);  // two header lines and the row
    EXPECT_TRUE(lines[2].startsWith("fwd"));
    EXPECT_NE(lines[2].indexOf(QString::fromUtf8("\u2014")), -1);
    EXPECT_EQ(lines[1].size(), lines[2].size());  // the dash counts as one character
}

TEST(EventsCli, BadOptionsAreUsageErrorsAndBadFilesFileErrors) {
    for (const char* bad :
         {"--bogus", "--rows 0", "--rows 2.5", "--rows", "--settings 1,,2", "--settings x",
          "--direction sideways", "--format xml", "--rows 3 --settings 1", "--notch 0.5",
          "--settings nan", "--set 999=1"})
        EXPECT_EQ(RunEvents(bad).status, 2) << bad;
    EXPECT_EQ(RunEvents("--file /nonexistent/gear.dst").status, 1);
}

}  // namespace
