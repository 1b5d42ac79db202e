// The four diagram windows. They share one set of controls: four dynamic-variable bars, an
// UnDo button and menu entry, the DynamicVari toggle, ReDraw, Close, Export and Print. Each
// paints its drawing into an image of its client area and shows that image.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

#include "diagrams/diagram_kinds.hpp"
#include "mainwin/main_controls.hpp"
#include "model/model.hpp"

class QAction;
class QMenuBar;
class QPushButton;
class QScrollBar;

namespace mv {

class DiagramSurface;

// The controls a kind's window has beyond the shared ones (DiagramKindInfo::panel), below the
// drawing: they add to what the drawing is given and follow every drawing.
class DiagramPanel : public QWidget {
public:
    using QWidget::QWidget;
    // What the drawing takes from the controls.
    virtual void Apply(DiagramOptions& opt) const = 0;
    // After every drawing in the window.
    virtual void Drawn() {}
    // Set by the window: the controls changed what the drawing shows.
    std::function<void()> redraw;
};

// The panel of a kind's window, or nullptr when it has none.
DiagramPanel* MakeDiagramPanel(DiagramPanelKind kind, Model& m, QWidget* parent);

// One window of a diagram kind (the entry of the kinds table names its controls and menus).
class DiagramWindow : public QDialog {
    Q_OBJECT
public:
    DiagramWindow(Model& m, MainControls& controls, DiagramKind kind, QWidget* parent = nullptr);

    // The dialog SetRevArmPos opens (and the sine, oval and steam windows open on activation).
    void SetRevArmDialog(QDialog* dialog) { setRevArm_ = dialog; }

    DiagramKind Kind() const { return kind_; }
    const QImage& Image() const { return image_; }
    QScrollBar* Bar(int k) const { return bars_[k - 1]; }  // k = 1..4
    QPushButton* UndoButton() const { return undoButton_; }
    QPushButton* CloseButton() const { return closeButton_; }
    QAction* Action(const QString& text) const;  // menu entry by its caption, nullptr if none
    QWidget* Surface() const;
    DiagramPanel* Panel() const { return panel_; }  // nullptr for most kinds

    // The redraw triggers.
    void ReDrawClick();
    void UnDoMenuClick();
    void DynVariClick();
    void SetRevArmPosClick();
    void UnDoButtonClick();
    void BarChange(int k, int position);
    void BarScrollEnded(int k);
    void BarEnter(int k);
    void FormMouseMove();
    // The port window's SetUp menu: 'F' forward, 'R' reverse, 'B' both graphs.
    void SetGraphMode(char mode);

    // Writes what the window shows to a .png, .svg or .pdf file.
    bool ExportTo(const QString& path, QString* error);

protected:
    void ClearAndDraw();
    void DrawWithoutClearing();
    void Clear();

    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

public:
    void done(int r) override;

private:
    friend class DiagramSurface;
    void FormActivate();
    void ApplyTail(const DiagramTail& t);
    void PaintInto(QPainter& p, int times);
    void EnsureImageSize();
    void ExportClick();
    void PrintClick();

    Model& m_;
    MainControls& controls_;
    DiagramKind kind_;
    const DiagramKindInfo& info_;
    QPointer<QDialog> setRevArm_;
    QMenuBar* menuBar_ = nullptr;
    DiagramSurface* surface_ = nullptr;
    DiagramPanel* panel_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QPushButton* undoButton_ = nullptr;
    std::array<QScrollBar*, 4> bars_{};
    QImage image_;
    int drawsSinceClear_ = 0;
    bool inBarChange_ = false;
};

}  // namespace mv
