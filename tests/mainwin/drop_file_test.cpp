// Dropping a dimension file onto the main window opens it like the open command.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <string>

#include "files/dimension_file.hpp"
#include "main_form_fixture.hpp"

namespace {

using mvtest::MainFormTest;

QMimeData* FileMime(const QString& path) {
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(path)});
    return mime;
}

void Drop(mv::TMainForm& form, const QString& path) {
    std::unique_ptr<QMimeData> mime(FileMime(path));
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    // Straight to the window: outside a real drag the application routes drops nowhere.
    static_cast<QObject&>(form).event(&drop);
    QApplication::processEvents();
}

TEST_F(MainFormTest, DroppedDimensionFileOpens) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    mv::Model other;
    mv::StartUp(other);
    other.frame.mainRod = 12.5f;
    const QString path = dir.filePath("long rod.dst");
    std::string error;
    ASSERT_TRUE(mv::files::SaveDst(other, path.toStdString(), error)) << error;

    EXPECT_TRUE(form->acceptDrops());
    Drop(*form, path);
    EXPECT_FLOAT_EQ(m.frame.mainRod, 12.5f);
    EXPECT_EQ(m.dataSetName, "long rod");
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainFormTest, DroppedBadFileShowsMessageAndKeepsTheGear) {
    QTemporaryDir dir;
    const QString path = dir.filePath("short.dst");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(1000, '\0'));
    f.close();
    Drop(*form, path);
    EXPECT_FLOAT_EQ(m.frame.mainRod, 10.0f);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("short.dst"));
}

TEST_F(MainFormTest, OnlyDimensionFilesAreAccepted) {
    std::unique_ptr<QMimeData> text(FileMime("/tmp/notes.txt"));
    EXPECT_TRUE(mv::TMainForm::DroppedDimensionFile(text.get()).isEmpty());
    std::unique_ptr<QMimeData> dst(FileMime("/tmp/Gear.DST"));
    EXPECT_EQ(mv::TMainForm::DroppedDimensionFile(dst.get()), "/tmp/Gear.DST");
    QMimeData plain;
    plain.setText("hello");
    EXPECT_TRUE(mv::TMainForm::DroppedDimensionFile(&plain).isEmpty());
    EXPECT_TRUE(mv::TMainForm::DroppedDimensionFile(nullptr).isEmpty());
}

}  // namespace
