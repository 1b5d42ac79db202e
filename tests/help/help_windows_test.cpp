// The help windows with and without their text files, and the about box.
#include "help/help_windows.hpp"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "mainwin/data_files.hpp"
#include "support/widgets_support.hpp"

namespace {

class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override { mvtest::EnsureApplication(); }
    mv::Model m;
};

TEST_F(HelpWindowTest, ShowsTheFileFromTheFirstFolderThatHasIt) {
    QTemporaryDir empty, full;
    QFile f(full.filePath("instruct.doc"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("First line\nSecond line \xc2\xb0\n");
    f.close();
    mv::TInst w(m);
    w.SetSearchFolders({empty.path(), full.path()});
    w.show();
    EXPECT_EQ(w.Memo()->toPlainText(), QString::fromUtf8("First line\nSecond line \xc2\xb0\n"));
    EXPECT_TRUE(w.Memo()->isReadOnly());
    w.hide();
}

TEST_F(HelpWindowTest, MissingFileShowsErrorLoading) {
    QTemporaryDir empty;
    mv::TMvOSpInst w(m);
    w.SetSearchFolders({empty.path()});
    EXPECT_FALSE(w.Load());
    EXPECT_EQ(w.Memo()->toPlainText(), "Error Loading MvOSpIns.doc");
    mv::TInst i(m);
    i.SetSearchFolders({});
    i.show();
    EXPECT_EQ(i.Memo()->toPlainText(), "Error Loading instruct.doc");
    i.hide();
}

TEST_F(HelpWindowTest, ReadsTheFileAgainWhenReopened) {
    QTemporaryDir dir;
    mv::TInst w(m);
    w.SetSearchFolders({dir.path()});
    w.show();
    EXPECT_TRUE(w.Memo()->toPlainText().startsWith("Error Loading"));
    w.hide();
    QFile f(dir.filePath("instruct.doc"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("now here");
    f.close();
    w.show();
    EXPECT_EQ(w.Memo()->toPlainText(), "now here");
    w.hide();
}

// The build copies the texts beside the binaries, where the windows find them by default: in the
// data folders, where the sounds are looked for too.
TEST_F(HelpWindowTest, InstalledTextsCoverTheirSubjects) {
    EXPECT_EQ(mv::HelpTextWindow::DefaultSearchFolders(), mv::DataFolders());
    mv::TInst inst(m);
    ASSERT_TRUE(inst.Load()) << "instruct.doc beside "
                             << QCoreApplication::applicationDirPath().toStdString();
    const QString a = inst.Memo()->toPlainText();
    for (const char* word : {"lead", "lap", "cut-off", "release", "compression", "Sine Diagram",
                             "Oval Diagram", "Steam Diagram", "Port Open/Closed", "Step Angle",
                             "Reverse Arm", "Reference Points", "Pivot Data", "UnDo"})
        EXPECT_TRUE(a.contains(QLatin1String(word), Qt::CaseInsensitive)) << word;

    mv::TMvOSpInst special(m);
    ASSERT_TRUE(special.Load());
    const QString b = special.Memo()->toPlainText();
    for (const char* word :
         {".dst", ".mvo", "dynamic variable", "undo", "graphic", "Rev Arm to Cent Max"})
        EXPECT_TRUE(b.contains(QLatin1String(word), Qt::CaseInsensitive)) << word;
}

TEST_F(HelpWindowTest, AboutBoxNamesVersionAndQt) {
    mv::TAboutBox about(m);
    QString all;
    for (QLabel* l : about.findChildren<QLabel*>()) all += l->text() + '\n';
    EXPECT_TRUE(all.contains("Version " MERROVAN_VERSION));
    EXPECT_TRUE(all.contains(QString::fromLatin1(qVersion())));
    EXPECT_TRUE(all.contains("MERROVAN"));
}

}  // namespace
