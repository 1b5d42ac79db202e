// The New Gear window and the Scale Gear prompt headless, wired to a real main window: defaults
// from the built-in gear, bad fields refused, Cancel leaving the working gear untouched, Open
// guarded by the save prompt, and the scale as one undo step.
#include "design/new_gear_dialog.hpp"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <bit>
#include <memory>
#include <stdexcept>
#include <vector>

#include "analysis/parallel.hpp"
#include "design/scale_gear_dialog.hpp"
#include "mainwin/main_form.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "support/widgets_support.hpp"

namespace {

std::vector<std::uint32_t> Bits(const mv::Model& m) {
    std::vector<std::uint32_t> out;
    for (auto infos : {mv::FrameDimensionInfo(), mv::CylinderDimensionInfo()})
        for (const mv::DimensionInfo& d : infos)
            out.push_back(std::bit_cast<std::uint32_t>(mv::GetDimension(m, d.id)));
    out.push_back(std::bit_cast<std::uint32_t>(m.view.scale));
    return out;
}

class NewGearWindow : public ::testing::Test {
protected:
    void SetUp() override {
        mvtest::EnsureApplication();
        mv::MainFormOptions opt;
        opt.fps = 0;
        opt.startTimer = false;
        form = std::make_unique<mv::TMainForm>(m, opt);
        form->askToSave = [this] {
            ++prompts;
            return answer;
        };
        w = std::make_unique<mv::TNewGear>();
        w->openGear = [this](const mv::Gear& g) { return form->OpenNewGear(g); };
        w->show();
    }
    template <class T>
    T* Child(const char* name) {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void Type(const char* field, const char* text) { Child<QLineEdit>(field)->setText(text); }
    void MakeToEnd() {
        QSignalSpy done(w.get(), &mv::TNewGear::Finished);
        w->MakeClick();
        ASSERT_TRUE(w->Running());
        ASSERT_TRUE(done.wait(120000));
        ASSERT_NE(w->Result(), nullptr);
    }

    mv::Model m;
    std::unique_ptr<mv::TMainForm> form;
    std::unique_ptr<mv::TNewGear> w;
    int prompts = 0;
    mv::SaveChoice answer = mv::SaveChoice::Discard;
};

TEST_F(NewGearWindow, StartsFromTheBuiltInGearAndItsDefaultsFollowTheStroke) {
    EXPECT_EQ(Child<QLineEdit>("EditStroke")->text(), "3");
    EXPECT_EQ(Child<QLineEdit>("EditMainRod")->text(), "10");
    EXPECT_EQ(Child<QLineEdit>("EditLap")->text(), "0.1565");
    EXPECT_TRUE(Child<QLineEdit>("EditCylinderCtr")->text().isEmpty());
    EXPECT_EQ(Child<QLineEdit>("EditCylinderCtr")->placeholderText(), "16");
    EXPECT_EQ(Child<QLineEdit>("EditBore")->placeholderText(), "2.125");
    Child<QLineEdit>("EditStroke")->setText("6");
    Q_EMIT Child<QLineEdit>("EditStroke")->textEdited("6");
    // Scaled by two, then moved back by the main rod's difference (10 typed, 20 scaled).
    EXPECT_EQ(Child<QLineEdit>("EditCylinderCtr")->placeholderText(), "22");
    EXPECT_EQ(Child<QLineEdit>("EditBore")->placeholderText(), "4.25");
    EXPECT_FALSE(Child<QPushButton>("BtnOpen")->isEnabled());
}

TEST_F(NewGearWindow, BadFieldsAreRefusedWithoutASearch) {
    for (const auto& [field, text, says] :
         {std::tuple{"EditStroke", "", "Give the stroke"},
          std::tuple{"EditLap", "abc", "The steam lap is not a number"},
          std::tuple{"EditMainRod", "1", "longer than half the stroke"},
          std::tuple{"EditLap", "0.5", "smaller than half the travel"}}) {
        w = std::make_unique<mv::TNewGear>();
        Type(field, text);
        w->MakeClick();
        EXPECT_FALSE(w->Running());
        EXPECT_TRUE(Child<QLabel>("LblStatus")->text().contains(says))
            << Child<QLabel>("LblStatus")->text().toStdString();
    }
}

TEST_F(NewGearWindow, AFailureOnTheWorkerIsSaidAndOffersNoGear) {
    const auto before = Bits(m);
    const mv::ParallelFaultForTest fault([](std::size_t) { throw std::runtime_error("injected"); });
    QSignalSpy done(w.get(), &mv::TNewGear::Finished);
    w->MakeClick();
    ASSERT_TRUE(done.wait(120000));
    EXPECT_FALSE(w->Running());
    EXPECT_EQ(w->Result(), nullptr);
    EXPECT_TRUE(Child<QLabel>("LblStatus")->text().contains("without a result: injected"))
        << Child<QLabel>("LblStatus")->text().toStdString();
    EXPECT_FALSE(Child<QPushButton>("BtnOpen")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>("BtnMake")->isEnabled());
    EXPECT_EQ(Bits(m), before);
}

TEST_F(NewGearWindow, CancelLeavesTheWorkingGearUntouched) {
    m.pendingEdit = true;
    mv::CommitDimension(m, 6, 8.5f);
    const auto before = Bits(m);
    Child<QSpinBox>("SpinEvaluations")->setValue(100000);
    QSignalSpy done(w.get(), &mv::TNewGear::Finished);
    w->MakeClick();
    ASSERT_TRUE(w->Running());
    EXPECT_FALSE(Child<QLineEdit>("EditStroke")->isEnabled());
    QTest::mouseClick(Child<QPushButton>("BtnCancel"), Qt::LeftButton);
    ASSERT_TRUE(done.wait(120000));
    EXPECT_TRUE(w->Result()->stopped);
    EXPECT_LT(w->Result()->evaluations, 100000);
    EXPECT_EQ(Bits(m), before);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_EQ(prompts, 0);
}

TEST_F(NewGearWindow, OpenMakesAnUntitledWorkingGearBehindTheSavePrompt) {
    m.pendingEdit = true;
    mv::CommitDimension(m, 6, 8.5f);
    const auto before = Bits(m);
    Type("EditStroke", "1.75");
    Type("EditDriverDia", "5.25");
    Type("EditMainRod", "6.5");
    Type("EditTravel", "0.46");
    Type("EditLap", "0.09");
    Type("EditLead", "0.01");
    Child<QSpinBox>("SpinEvaluations")->setValue(10);
    MakeToEnd();
    EXPECT_GT(Child<QTableWidget>("TableTargets")->rowCount(), 8);

    // Cancel at the prompt: nothing changes and the window stays.
    answer = mv::SaveChoice::Cancel;
    QTest::mouseClick(Child<QPushButton>("BtnOpen"), Qt::LeftButton);
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(Bits(m), before);
    EXPECT_TRUE(w->isVisible());

    answer = mv::SaveChoice::Discard;
    QTest::mouseClick(Child<QPushButton>("BtnOpen"), Qt::LeftButton);
    EXPECT_EQ(prompts, 2);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(m.frame.stroke, 1.75f);
    EXPECT_EQ(m.dataSetName, "Untitled");
    EXPECT_EQ(m.undoCount, 0);
    // Unsaved: leaving it asks again.
    EXPECT_TRUE(form->DimensionsChanged());
}

TEST_F(NewGearWindow, ScaleGearIsOneStepThatUnDoTakesBack) {
    const auto before = Bits(m);
    form->askScaleFactor = [] { return std::optional<double>(2.5); };
    form->ScaleGearClick();
    EXPECT_EQ(m.frame.stroke, 7.5f);
    EXPECT_EQ(m.undoCount, 1);
    EXPECT_TRUE(m.undoEnabled);
    form->askScaleFactor = [] { return std::optional<double>(); };  // cancelled
    form->ScaleGearClick();
    EXPECT_EQ(m.undoCount, 1);
    mv::UndoLastChange(m);
    EXPECT_EQ(Bits(m), before);

    // The prompt: the factor and the new stroke follow each other; 0 is not a factor.
    mv::TScaleGear prompt(m);
    auto* factor = prompt.findChild<QLineEdit*>("EditFactor");
    auto* stroke = prompt.findChild<QLineEdit*>("EditStroke");
    stroke->setText("1.5");
    Q_EMIT stroke->textEdited("1.5");
    EXPECT_EQ(factor->text(), "0.5");
    EXPECT_EQ(prompt.Factor(), 0.5);
    factor->setText("0");
    Q_EMIT factor->textEdited("0");
    EXPECT_FALSE(prompt.Factor().has_value());
    EXPECT_FALSE(prompt.findChild<QLabel*>("LblStatus")->text().isEmpty());
}

}  // namespace
