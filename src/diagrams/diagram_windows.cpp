#include "diagrams/diagram_windows.hpp"

#include <QAction>
#include <QFileDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "design/indicator_settings.hpp"
#include "model/edits.hpp"

namespace mv {

// The client area: shows the window's image and reports mouse moves.
class DiagramSurface : public QWidget {
public:
    explicit DiagramSurface(DiagramWindow* w) : QWidget(w), window_(w) {
        setMouseTracking(true);
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::white);
        setPalette(pal);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, window_->image_);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        window_->FormMouseMove();
        QWidget::mouseMoveEvent(e);
    }
    void resizeEvent(QResizeEvent* e) override {
        window_->EnsureImageSize();
        QWidget::resizeEvent(e);
    }

private:
    DiagramWindow* window_;
};

namespace {

bool IsScrollKey(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
           key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
           key == Qt::Key_Home || key == Qt::Key_End;
}

}  // namespace

DiagramWindow::DiagramWindow(Model& m, MainControls& controls, DiagramKind kind, QWidget* parent)
    : QDialog(parent), m_(m), controls_(controls), kind_(kind), info_(KindInfo(kind)) {
    setObjectName(QString::fromLatin1(info_.windowName));
    setWindowTitle(QString::fromLatin1(info_.windowTitle));
    const QSize client = info_.clientSize;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar_ = new QMenuBar(this);
    layout->setMenuBar(menuBar_);
    surface_ = new DiagramSurface(this);
    surface_->setMinimumSize(client);
    layout->addWidget(surface_);
    panel_ = MakeDiagramPanel(info_.panel, m_, this);
    if (panel_) {
        // The drawing keeps its size; the panel's table takes what the window grows by.
        layout->addWidget(panel_, 1);
        panel_->redraw = [this] { ClearAndDraw(); };
    }
    image_ = QImage(client, QImage::Format_RGB32);
    image_.fill(Qt::white);

    closeButton_ = new QPushButton(QStringLiteral("Close"), surface_);
    closeButton_->setObjectName(QString::fromLatin1(info_.closeName));
    closeButton_->setGeometry(info_.closeAt.x(), info_.closeAt.y(), 75, 25);
    closeButton_->setAutoDefault(false);
    connect(closeButton_, &QPushButton::clicked, this, [this] { close(); });

    for (int k = 1; k <= 4; ++k) {
        auto* bar = new QScrollBar(Qt::Horizontal, surface_);
        bar->setObjectName(QString::fromLatin1(info_.barName) + QString::number(k));
        bar->setGeometry(112, 3 + 12 * (k - 1), 121, 10);
        bar->setRange(-200, 200);
        bar->setSingleStep(1);
        bar->setPageStep(10);
        bar->setValue(0);
        bar->setFocusPolicy(Qt::StrongFocus);
        bar->hide();
        bar->installEventFilter(this);
        connect(bar, &QScrollBar::valueChanged, this, [this, k](int p) { BarChange(k, p); });
        bars_[k - 1] = bar;
    }

    undoButton_ = new QPushButton(QStringLiteral("UnDo"), surface_);
    undoButton_->setObjectName(QString::fromLatin1(info_.undoName));
    undoButton_->setGeometry(110, 54, 40, 16);
    undoButton_->setAutoDefault(false);
    undoButton_->setEnabled(m_.undoEnabled);
    undoButton_->hide();
    connect(undoButton_, &QPushButton::clicked, this, [this] { UnDoButtonClick(); });

    // The model tells every UnDo button when undo becomes possible or impossible.
    QPointer<QPushButton> button = undoButton_;
    m_.AddListener([button, &m](ModelEvent e) {
        if (e == ModelEvent::UndoButtonsEnabled && button) button->setEnabled(m.undoEnabled);
    });

    // Sized before the menu bar has its entries, as the window was designed.
    resize(client.width(), client.height() + menuBar_->sizeHint().height() +
                               (panel_ ? panel_->sizeHint().height() : 0));

    if (info_.graphModes) {
        QMenu* setUp = menuBar_->addMenu(QStringLiteral("SetUp"));
        connect(setUp->addAction(QStringLiteral("ForwardGraph")), &QAction::triggered, this,
                [this] { SetGraphMode('F'); });
        connect(setUp->addAction(QStringLiteral("ReverseGraph")), &QAction::triggered, this,
                [this] { SetGraphMode('R'); });
        connect(setUp->addAction(QStringLiteral("BothGraphs")), &QAction::triggered, this,
                [this] { SetGraphMode('B'); });
    }
    if (info_.setRevArmCaption)
        connect(menuBar_->addAction(QString::fromLatin1(info_.setRevArmCaption)),
                &QAction::triggered, this, [this] { SetRevArmPosClick(); });
    connect(menuBar_->addAction(QString::fromLatin1(info_.reDrawCaption)), &QAction::triggered,
            this, [this] { ReDrawClick(); });
    connect(menuBar_->addAction(QString::fromLatin1(info_.undoCaption)), &QAction::triggered, this,
            [this] { UnDoMenuClick(); });
    connect(menuBar_->addAction(QString::fromLatin1(info_.dynVariCaption)), &QAction::triggered,
            this, [this] { DynVariClick(); });
    connect(menuBar_->addAction(QStringLiteral("E&xport…")), &QAction::triggered, this,
            [this] { ExportClick(); });
    connect(menuBar_->addAction(QStringLiteral("&Print…")), &QAction::triggered, this,
            [this] { PrintClick(); });

    if (!info_.maximumSize.isEmpty()) setMaximumSize(info_.maximumSize);
    if (info_.opensMaximised) setWindowState(Qt::WindowMaximized);
}

