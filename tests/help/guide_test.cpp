// The user guide: its pictures are the snapshot tool's, its links resolve, every command of
// merrovan-cli has a worked example that runs and prints what the guide shows, and the Help
// item opens it with its first picture.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include "help/guide_window.hpp"
#include "mainwin/main_form.hpp"
#include "support/qstring_print.hpp"
#include "support/widgets_support.hpp"

// Failure messages name pages, pictures and commands.
static std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << s.toStdString();
}

namespace {

const QString kSource = QStringLiteral(MERROVAN_SOURCE_DIR "/src/help/guide");
const QString kBin = QStringLiteral(MERROVAN_BIN_DIR);

struct Example {
    QString command;
    QStringList shown;  // the output the guide shows after it
};

struct Page {
    QString name;
    QStringList pictures, links;
    QSet<QString> anchors;
    std::vector<Example> examples;
};

// What the tests need of a Markdown page: pictures and links outside code, heading anchors,
// and the "$ " commands of the fenced blocks with the lines shown after each.
Page ParsePage(const QString& name) {
    Page p;
    p.name = name;
    QFile f(QDir(kSource).filePath(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    static const QRegularExpression picture(QStringLiteral("!\\[[^\\]]*\\]\\(([^)\\s]+)\\)"));
    static const QRegularExpression link(QStringLiteral("(?<!!)\\[[^\\]]*\\]\\(([^)\\s]+)\\)"));
    bool fenced = false;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("```"))) {
            fenced = !fenced;
            continue;
        }
        if (fenced) {
            if (line.startsWith(QLatin1String("$ ")))
                p.examples.push_back({line.mid(2), {}});
            else if (!p.examples.empty() && line.trimmed() != QLatin1String("..."))
                p.examples.back().shown << line.simplified();
            continue;
        }
        if (line.startsWith(QLatin1Char('#')))
            p.anchors.insert(mv::GuideAnchor(line.section(QLatin1Char(' '), 1)));
        for (const auto& m : picture.globalMatch(line)) p.pictures << m.captured(1);
        for (const auto& m : link.globalMatch(line)) p.links << m.captured(1);
    }
    return p;
}

std::vector<Page> Pages() {
    std::vector<Page> pages;
    for (const QString& n : QDir(kSource).entryList({QStringLiteral("*.md")}, QDir::Files))
        pages.push_back(ParsePage(n));
    return pages;
}

QStringList ToolPictureNames() {
    QProcess tool;
    tool.start(kBin + QStringLiteral("/merrovan-snapshots"), {QStringLiteral("--guide-names")});
    EXPECT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0);
    return QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

TEST(Guide, PicturesAreTheSnapshotToolsAndAllMade) {
    const QStringList names = ToolPictureNames();
    ASSERT_FALSE(names.isEmpty());
    QSet<QString> used;
    for (const Page& p : Pages()) {
        for (const QString& pic : p.pictures) {
            const QFileInfo fi(pic);
            EXPECT_EQ(fi.path(), "pictures") << p.name << ": " << pic;
            EXPECT_EQ(fi.suffix(), "png") << p.name << ": " << pic;
            EXPECT_TRUE(names.contains(fi.completeBaseName())) << p.name << ": " << pic;
            const QImage image(kBin + QStringLiteral("/guide/") + pic);
            EXPECT_FALSE(image.isNull()) << p.name << ": " << pic << " was not made";
            used.insert(fi.completeBaseName());
        }
    }
    // Nothing made for nothing: the tool's names are exactly the pictures shown.
    for (const QString& n : names) EXPECT_TRUE(used.contains(n)) << n << " is shown nowhere";
}

