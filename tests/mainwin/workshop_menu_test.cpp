// The File menu's workshop items on a real main window: the build sheet through the print
// dialog, the DXF drawing, and the comparison gear, which nothing but its own items touch.
#include <QFile>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "files/dimension_file.hpp"
#include "main_form_fixture.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"

namespace mvtest {
namespace {

class WorkshopMenu : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    // A gear file like the defaults with the eccentric rod's left end longer.
    QString OtherGear(const char* name) {
        mv::Model other;
        mv::StartUp(other);
        mv::StoreDimension(other, 6, 8.6f);
        const QString path = dir.filePath(QString::fromLatin1(name));
        std::string error;
        EXPECT_TRUE(mv::files::SaveDimensionFile(other, path.toStdString(), error)) << error;
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(WorkshopMenu, ItemsFollowTheClassicFileItems) {
    QStringList texts;
    for (QAction* a : W<QMenu>("File1")->actions()) texts << (a->isSeparator() ? "|" : a->text());
    const QStringList want = {"&OpenDimensions",
                              "Open&DosDimensions",
                              "Save&AsDimensions",
                              "E&xit",
                              "|",
                              "&NewGear\u2026",
                              "BuildSheet\u2026",
                              "ExportDXF\u2026",
                              "CompareWith\u2026",
                              "CompareOff"};
    EXPECT_EQ(texts, want);
    EXPECT_FALSE(Action("CompareOff")->isEnabled());
}

TEST_F(WorkshopMenu, ComparisonGearIsLoadedReadOnlyAndDropped) {
    const QString good = OtherGear("b.mvo");
    QString chosen = dir.filePath("missing.dst");
    form->chooseFile = [&](mv::FileCommand c) {
        EXPECT_EQ(c, mv::FileCommand::CompareWith);
        return chosen;
    };
    // An unreadable file: the reader's message, no comparison.
    Action("CompareWith")->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("missing.dst"));
    EXPECT_FALSE(m.comparison);

    chosen = good;
    Action("CompareWith")->trigger();
    ASSERT_TRUE(m.comparison);
    EXPECT_EQ(m.comparison->name, "b");
    EXPECT_EQ(mv::GetDimension(m.comparison->gear, 6), 8.6f);
    EXPECT_EQ(mv::GetDimension(m, 6), 8.47f);  // the working gear is as it was
    EXPECT_TRUE(Action("CompareOff")->isEnabled());
    form->Timer1Timer();
    EXPECT_TRUE(form->windowTitle().contains("Nominal compared with b"));

    // A bad file now leaves the loaded comparison gear alone.
    QFile bad(dir.filePath("bad.mvo"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a gear\n");
    bad.close();
    chosen = bad.fileName();
    Action("CompareWith")->trigger();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].contains("bad.mvo"));
    ASSERT_TRUE(m.comparison);
    EXPECT_EQ(m.comparison->name, "b");

    // Edits, undo and saving touch the working gear only.
    const mv::Gear before = m.comparison->gear;
    m.pendingEdit = true;
    mv::CommitAnyDimension(m, 3, 10.5f);
    mv::UndoLastChange(m);
    mv::CommitAnyDimension(m, 8, 3.6f);
    EXPECT_EQ(mv::GetDimension(m.comparison->gear, 3), mv::GetDimension(before, 3));
    EXPECT_EQ(mv::GetDimension(m.comparison->gear, 8), mv::GetDimension(before, 8));
    const QString saved = dir.filePath("saved.mvo");
    form->chooseFile = [&](mv::FileCommand) { return saved; };
    Action("SaveAsDimensions")->trigger();
    mv::Model back;
    mv::StartUp(back);
    std::string error;
    ASSERT_TRUE(mv::files::OpenDimensionFile(back, saved.toStdString(), error)) << error;
    EXPECT_EQ(mv::GetDimension(back, 8), 3.6f);
    EXPECT_EQ(mv::GetDimension(back, 6), 8.47f);

    Action("CompareOff")->trigger();
    EXPECT_FALSE(m.comparison);
    EXPECT_FALSE(Action("CompareOff")->isEnabled());
    form->Timer1Timer();
    EXPECT_FALSE(form->windowTitle().contains("compared"));
}

TEST_F(WorkshopMenu, DxfOfThePictureAndFailuresReported) {
    const QString out = dir.filePath("gear.dxf");
    form->chooseFile = [&](mv::FileCommand c) {
        EXPECT_EQ(c, mv::FileCommand::ExportDxf);
        return out;
    };
    Action("ExportDXF")->trigger();
    EXPECT_TRUE(messages.empty());
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray dxf = f.readAll();
    EXPECT_TRUE(dxf.contains("\nRODS\n"));
    EXPECT_TRUE(dxf.endsWith("EOF\n"));

    form->chooseFile = [&](mv::FileCommand) { return dir.filePath("none/gear.dxf"); };
    Action("ExportDXF")->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("none/gear.dxf"));
}

TEST_F(WorkshopMenu, BuildSheetPrintsTwoPagesOrNothingWhenCancelled) {
    const QString pdf = dir.filePath("sheet.pdf");
    form->choosePrinter = [](QPrinter&) { return false; };
    Action("BuildSheet")->trigger();
    EXPECT_FALSE(QFile::exists(pdf));

    form->choosePrinter = [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        return true;
    };
    Action("BuildSheet")->trigger();
    EXPECT_TRUE(messages.empty());
    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression("Pages:\\s+2\\n")));
}

}  // namespace
}  // namespace mvtest
