// The indicator window's own controls under its cards: the steam conditions the cards are drawn
// for (pressure, back pressure, clearance) and the table of each position's figures, with Copy
// and Save as CSV as in the Valve Events window.
#pragma once

#include <QString>
#include <vector>

#include "analysis/performance.hpp"
#include "diagrams/diagram_windows.hpp"
#include "model/model.hpp"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace mv {

class IndicatorSettings : public DiagramPanel {
public:
    IndicatorSettings(Model& m, QWidget* parent = nullptr);

    void Apply(DiagramOptions& opt) const override;
    // Recomputes the figures of the positions the cards were drawn for and fills the table.
    void Drawn() override;

    // What the cards are drawn for: the last values the fields held that can give a card.
    const SteamConditions& Conditions() const { return conditions_; }
    // Reads the three fields; on a bad value keeps the conditions and says why under them.
    void CommitFields();
    // Writes the table as CSV, atomically: on failure the file is left as it was and the reason
    // is in `error`.
    bool SaveCsv(const QString& path, QString* error = nullptr) const;
    void CopyClick() const;

    QLineEdit* PressureEdit() const { return pressure_; }
    QLineEdit* BackPressureEdit() const { return backPressure_; }
    QLineEdit* ClearanceEdit() const { return clearance_; }
    QLabel* Message() const { return message_; }
    QTableWidget* Table() const { return table_; }
    const std::vector<PerformanceRow>& Rows() const { return rows_; }

private:
    void SaveCsvClick();

    Model& m_;
    SteamConditions conditions_;
    std::vector<PerformanceRow> rows_;
    QLineEdit* pressure_ = nullptr;
    QLineEdit* backPressure_ = nullptr;
    QLineEdit* clearance_ = nullptr;
    QLabel* message_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* saveCsv_ = nullptr;
};

}  // namespace mv