TEST(Guide, LinksStayInsideTheGuideAndResolve) {
    const std::vector<Page> pages = Pages();
    QSet<QString> reached;
    auto page = [&](const QString& name) -> const Page* {
        for (const Page& p : pages)
            if (p.name == name) return &p;
        return nullptr;
    };
    ASSERT_TRUE(page("index.md"));
    for (const Page& p : pages) {
        for (const QString& l : p.links) {
            const QUrl url(l);
            EXPECT_TRUE(url.scheme().isEmpty()) << p.name << ": " << l << " leaves the guide";
            const QString file = url.path().isEmpty() ? p.name : url.path();
            const Page* target = page(file);
            ASSERT_TRUE(target) << p.name << ": " << l << " names no page";
            if (url.hasFragment()) {
                EXPECT_TRUE(target->anchors.contains(url.fragment()))
                    << p.name << ": " << l << " names no heading";
            }
            reached.insert(file);
        }
    }
    for (const Page& p : pages) {
        if (p.name != "index.md") {
            EXPECT_TRUE(reached.contains(p.name)) << p.name << " unlinked";
        }
    }
}

TEST(Guide, AnchorsAreThoseOfCommonMarkdownViewers) {
    EXPECT_EQ(mv::GuideAnchor("1. A first look"), "1-a-first-look");
    EXPECT_EQ(mv::GuideAnchor("Studies: sensitivity, tolerance"), "studies-sensitivity-tolerance");
    EXPECT_EQ(mv::GuideAnchor(" Cut-off & lead_2 "), "cut-off--lead_2");
}

// Runs every page's examples in order in an empty folder of its own, with the built
// merrovan-cli first on the path. Each must exit 0 and print the lines the guide shows, in order.
TEST(Guide, EveryCommandHasAWorkedExampleThatRuns) {
    QProcess help;
    help.start(kBin + QStringLiteral("/merrovan-cli"), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(30000));
    QStringList commands;
    bool inList = false;
    for (const QString& line : QString::fromUtf8(help.readAllStandardOutput()).split('\n')) {
        if (line == QLatin1String("commands:")) {
            inList = true;
        } else if (inList && line.startsWith(QLatin1String("  "))) {
            commands << line.simplified().section(QLatin1Char(' '), 0, 0);
        } else if (inList) {
            break;
        }
    }
    ASSERT_GE(commands.size(), 5) << "no command list in merrovan-cli --help";

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), kBin + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QSet<QString> shown;
    for (const Page& p : Pages()) {
        QTemporaryDir dir;
        for (const Example& e : p.examples) {
            const QString head = e.command.section(QLatin1Char(' '), 0, 0);
            if (head != QLatin1String("merrovan-cli")) continue;
            shown.insert(e.command.section(QLatin1Char(' '), 1, 1));
            QProcess run;
            run.setProcessEnvironment(env);
            run.setWorkingDirectory(dir.path());
            run.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), e.command});
            ASSERT_TRUE(run.waitForFinished(60000)) << e.command;
            EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << e.command;
            EXPECT_EQ(run.exitCode(), 0) << p.name << ": " << e.command << "\n"
                                         << run.readAllStandardError().toStdString();
            const QStringList out = QString::fromUtf8(run.readAllStandardOutput()).split('\n');
            int at = 0;
            for (const QString& want : e.shown) {
                while (at < out.size() && out[at].simplified() != want) ++at;
                EXPECT_LT(at, out.size()) << p.name << ": " << e.command << " did not print\n"
                                          << want.toStdString();
            }
        }
    }
    for (const QString& c : commands) EXPECT_TRUE(shown.contains(c)) << "no example of " << c;
}

class GuideWindowTest : public ::testing::Test {
protected:
    void SetUp() override { mvtest::EnsureApplication(); }
    mv::Model m;
};

QString FirstPicture(const QTextDocument& doc) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                return it.fragment().charFormat().toImageFormat().name();
    return {};
}

