// A real main window on the offscreen platform, with the blocking parts replaced by recorders.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include "mainwin/main_form.hpp"
#include "model/model.hpp"
#include "support/widgets_support.hpp"

namespace mvtest {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        mv::MainFormOptions opt;
        opt.fps = 0;
        opt.startTimer = false;
        form = std::make_unique<mv::TMainForm>(m, opt);
        for (QDialog*& d : dialogs) d = nullptr;
        windows.drivAng = Dialog(0);
        windows.frameDi = Dialog(1);
        windows.cylDimen = Dialog(2);
        windows.drawLines = Dialog(3);
        windows.Graph(mv::DiagramKind::Port) = Dialog(4);
        windows.dataTable = Dialog(5);
        windows.Graph(mv::DiagramKind::ValveEvents) = Dialog(6);
        windows.Graph(mv::DiagramKind::Sine) = Dialog(7);
        form->SetAppWindows(windows);
        form->runModal = [this](QDialog* d) { opened.push_back(d); };
        form->showMessage = [this](const QString& s) { messages.push_back(s); };
        form->beep = [this] { ++beeps; };
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override {
        form.reset();
        for (QDialog*& d : dialogs) {
            delete d;
            d = nullptr;
        }
    }

    QDialog* Dialog(int i) {
        dialogs[i] = new QDialog;
        return dialogs[i];
    }

    template <class T>
    T* W(const char* name) {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QScrollBar* Bar(const char* name) { return W<QScrollBar>(name); }
    QPushButton* Button(const char* name) { return W<QPushButton>(name); }
    QAction* Action(const char* name) { return W<QAction>(name); }
    QWidget* Picture() { return W<QWidget>("Picture"); }
    QTimer* Timer() { return W<QTimer>("Timer1"); }

    void Click(const char* button) { QTest::mouseClick(Button(button), Qt::LeftButton); }

    // Clicks a part of a scroll bar the way a user does: press and release over it.
    void ClickBar(QScrollBar* bar, QStyle::SubControl part) {
        QStyleOptionSlider opt;
        opt.initFrom(bar);
        opt.orientation = bar->orientation();
        opt.minimum = bar->minimum();
        opt.maximum = bar->maximum();
        opt.sliderPosition = bar->sliderPosition();
        opt.sliderValue = bar->value();
        opt.singleStep = bar->singleStep();
        opt.pageStep = bar->pageStep();
        opt.upsideDown = bar->invertedAppearance();
        opt.subControls = QStyle::SC_All;
        const QRect r = bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
        ASSERT_TRUE(r.isValid());
        QTest::mouseClick(bar, Qt::LeftButton, {}, r.center());
    }

    void ClickPicture(Qt::MouseButton b, int x, int y) {
        QTest::mouseClick(Picture(), b, {}, QPoint(x, y));
    }

    mv::Model m;
    std::unique_ptr<mv::TMainForm> form;
    mv::AppWindows windows;
    QDialog* dialogs[8]{};
    std::vector<QDialog*> opened;
    std::vector<QString> messages;
    int beeps = 0;
};

}  // namespace mvtest
