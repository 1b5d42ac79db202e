#include "aids/lines_dialog.hpp"

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "dialogs/number_edit.hpp"
#include "model/text.hpp"
#include "model/view.hpp"

namespace mv {
namespace {

const char* const kTypes[] = {"Line", "Circle"};
const char* const kColours[] = {"Black", "Red", "Green", "Yellow", "Blue", "Gray"};
const char* const kReferences[] = {"0 , 0", "Pivot1", "Piv1/0,0", "Piv1/P2"};
// Pivots with a place in the picture, reference points included.
constexpr int kMaxPivot = pv::Ref2;
const char* const kColumnTips[] = {
    "Pivot 1: the pivot the entry is measured from, 0 to 20 (19 and 20 are the reference "
    "points)",
    "Pivot 2: the pivot a \"Piv1/P2\" line ends at, 0 to 20",
    "H1: horizontal of the first point or the circle's centre, world units (an offset from "
    "pivot 1 where the reference names it)",
    "V1: vertical of the first point or the circle's centre, world units",
    "H2: horizontal of the second point (an offset from pivot 2 for \"Piv1/P2\"); a circle's "
    "radius",
    "V2: vertical of the second point, world units",
};

QString Num(double v) {
    return QString::fromStdString(FormatFieldFit(v, 1, 3));
}

bool NeedsP(const LineEntry& e) {
    return e.reference >= 1;
}
bool NeedsQ(const LineEntry& e) {
    return e.kind == 0 && e.reference == 3;
}

int ParsePivot(const std::string& s) {
    const float f = ParseLenient(s);
    if (!(f >= 0)) return 0;
    if (f >= kMaxPivot) return kMaxPivot;
    return static_cast<int>(std::lround(f));
}

}  // namespace

QString DescribeLine(const LineEntry& e) {
    const QString p = QStringLiteral("pivot %1").arg(e.p);
    const QString q = QStringLiteral("pivot %1").arg(e.q);
    if (e.kind == 0) {
        switch (e.reference) {
            case 0: return QStringLiteral("line from point (H1, V1) to point (H2, V2)");
            case 1: return QStringLiteral("line from %1 + (H1, V1) to %1 + (H2, V2)").arg(p);
            case 2: return QStringLiteral("line from %1 + (H1, V1) to point (H2, V2)").arg(p);
            case 3: return QStringLiteral("line from %1 + (H1, V1) to %2 + (H2, V2)").arg(p, q);
            default: return QStringLiteral("line: choose a reference");
        }
    }
    if (e.kind == 1) {
        switch (e.reference) {
            case 0: return QStringLiteral("circle of radius H2 about point (H1, V1)");
            case 1: return QStringLiteral("circle of radius H2 about %1 + (H1, V1)").arg(p);
            default: return QStringLiteral("circle: choose \"0 , 0\" or \"Pivot1\"");
        }
    }
    return QStringLiteral("unused: choose a type, a colour and a reference");
}

TDrawLines::TDrawLines(Model& m, MainControls& controls, QWidget* parent)
    : QDialog(parent), m_(m), c_(controls) {
    setWindowTitle(QStringLiteral("Draw Lines"));

    table_ = new QTableWidget(kLineEntries, kColumns, this);
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Type"), QStringLiteral("Colour"), QStringLiteral("Reference"),
         QStringLiteral("Pivot 1"), QStringLiteral("Pivot 2"), QStringLiteral("H1"),
         QStringLiteral("V1"), QStringLiteral("H2 / Radius"), QStringLiteral("V2")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The cells take the focus, not the table: a focused table would move its current cell to
    // the first row on every opening and with it the selected entry.
    table_->setFocusPolicy(Qt::NoFocus);
    table_->verticalHeader()->setDefaultSectionSize(22);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    for (int r = 0; r < kLineEntries; ++r) {
        auto addCombo = [&](Column c, const char* const* items, int n) {
            auto* cb = new QComboBox;
            cb->setFocusPolicy(Qt::StrongFocus);
            cb->addItem(QString());
            for (int i = 0; i < n; ++i) cb->addItem(QString::fromLatin1(items[i]));
            cb->installEventFilter(this);
            cb->setProperty("row", r);
            table_->setCellWidget(r, c, cb);
            connect(cb, &QComboBox::activated, this, [this, r, c](int idx) {
                LineEntry& e = m_.lines.entries[r];
                const int v = idx - 1;
                if (c == kType) {
                    e.kind = v;
                    // Circles know only the two references that give a centre.
                    if (e.kind == 1 && e.reference > 1) e.reference = -1;
                } else if (c == kColour) {
                    e.colour = v;
                } else {
                    e.reference = v;
                }
                SelectEntry(r + 1);
                LoadRow(r);
                UpdateCount();
            });
        };
        addCombo(kType, kTypes, 2);
        addCombo(kColour, kColours, 6);
        addCombo(kReference, kReferences, 4);
        for (int c = kP; c < kColumns; ++c) {
            const bool pivot = c == kP || c == kQ;
            auto* ed =
                new NumberEdit(pivot ? KeyFilterRules{.allowMinus = false, .allowPoint = false}
                                     : KeyFilterRules{});
            ed->setFrame(false);
            ed->setToolTip(QString::fromLatin1(kColumnTips[c - kP]));
            ed->setProperty("row", r);
            ed->installEventFilter(this);
            table_->setCellWidget(r, c, ed);
            const auto col = static_cast<Column>(c);
            connect(ed, &QLineEdit::textEdited, this,
                    [this, r, col](const QString& t) { StoreNumber(r, col, t); });
            // A finished entry shows what was stored (a pivot number clamped into range).
            connect(ed, &QLineEdit::editingFinished, this, [this, r] { LoadRow(r, true); });
        }
    }
    table_->setColumnWidth(kType, 64);
    table_->setColumnWidth(kColour, 70);
    table_->setColumnWidth(kReference, 84);
    for (int c = kP; c < kColumns; ++c) table_->setColumnWidth(c, c <= kQ ? 52 : 64);
    table_->setColumnWidth(kH2, 80);
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (row >= 0) SelectEntry(row + 1);
    });

    hint_ = new QLabel(this);
    hint_->setWordWrap(true);
    clear_ = new QPushButton(QStringLiteral("Clear Line"), this);
    pick_ = new QPushButton(QStringLiteral("Pick Pivots on Picture"), this);
    pick_->setToolTip(QStringLiteral(
        "Closes this window; click the pivot on the picture (left button for pivot 1, then "
        "right button for pivot 2)"));
    close_ = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {clear_, pick_, close_}) b->setAutoDefault(false);
    connect(clear_, &QPushButton::clicked, this, [this] { ClearLineClick(); });
    connect(pick_, &QPushButton::clicked, this, [this] { PickClick(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clear_);
    buttons->addWidget(pick_);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(6, 6, 6, 6);
    lay->addWidget(table_, 1);
    lay->addWidget(hint_);
    lay->addLayout(buttons);

    int w = table_->verticalHeader()->sizeHint().width() + 4;
    for (int c = 0; c < kColumns; ++c) w += table_->columnWidth(c);
    resize(w + 12 + table_->style()->pixelMetric(QStyle::PM_ScrollBarExtent), 560);
    FormActivate();
}

QComboBox* TDrawLines::Combo(int row, Column c) const {
    return qobject_cast<QComboBox*>(table_->cellWidget(row, c));
}

QLineEdit* TDrawLines::NumberCell(int row, Column c) const {
    return qobject_cast<QLineEdit*>(table_->cellWidget(row, c));
}

void TDrawLines::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    FormActivate();
}

