// The build sheet as the PDF a user prints: its pages, its text and where its labels stand,
// read back with pdftotext.
#include "aids/build_sheet.hpp"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineF>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

#include "model/dimensions.hpp"

namespace mv {
namespace {

QString Pdftotext(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args);
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString Squeezed(QString s) {
    return s.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}

// A word on page 1 and its box in millimetres from the page's top-left corner.
struct Word {
    QString text;
    QRectF mm;
};

std::vector<Word> PageOneWords(const QString& pdf) {
    const QString xml = Pdftotext({"-f", "1", "-l", "1", "-bbox", pdf, "-"});
    static const QRegularExpression re(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)"
        "</word>"));
    std::vector<Word> out;
    constexpr double kMm = 25.4 / 72;
    for (auto it = re.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        out.push_back(
            {m.captured(5),
             QRectF(QPointF(m.captured(1).toDouble() * kMm, m.captured(2).toDouble() * kMm),
                    QPointF(m.captured(3).toDouble() * kMm, m.captured(4).toDouble() * kMm))});
    }
    return out;
}

class BuildSheet : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        StartUp(gear_);
    }
    QString Write(const SheetData& d, QPageSize::PageSizeId paper, const char* name) {
        const QString path = dir_.filePath(QString::fromLatin1(name));
        QString error;
        EXPECT_TRUE(WriteSheetPdf(path, d, paper, &error)) << error.toStdString();
        return path;
    }
    QTemporaryDir dir_;
    Model gear_;
    const QDate date_{2024, 5, 17};
};

TEST_F(BuildSheet, TwoPagesWithEveryDimensionAndATitleBlockOnEach) {
    const SheetData d = MakeSheetData(gear_, "Nominal", date_);
    const QString pdf = Write(d, QPageSize::A4, "sheet.pdf");
    const QStringList pages = Pdftotext({"-layout", pdf, "-"}).split(QLatin1Char('\f'));
    ASSERT_EQ(pages.size(), 3);  // two pages, then what follows the last page break
    EXPECT_TRUE(pages[2].trimmed().isEmpty());
    for (int k = 0; k < 2; ++k) {
        const QString page = Squeezed(pages[k]);
        for (const char* text : {"Nominal", "2024-05-17", "lengths in the unit of the dimensions",
                                 "merrovan " MERROVAN_VERSION})
            EXPECT_TRUE(page.contains(QLatin1String(text))) << text << " on page " << k + 1;
        EXPECT_TRUE(page.contains(QStringLiteral("%1 of 2").arg(k + 1)));
    }
    const QString two = Squeezed(pages[1]);
    for (auto infos : {FrameDimensionInfo(), CylinderDimensionInfo()})
        for (const DimensionInfo& info : infos)
            EXPECT_TRUE(two.contains(Squeezed(QString::fromLatin1(info.shortName))))
                << info.shortName;
    // The event rows: four cut-offs and full gear each way, all reached by the default gear.
    EXPECT_EQ(two.count(QStringLiteral("fwd full gear")), 1);
    EXPECT_EQ(two.count(QStringLiteral("rev full gear")), 1);
    EXPECT_FALSE(two.contains(QStringLiteral("not reached")));
    // Page 1 gives the laps and the rod lengths.
    const QString one = Squeezed(pages[0]);
    EXPECT_TRUE(one.contains(QStringLiteral("front steam lap 0.1565")));
    EXPECT_TRUE(one.contains(QStringLiteral("10.0000")));  // the main rod
}

TEST_F(BuildSheet, FixedPivotLabelsStandBesideTheirPivots) {
    // A moved bell crank pivot must take its label with it; on Letter paper as on A4.
    StoreDimension(gear_, 14, 11.4f);
    const SheetData d = MakeSheetData(gear_, "moved", date_);
    for (auto paper : {QPageSize::A4, QPageSize::Letter}) {
        const QString pdf = Write(d, paper, "pivots.pdf");
        const std::vector<Word> words = PageOneWords(pdf);
        const QSizeF page = QPageSize(paper).size(QPageSize::Millimeter);
        const SheetView v = MechanismSheetView(d, page);
        std::vector<QPointF> marks;
        for (int n : kFixedPivots)
            marks.push_back(v.ToPage(d.gear.pivots[n].x, d.gear.pivots[n].y));
        for (std::size_t k = 0; k < kFixedPivots.size(); ++k) {
            const int n = kFixedPivots[k];
            const QString x = QStringLiteral("(%1,").arg(d.gear.pivots[n].x, 0, 'f', 4);
            const auto w = std::find_if(words.begin(), words.end(),
                                        [&](const Word& w) { return w.text == x; });
            ASSERT_NE(w, words.end()) << x.toStdString();
            // Just below and to the right of the cross, nearer its own pivot than any other.
            const QPointF at = w->mm.topLeft() - marks[k];
            EXPECT_GT(at.x(), 2.0) << n;
            EXPECT_LT(at.x(), 9.0) << n;
            EXPECT_GT(at.y(), 1.0) << n;
            EXPECT_LT(at.y(), 5.5) << n;
            for (std::size_t j = 0; j < marks.size(); ++j) {
                if (j == k) continue;
                EXPECT_GT(QLineF(w->mm.topLeft(), marks[j]).length(),
                          QLineF(w->mm.topLeft(), marks[k]).length())
                    << n;
            }
        }
    }
}

TEST_F(BuildSheet, HtmlIsOneFileAndAFailedWriteKeepsTheOldOne) {
    const SheetData d = MakeSheetData(gear_, "a <b> & c", date_);
    const QString html = dir_.filePath("sheet.html");
    QString error;
    ASSERT_TRUE(WriteSheetHtml(html, d, QPageSize::A4, &error)) << error.toStdString();
    QFile f(html);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("src=\"data:image/svg+xml;base64,")));
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("(src|href)=\"(?!data:)"))));
    EXPECT_TRUE(text.contains(QStringLiteral("a &lt;b&gt; &amp; c")));
    EXPECT_FALSE(text.contains(QStringLiteral("<b> &")));
    EXPECT_TRUE(text.contains(QStringLiteral("Ecc Rod Left End")));

    // Into a folder that does not exist: a message naming the file, nothing written.
    const QString bad = dir_.filePath("none/sheet.pdf");
    EXPECT_FALSE(WriteSheetPdf(bad, d, QPageSize::A4, &error));
    EXPECT_TRUE(error.contains(bad));
    EXPECT_FALSE(QFile::exists(bad));
}

}  // namespace
}  // namespace mv
