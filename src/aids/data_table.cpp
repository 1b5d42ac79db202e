#include "aids/data_table.hpp"

#include <QDate>
#include <QFileDialog>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QShowEvent>
#include <QTextCursor>
#include <QTime>
#include <QVBoxLayout>
#include <cmath>

#include "mainwin/look.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

// A step of 0.01 degrees gives 36001 rows; anything finer would only flood the memo.
constexpr int kMaxRows = 36001;

std::string F(double v, int w, int d) {
    return FormatFieldFit(v, w, d);
}

int PivotIndex(float stored) {
    if (!(stored >= 0)) return 0;
    const long r = std::lround(stored > 1000.0f ? 1000.0f : stored);
    return r >= kPivotCount ? kPivotCount - 1 : static_cast<int>(r);
}

QString CsvNumber(double v, int decimals) {
    return QString::fromStdString(FormatFixed(v, 1, decimals));
}

}  // namespace

TDataTable::TDataTable(Model& m, QWidget* parent) : QDialog(parent), m_(m) {
    setWindowTitle(QStringLiteral("Pivot Data Table"));
    resize(620, 400);

    auto* bar = new QMenuBar(this);
    QAction* close = bar->addAction(QStringLiteral("&Close "));
    connect(close, &QAction::triggered, this, &QDialog::accept);
    QAction* csv = bar->addAction(QStringLiteral("Save as &CSV\u2026"));
    connect(csv, &QAction::triggered, this, [this] { SaveCsvClick(); });
    bar->addAction(QString(14, QLatin1Char(' ')))->setEnabled(false);  // spacer
    editMenu_ = bar->addMenu(QStringLiteral("&Edit"));
    cut_ = editMenu_->addAction(QStringLiteral("Cu&t"));
    copy_ = editMenu_->addAction(QStringLiteral("&Copy"));
    paste_ = editMenu_->addAction(QStringLiteral("&Paste"));
    editMenu_->addSeparator();
    selectAll_ = editMenu_->addAction(QStringLiteral("Select&All"));
    cut_->setEnabled(false);
    copy_->setEnabled(false);
    connect(editMenu_, &QMenu::aboutToShow, this, [this] { Edit1Click(); });
    connect(cut_, &QAction::triggered, this, [this] { Cut1Click(); });
    connect(copy_, &QAction::triggered, this, [this] { Copy1Click(); });
    connect(paste_, &QAction::triggered, this, [this] { Past1Click(); });
    connect(selectAll_, &QAction::triggered, this, [this] { SelectAll1Click(); });

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("DataMemo"));
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setFont(DataTableFont());

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setMenuBar(bar);
    lay->addWidget(memo_);
}

void TDataTable::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    FormActivate();
}

void TDataTable::FormActivate() {
    memo_->clear();
    cut_->setEnabled(false);
    copy_->setEnabled(false);
    selectAll_->setEnabled(true);

    GearState& g = m_.gear;
    const QLocale loc = QLocale::system();
    QStringList lines;
    lines << QStringLiteral("Pivot Data   ") + QString::fromStdString(m_.dataSetName) +
                 QStringLiteral("     ") +
                 loc.toString(QDate::currentDate(), QLocale::ShortFormat) + QStringLiteral("   ") +
                 loc.toString(QTime::currentTime(), QLocale::LongFormat);
    lines << QString::fromStdString("       Reverse Arm " + F(g.revArmSetting, 7, 3) +
                                    "      Step Angle " + F(g.chosenStep, 7, 3));
    lines << QStringLiteral(
        "  Driver         No.1                   No.2                   No.3                  "
        "No.4                   No.5                  No.6");
    lines << QStringLiteral(
        "  Angle     Vert   Horz         Vert   Horz          Vert   Horz         Vert   Horz  "
        "        Vert   Horz         Vert   Horz");

    for (int k = 0; k < 6; ++k) pivots_[k] = PivotIndex(m_.picks[k + 1].pivot);

    const float savedAngle = g.driverAngle;
    const float savedStep = g.currentStep;
    const bool savedError = g.geometryError;
    const Construction savedClamp = g.clampedConstruction;
    const float step = g.chosenStep;
    g.driverAngle = 0;
    g.currentStep = 0;
    rows_.clear();
    while (true) {
        Row row{};
        row[0] = g.driverAngle;
        std::string text = F(g.driverAngle, 7, 2);
        SolveLinkage(m_);
        for (int k = 0; k < 6; ++k) {
            const Pivot& p = m_.pivots[pivots_[k]];
            row[1 + 2 * k] = p.y;
            row[2 + 2 * k] = p.x;
            text += "   " + F(p.y, k == 0 ? 7 : 9, 3) + "  " + F(p.x, 7, 3);
        }
        lines << QString::fromStdString(text);
        rows_.push_back(row);
        // The angle accumulates in single precision: with a step that does not divide 360 the
        // last row is the last multiple reached below 360.
        if (!(step > 0) || static_cast<int>(rows_.size()) >= kMaxRows) break;
        g.driverAngle += step;
        if (!(g.driverAngle <= 360.0f)) break;
    }
    g.driverAngle = savedAngle;
    g.currentStep = savedStep;
    g.geometryError = savedError;
    g.clampedConstruction = savedClamp;

    memo_->setPlainText(lines.join(QLatin1Char('\n')));
}

bool TDataTable::SaveCsv(const QString& path, QString* error) const {
    QString text = QStringLiteral("Driver Angle");
    for (int k = 0; k < 6; ++k)
        text +=
            QStringLiteral(",No.%1 Pivot %2 Vert,No.%1 Pivot %2 Horz").arg(k + 1).arg(pivots_[k]);
    text += QLatin1Char('\n');
    for (const Row& r : rows_) {
        text += CsvNumber(r[0], 2);
        for (int i = 1; i < 13; ++i) text += QLatin1Char(',') + CsvNumber(r[i], 3);
        text += QLatin1Char('\n');
    }
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = QStringLiteral("Could not write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

void TDataTable::SaveCsvClick() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Pivot Data as CSV"),
        QString::fromStdString(m_.dataSetName) + QStringLiteral(".csv"),
        QStringLiteral("CSV Files (*.csv);;All Files (*)"));
    if (path.isEmpty()) return;
    QString error;
    if (!SaveCsv(path, &error)) QMessageBox::warning(this, windowTitle(), error);
}

void TDataTable::Edit1Click() {
    if (memo_->textCursor().hasSelection()) {
        cut_->setEnabled(true);
        copy_->setEnabled(true);
    }
}

void TDataTable::Cut1Click() {
    memo_->cut();
    selectAll_->setEnabled(true);
}

void TDataTable::Copy1Click() {
    memo_->copy();
    selectAll_->setEnabled(true);
}

void TDataTable::Past1Click() {
    memo_->paste();
}

void TDataTable::SelectAll1Click() {
    memo_->selectAll();
    cut_->setEnabled(true);
    copy_->setEnabled(true);
    selectAll_->setEnabled(false);
}

}  // namespace mv