DiagramPanel* MakeDiagramPanel(DiagramPanelKind kind, Model& m, QWidget* parent) {
    switch (kind) {
        case DiagramPanelKind::SteamConditions: return new IndicatorSettings(m, parent);
        case DiagramPanelKind::None: break;
    }
    return nullptr;
}

QAction* DiagramWindow::Action(const QString& text) const {
    for (QAction* a : menuBar_->actions()) {
        if (a->text() == text) return a;
        if (QMenu* sub = a->menu()) {
            for (QAction* b : sub->actions())
                if (b->text() == text) return b;
        }
    }
    return nullptr;
}

QWidget* DiagramWindow::Surface() const {
    return surface_;
}

void DiagramWindow::EnsureImageSize() {
    const QSize want = surface_->size().expandedTo(info_.clientSize);
    if (image_.size() == want) return;
    QImage bigger(want, QImage::Format_RGB32);
    bigger.fill(Qt::white);
    {
        QPainter p(&bigger);
        p.drawImage(0, 0, image_);
    }
    image_ = std::move(bigger);
}

void DiagramWindow::Clear() {
    EnsureImageSize();
    image_.fill(Qt::white);
    drawsSinceClear_ = 0;
    surface_->update();
}

void DiagramWindow::ClearAndDraw() {
    Clear();
    DrawWithoutClearing();
}

void DiagramWindow::DrawWithoutClearing() {
    EnsureImageSize();
    // "BothGraphs" starts by clearing.
    if (info_.graphModes && m_.portSelector == 'B') drawsSinceClear_ = 0;
    DiagramTail tail;
    {
        QPainter p(&image_);
        BeginDiagramPainting(p);
        DiagramOptions opt;
        opt.clearRect = image_.rect();
        if (panel_) panel_->Apply(opt);
        tail = DrawDiagram(kind_, m_, p, opt);
    }
    ++drawsSinceClear_;
    ApplyTail(tail);
    surface_->update();
    if (panel_) panel_->Drawn();
}

void DiagramWindow::ApplyTail(const DiagramTail& t) {
    for (int k = 0; k < 4; ++k) {
        bars_[k]->setVisible(t.barsVisible);
        if (t.barsVisible) bars_[k]->setEnabled(t.barEnabled[k]);
    }
    undoButton_->setVisible(t.undoButtonVisible);
}

void DiagramWindow::PaintInto(QPainter& p, int times) {
    DiagramOptions opt;
    opt.clearRect = QRect(QPoint(0, 0), image_.size());
    if (panel_) panel_->Apply(opt);
    for (int i = 0; i < times; ++i) DrawDiagram(kind_, m_, p, opt);
}

void DiagramWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    controls_.SetAnimationTimerEnabled(false);
    // After the window is up, so that the positions dialog opens over it.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void DiagramWindow::FormActivate() {
    if (!isVisible()) return;
    if (info_.setRevArmCaption && setRevArm_) setRevArm_->exec();
    ClearAndDraw();
}

void DiagramWindow::done(int r) {
    controls_.SetAnimationTimerEnabled(true);
    QDialog::done(r);
}

