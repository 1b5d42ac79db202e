// The four diagram windows. They share one set of controls: four dynamic-variable bars, an
// UnDo button and menu entry, the DynamicVari toggle, ReDraw, Close, Export and Print. Each
// paints its drawing into an image of its client area and shows that image.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QString>
#include <array>

#include "diagrams/draw_diagrams.hpp"
#include "mainwin/main_controls.hpp"
#include "model/model.hpp"

class QAction;
class QMenuBar;
class QPushButton;
class QScrollBar;

namespace mv {

class DiagramSurface;

class DiagramWindow : public QDialog {
    Q_OBJECT
public:
    // The dialog SetRevArmPos opens (and the sine, oval and steam windows open on activation).
    void SetRevArmDialog(QDialog* dialog) { setRevArm_ = dialog; }

    DiagramKind Kind() const { return kind_; }
    const QImage& Image() const { return image_; }
    QScrollBar* Bar(int k) const { return bars_[k - 1]; }  // k = 1..4
    QPushButton* UndoButton() const { return undoButton_; }
    QPushButton* CloseButton() const { return closeButton_; }
    QAction* Action(const QString& text) const;  // menu entry by its caption, nullptr if none
    QWidget* Surface() const;

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

    // Writes what the window shows to a .png, .svg or .pdf file.
    bool ExportTo(const QString& path, QString* error);

protected:
    DiagramWindow(Model& m, MainControls& controls, DiagramKind kind, QPoint closeAt,
                  QWidget* parent);
    void AddCommonMenus(const char* setRevArm, const char* reDraw, const char* undo,
                        const char* dynVari);
    QMenuBar* MenuBar() const { return menuBar_; }

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
    QPointer<QDialog> setRevArm_;
    QMenuBar* menuBar_ = nullptr;
    DiagramSurface* surface_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QPushButton* undoButton_ = nullptr;
    std::array<QScrollBar*, 4> bars_{};
    QImage image_;
    int drawsSinceClear_ = 0;
    bool inBarChange_ = false;
};

class TSineDia : public DiagramWindow {
    Q_OBJECT
public:
    TSineDia(Model& m, MainControls& controls, QWidget* parent = nullptr);
};

class TOvalDia : public DiagramWindow {
    Q_OBJECT
public:
    TOvalDia(Model& m, MainControls& controls, QWidget* parent = nullptr);
};

class TSteamDia : public DiagramWindow {
    Q_OBJECT
public:
    TSteamDia(Model& m, MainControls& controls, QWidget* parent = nullptr);
};

class TPortDia : public DiagramWindow {
    Q_OBJECT
public:
    TPortDia(Model& m, MainControls& controls, QWidget* parent = nullptr);
    void ForwardGraphClick();
    void ReverseGraphClick();
    void BothGraphsClick();

private:
    Model& model_;
};

}  // namespace mv