bool TDrawLines::eventFilter(QObject* watched, QEvent* e) {
    // The wheel scrolls the table; it changes a choice only in the box being worked in.
    if (e->type() == QEvent::Wheel) {
        auto* cb = qobject_cast<QComboBox*>(watched);
        if (cb && !cb->hasFocus()) {
            QCoreApplication::sendEvent(table_->verticalScrollBar(), e);
            return true;
        }
    }
    if (e->type() == QEvent::FocusIn) {
        const QVariant row = watched->property("row");
        if (row.isValid()) SelectEntry(row.toInt() + 1);
    }
    return QDialog::eventFilter(watched, e);
}

bool TDrawLines::CanPick(int n) const {
    if (n < 1 || n > kLineEntries) return false;
    const LineEntry& e = m_.lines.entries[n - 1];
    if (e.colour < 0 || e.kind < 0) return false;
    return e.kind == 0 ? e.reference >= 1 : e.reference == 1;
}

void TDrawLines::FormActivate() {
    TakePick();
    for (int r = 0; r < kLineEntries; ++r) LoadRow(r);
    if (m_.lines.selected < 1 || m_.lines.selected > kLineEntries) m_.lines.selected = 1;
    SelectEntry(m_.lines.selected);
    table_->scrollTo(table_->model()->index(m_.lines.selected - 1, 0));
    // Opening with the focus in a cell would select that cell's entry instead.
    close_->setFocus(Qt::OtherFocusReason);
}

// The main window reopens this dialog after the click on the picture that set the reference
// point(s); the nearest pivots become the entry's pivots. Opening the dialog any other way
// ends the wait without changing the entry.
void TDrawLines::TakePick() {
    pickResult_.clear();
    if (!m_.lines.promptOn) return;
    m_.lines.promptOn = false;
    if (pickEntry_ < 1 || pickEntry_ > kLineEntries) return;
    LineEntry& e = m_.lines.entries[pickEntry_ - 1];
    const Pivot& r1 = m_.pivots[pv::Ref1];
    const Pivot& r2 = m_.pivots[pv::Ref2];
    const bool moved1 = r1.x != pickStart_[0] || r1.y != pickStart_[1];
    const bool moved2 = r2.x != pickStart_[2] || r2.y != pickStart_[3];
    const bool two = NeedsQ(e);
    if (two ? !moved2 : !moved1) {
        pickResult_ = QStringLiteral("No pivot picked.");
        pickEntry_ = 0;
        return;
    }
    const int p = NearestPivot(m_, WorldPoint{r1.x, r1.y});
    if (p >= 0) e.p = p;
    if (two) {
        const int q = NearestPivot(m_, WorldPoint{r2.x, r2.y});
        if (q >= 0) e.q = q;
        pickResult_ = QStringLiteral("Picked pivots %1 and %2.").arg(e.p).arg(e.q);
    } else {
        pickResult_ = QStringLiteral("Picked pivot %1.").arg(e.p);
    }
    m_.lines.selected = pickEntry_;
    pickEntry_ = 0;
}