bool DiagramWindow::eventFilter(QObject* watched, QEvent* e) {
    for (int k = 1; k <= 4; ++k) {
        if (watched != bars_[k - 1]) continue;
        switch (e->type()) {
            case QEvent::FocusIn: BarEnter(k); break;
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) BarScrollEnded(k);
                break;
            case QEvent::Wheel:
                // A wheel turn is a whole movement of its own: remember the value before it and
                // record the change once the bar has taken it.
                if (!bars_[k - 1]->hasFocus()) BarEnter(k);
                QTimer::singleShot(0, this, [this, k] { BarScrollEnded(k); });
                break;
            case QEvent::KeyRelease: {
                auto* ke = static_cast<QKeyEvent*>(e);
                if (!ke->isAutoRepeat() && IsScrollKey(ke->key())) BarScrollEnded(k);
                break;
            }
            default: break;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void DiagramWindow::ReDrawClick() {
    ClearAndDraw();
}

void DiagramWindow::UnDoMenuClick() {
    m_.display.undoLineVisible = !m_.display.undoLineVisible;
    if (m_.display.undoLineVisible)
        DrawWithoutClearing();
    else
        Clear();
    DrawWithoutClearing();
}

void DiagramWindow::DynVariClick() {
    m_.display.dynamicVariablesVisible = !m_.display.dynamicVariablesVisible;
    ClearAndDraw();
    controls_.SetDynamicVariableBarsVisible(m_.display.dynamicVariablesVisible);
}

void DiagramWindow::SetRevArmPosClick() {
    if (setRevArm_) setRevArm_->exec();
}

void DiagramWindow::UnDoButtonClick() {
    if (m_.undo[1].id > 0) {
        UndoLastChange(m_);
    } else {
        SetUndoEnabled(m_, false);
        undoButton_->setEnabled(false);
    }
    ClearAndDraw();
}

void DiagramWindow::BarChange(int k, int position) {
    DynamicBarChanged(m_, k, position);
    if (inBarChange_) return;  // the snap back to 0 below: the jog rule only
    inBarChange_ = true;
    bars_[k - 1]->setValue(0);
    inBarChange_ = false;
    ClearAndDraw();
}

void DiagramWindow::BarScrollEnded(int k) {
    DynamicBarScrollEnded(m_, k);
    closeButton_->setFocus();
    DrawWithoutClearing();
}

void DiagramWindow::BarEnter(int k) {
    DynamicBarEntered(m_, k);
}

void DiagramWindow::FormMouseMove() {
    if (!info_.setRevArmCaption || !m_.diagramRedrawPending) return;
    ClearAndDraw();
    m_.diagramRedrawPending = false;
}

bool DiagramWindow::ExportTo(const QString& path, QString* error) {
    const int times = std::clamp(drawsSinceClear_, 1, 3);
    return ExportDrawing(
        path, image_.size(), [this, times](QPainter& p) { PaintInto(p, times); }, error);
}

void DiagramWindow::ExportClick() {
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Diagram"), QString(),
        QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"), &filter);
    if (path.isEmpty()) return;
    const QString lower = path.toLower();
    if (!lower.endsWith(QLatin1String(".png")) && !lower.endsWith(QLatin1String(".svg")) &&
        !lower.endsWith(QLatin1String(".pdf"))) {
        if (filter.contains(QLatin1String("svg")))
            path += QStringLiteral(".svg");
        else if (filter.contains(QLatin1String("pdf")))
            path += QStringLiteral(".pdf");
        else
            path += QStringLiteral(".png");
    }
    QString error;
    if (!ExportTo(path, &error))
        QMessageBox::warning(this, QStringLiteral("Export"),
                             QStringLiteral("The diagram was not exported: %1").arg(error));
}

void DiagramWindow::PrintClick() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    QPainter p;
    if (!p.begin(&printer)) {
        QMessageBox::warning(this, QStringLiteral("Print"),
                             QStringLiteral("The printer could not be started."));
        return;
    }
    const QRect page = p.viewport();
    const double scale =
        std::min(double(page.width()) / image_.width(), double(page.height()) / image_.height());
    p.scale(scale, scale);
    BeginDiagramPainting(p);
    PaintInto(p, std::clamp(drawsSinceClear_, 1, 3));
    p.end();
}

void DiagramWindow::SetGraphMode(char mode) {
    m_.portSelector = mode;
    ClearAndDraw();
}

}  // namespace mv
