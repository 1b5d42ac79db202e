#include "design/indicator_settings.hpp"

#include <QClipboard>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "model/text.hpp"

namespace mv {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QLineEdit* Field(QWidget* parent, const char* name, float value) {
    auto* e = new QLineEdit(Q(FormatShortest(value)), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setAlignment(Qt::AlignRight);
    e->setMaximumWidth(90);
    return e;
}

}  // namespace

IndicatorSettings::IndicatorSettings(Model& m, QWidget* parent) : DiagramPanel(parent), m_(m) {
    setObjectName(QStringLiteral("IndicatorSettings"));
    auto* layout = new QVBoxLayout(this);

    auto* fields = new QGridLayout;
    pressure_ = Field(this, "EditPressure", conditions_.pressure);
    backPressure_ = Field(this, "EditBackPressure", conditions_.backPressure);
    clearance_ = Field(this, "EditClearance", conditions_.clearance);
    const std::pair<const char*, QLineEdit*> rows[] = {
        {"Steam-chest pressure, absolute, in your unit:", pressure_},
        {"Back pressure, absolute, in your unit:", backPressure_},
        {"Clearance, per cent of the swept volume:", clearance_},
    };
    for (int r = 0; r < 3; ++r) {
        auto* label = new QLabel(QString::fromLatin1(rows[r].first), this);
        label->setBuddy(rows[r].second);
        fields->addWidget(label, r, 0);
        fields->addWidget(rows[r].second, r, 1);
        connect(rows[r].second, &QLineEdit::editingFinished, this, [this] { CommitFields(); });
    }
    auto* note = new QLabel(
        QStringLiteral("Ideal cards: constant pressure in admission and exhaust, p V constant "
                       "in expansion and compression.\nWork per turn and tractive effort for "
                       "two cylinders, without a piston rod."),
        this);
    note->setWordWrap(true);
    fields->addWidget(note, 0, 2, 3, 1);
    fields->setColumnStretch(2, 1);
    layout->addLayout(fields);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("LblMessage"));
    message_->setStyleSheet(QStringLiteral("color: red"));
    // Always there, empty while the fields are sound, so a message does not move the fields.
    message_->setMinimumHeight(message_->fontMetrics().height());
    layout->addWidget(message_);

    const std::span<const PerformanceColumn> columns = PerformanceColumns();
    table_ = new QTableWidget(0, static_cast<int>(columns.size()), this);
    table_->setObjectName(QStringLiteral("TablePerformance"));
    for (std::size_t k = 0; k < columns.size(); ++k) {
        auto* h = new QTableWidgetItem(QString::fromUtf8(columns[k].label));
        h->setToolTip(QString::fromUtf8(columns[k].tip));
        table_->setHorizontalHeaderItem(static_cast<int>(k), h);
    }
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumHeight(4 * table_->verticalHeader()->defaultSectionSize() +
                             table_->horizontalHeader()->sizeHint().height());
    layout->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout;
    copy_ = new QPushButton(QStringLiteral("Copy"), this);
    copy_->setObjectName(QStringLiteral("BtnCopy"));
    copy_->setToolTip(QStringLiteral("Copy the table to the clipboard, tab separated"));
    saveCsv_ = new QPushButton(QString::fromUtf8("Save as CSV\u2026"), this);
    saveCsv_->setObjectName(QStringLiteral("BtnSaveCsv"));
    // Enter in a field commits it; it must not press a button as well.
    copy_->setAutoDefault(false);
    saveCsv_->setAutoDefault(false);
    buttons->addWidget(copy_);
    buttons->addWidget(saveCsv_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(copy_, &QPushButton::clicked, this, [this] { CopyClick(); });
    connect(saveCsv_, &QPushButton::clicked, this, [this] { SaveCsvClick(); });
}

void IndicatorSettings::Apply(DiagramOptions& opt) const {
    opt.steam = conditions_;
}

void IndicatorSettings::CommitFields() {
    SteamConditions next = conditions_;
    const struct {
        const char* name;
        QLineEdit* edit;
        float* value;
    } fields[] = {{"Pressure", pressure_, &next.pressure},
                  {"Back pressure", backPressure_, &next.backPressure},
                  {"Clearance", clearance_, &next.clearance}};
    QString problem;
    for (const auto& f : fields) {
        double v = 0;
        const bool number = ParseStrict(f.edit->text().trimmed().toStdString(), v);
        if (!number || std::fabs(v) > 3.4e38) {
            problem =
                QStringLiteral("%1: '%2' is %3.")
                    .arg(QString::fromLatin1(f.name), f.edit->text(),
                         number ? QStringLiteral("out of range") : QStringLiteral("not a number"));
            break;
        }
        *f.value = static_cast<float>(v);
    }
    if (problem.isEmpty()) {
        if (const char* why = SteamConditionsProblem(next)) {
            problem = QString::fromLatin1(why) + QLatin1Char('.');
            problem[0] = problem[0].toUpper();
        }
    }
    if (!problem.isEmpty()) {
        message_->setText(problem + QStringLiteral(" The cards stay at pressure %1, back pressure "
                                                   "%2, clearance %3 %.")
                                        .arg(Q(FormatShortest(conditions_.pressure)),
                                             Q(FormatShortest(conditions_.backPressure)),
                                             Q(FormatShortest(conditions_.clearance))));
        return;
    }
    message_->clear();
    const bool changed = next.pressure != conditions_.pressure ||
                         next.backPressure != conditions_.backPressure ||
                         next.clearance != conditions_.clearance;
    conditions_ = next;
    if (changed && redraw) redraw();
}

void IndicatorSettings::Drawn() {
    rows_ = PerformanceRows(m_, PositionEventRows(m_), conditions_);
    const std::span<const PerformanceColumn> columns = PerformanceColumns();
    table_->setRowCount(static_cast<int>(rows_.size()));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        for (std::size_t k = 0; k < columns.size(); ++k) {
            auto* item = new QTableWidgetItem(Q(PerformanceCellText(columns[k], rows_[i])));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (columns[k].kind != PerformanceColumnKind::Reason)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (rows_[i].geometryError) item->setForeground(Qt::red);
            table_->setItem(static_cast<int>(i), static_cast<int>(k), item);
        }
    }
}

void IndicatorSettings::CopyClick() const {
    QGuiApplication::clipboard()->setText(Q(PerformanceDelimited(rows_, '\t')));
}

bool IndicatorSettings::SaveCsv(const QString& path, QString* error) const {
    QSaveFile f(path);
    const QByteArray data = QByteArray::fromStdString(PerformanceDelimited(rows_, ','));
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit()) {
        if (error) *error = f.errorString();
        f.cancelWriting();
        return false;
    }
    return true;
}

void IndicatorSettings::SaveCsvClick() {
    QFileDialog dlg(this, QStringLiteral("Save as CSV"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters({QStringLiteral("CSV files (*.csv)"), QStringLiteral("All files (*)")});
    // The suffix is added before the dialog asks about overwriting, so it asks about the file
    // that is really written.
    dlg.setDefaultSuffix(QStringLiteral("csv"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    const QString path = dlg.selectedFiles().front();
    QString error;
    if (!SaveCsv(path, &error))
        QMessageBox::warning(this, QStringLiteral("Indicator Diagram"),
                             QStringLiteral("Could not save %1:\n%2").arg(path, error));
}

}  // namespace mv