void TDrawLines::LoadRow(int row, bool force) {
    const LineEntry& e = m_.lines.entries[row];
    Combo(row, kType)->setCurrentIndex(e.kind >= 0 && e.kind <= 1 ? e.kind + 1 : 0);
    Combo(row, kColour)->setCurrentIndex(e.colour >= 0 && e.colour <= 5 ? e.colour + 1 : 0);
    Combo(row, kReference)
        ->setCurrentIndex(e.reference >= 0 && e.reference <= 3 ? e.reference + 1 : 0);
    auto set = [&](Column c, const QString& t) {
        QLineEdit* ed = NumberCell(row, c);
        if (force || !ed->hasFocus()) ed->setText(t);
    };
    set(kP, QString::number(e.p));
    set(kQ, QString::number(e.q));
    set(kH1, Num(e.h1));
    set(kV1, Num(e.v1));
    set(kH2, Num(e.h2));
    set(kV2, Num(e.v2));
    UpdateRow(row);
}

void TDrawLines::UpdateRow(int row) {
    const LineEntry& e = m_.lines.entries[row];
    // Offer only what this kind of entry uses.
    auto* refModel = qobject_cast<QStandardItemModel*>(Combo(row, kReference)->model());
    for (int i = 3; i <= 4; ++i)
        if (QStandardItem* it = refModel->item(i)) it->setEnabled(e.kind != 1);
    const bool known = e.kind >= 0 && e.reference >= 0;
    NumberCell(row, kP)->setEnabled(!known || NeedsP(e));
    NumberCell(row, kQ)->setEnabled(!known || NeedsQ(e));
    NumberCell(row, kV2)->setEnabled(e.kind != 1);
    if (row + 1 == m_.lines.selected) UpdateHint();
}

void TDrawLines::UpdateCount() {
    int last = 1;
    for (int r = 0; r < kLineEntries; ++r)
        if (m_.lines.entries[r].kind >= 0) last = r + 1;
    m_.lines.count = last;
}

void TDrawLines::UpdateHint() {
    const int n = m_.lines.selected;
    if (n < 1 || n > kLineEntries) return;
    const LineEntry& e = m_.lines.entries[n - 1];
    QString t = QStringLiteral("Line %1: %2.").arg(n).arg(DescribeLine(e));
    if (e.kind >= 0 && e.colour < 0) t += QStringLiteral(" Choose a colour.");
    if (!pickResult_.isEmpty()) t += QLatin1Char(' ') + pickResult_;
    hint_->setText(t);
    pick_->setEnabled(CanPick(n));
}

void TDrawLines::SelectEntry(int n) {
    if (n < 1 || n > kLineEntries) return;
    if (n != m_.lines.selected) pickResult_.clear();
    m_.lines.selected = n;
    // Only the highlight moves: making the row current would pull the focus to its first cell.
    const QModelIndex at = table_->model()->index(n - 1, 0);
    table_->selectionModel()->select(
        at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    UpdateHint();
}

void TDrawLines::StoreNumber(int row, Column c, const QString& text) {
    LineEntry& e = m_.lines.entries[row];
    const std::string s = text.toStdString();
    switch (c) {
        case kP: e.p = ParsePivot(s); break;
        case kQ: e.q = ParsePivot(s); break;
        case kH1: e.h1 = ParseLenient(s); break;
        case kV1: e.v1 = ParseLenient(s); break;
        case kH2: e.h2 = ParseLenient(s); break;
        case kV2: e.v2 = ParseLenient(s); break;
        default: break;
    }
    if (row + 1 == m_.lines.selected) UpdateHint();
}

void TDrawLines::ClearLineClick() {
    const int n = m_.lines.selected;
    if (n < 1 || n > kLineEntries) return;
    m_.lines.entries[n - 1] = LineEntry{};
    if (pickEntry_ == n) {
        pickEntry_ = 0;
        m_.lines.promptOn = false;
    }
    pickResult_.clear();
    for (int c = kP; c < kColumns; ++c) NumberCell(n - 1, static_cast<Column>(c))->clear();
    LoadRow(n - 1);
    UpdateCount();
}

void TDrawLines::PickClick() {
    const int n = m_.lines.selected;
    if (!CanPick(n)) return;
    pickEntry_ = n;
    const Pivot& r1 = m_.pivots[pv::Ref1];
    const Pivot& r2 = m_.pivots[pv::Ref2];
    pickStart_ = {r1.x, r1.y, r2.x, r2.y};
    m_.lines.promptOn = true;
    // Clicks on the picture place the reference points, so they must be on.
    c_.SetReferencePoints(true);
    accept();
}

}  // namespace mv