TEST_F(GuideWindowTest, HelpItemOpensTheGuideBesideTheMainWindowWithItsFirstPicture) {
    mv::TMainForm form(m, {.startTimer = false});
    std::vector<QDialog*> modal;
    form.runModal = [&](QDialog* d) { modal.push_back(d); };
    mv::TGuide guide(m, &form);
    mv::AppWindows windows;
    windows.guide = &guide;
    form.SetAppWindows(windows);
    QAction* item = form.findChild<QAction*>(QStringLiteral("UserGuide"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), "&UserGuide");
    EXPECT_EQ(item->shortcut(), QKeySequence(QKeySequence::HelpContents));
    item->trigger();
    EXPECT_TRUE(guide.isVisible());
    EXPECT_TRUE(modal.empty()) << "the guide must not block the main window";
    EXPECT_TRUE(guide.Browser()->source().toLocalFile().endsWith("guide/index.md"));

    const QString first = FirstPicture(*guide.Browser()->document());
    ASSERT_FALSE(first.isEmpty());
    guide.Browser()->grab();  // lays the page out, which loads its pictures
    const QVariant image = guide.Browser()->document()->resource(
        QTextDocument::ImageResource, guide.Browser()->source().resolved(QUrl(first)));
    ASSERT_TRUE(image.isValid()) << first;
    EXPECT_FALSE(image.value<QImage>().isNull() && image.value<QPixmap>().isNull()) << first;
    guide.hide();
}

TEST_F(GuideWindowTest, FollowsItsOwnLinksToHeadingsAndNoOthers) {
    mv::TGuide guide(m);
    guide.show();
    mv::GuideBrowser* b = guide.Browser();
    const QUrl index = b->source();
    ASSERT_TRUE(index.isLocalFile());
    b->setSource(index.resolved(QUrl("good-gear.md#why-the-ends-differ")));
    EXPECT_TRUE(b->source().path().endsWith("good-gear.md"));
    const QTextCursor at = b->cursorForPosition(QPoint(4, 4));
    EXPECT_EQ(at.block().text(), "Why the ends differ") << "not scrolled to the heading";
    b->setSource(QUrl("https://example.com/"));
    EXPECT_TRUE(b->source().path().endsWith("good-gear.md"));
    guide.hide();
}

QTextImageFormat PictureFormat(const QTextDocument& doc, const QString& name) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat() &&
                it.fragment().charFormat().toImageFormat().name() == name)
                return it.fragment().charFormat().toImageFormat();
    return {};
}

TEST_F(GuideWindowTest, PicturesWiderThanThePageFitItAndGrowBackToTheirOwnSize) {
    const QString name = QStringLiteral("pictures/compare-events.png");
    const QImage own(kBin + QStringLiteral("/guide/") + name);
    ASSERT_FALSE(own.isNull());
    mv::TGuide guide(m);
    guide.resize(700, 600);
    guide.show();
    QCoreApplication::processEvents();
    mv::GuideBrowser* b = guide.Browser();
    b->setSource(b->source().resolved(QUrl("workshop.md")));
    QCoreApplication::processEvents();
    ASSERT_LT(b->PictureWidth(), own.width());
    QTextImageFormat f = PictureFormat(*b->document(), name);
    ASSERT_TRUE(f.isValid());
    EXPECT_EQ(f.width(), b->PictureWidth());
    EXPECT_NEAR(f.height() / f.width(), double(own.height()) / own.width(), 0.01);

    guide.resize(own.width() + 200, 800);
    QCoreApplication::processEvents();
    ASSERT_GT(b->PictureWidth(), own.width());
    f = PictureFormat(*b->document(), name);
    EXPECT_EQ(f.width(), own.width());
    EXPECT_EQ(f.height(), own.height());
    guide.hide();
}

TEST_F(GuideWindowTest, MissingGuideSaysSo) {
    QTemporaryDir empty;
    mv::TGuide guide(m);
    guide.SetIndexPath(empty.filePath("guide/index.md"));
    EXPECT_FALSE(guide.Load());
    EXPECT_EQ(guide.Browser()->toPlainText(), "Error Loading guide/index.md");
}

}  // namespace
