// The valve-event table window: forward and reverse rows over the reverse-arm range, or at chosen
// mean cut-offs, front and rear end side by side, with copy to the clipboard and saving as CSV.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "analysis/event_table.hpp"
#include "analysis/notch_rows.hpp"
#include "model/model.hpp"

class QGroupBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TValveEvents : public QDialog {
    Q_OBJECT

public:
    explicit TValveEvents(mv::Model& m, QWidget* parent = nullptr);

    // Recomputes every row from the current dimensions and fills both tables.
    void Refresh();
    // Writes the table as CSV, atomically: on failure the file is left as it was and the
    // reason is in `error`.
    bool SaveCsv(const QString& path, QString* error = nullptr) const;

    QTableWidget* forwardTable() const { return fwdTable_; }
    QTableWidget* reverseTable() const { return revTable_; }
    const std::vector<mv::EventRow>& rows() const { return rows_; }
    // Rows at cut-offs (the "At cut-offs" choice): each with the cut-off asked for, and the
    // reason of a row the gear cannot place. Empty at notches.
    const std::vector<mv::NotchRow>& cutoffRows() const { return cutoffRows_; }
    bool AtCutoffs() const;

    // The comparison section, shown while a comparison gear is loaded: its rows at the same
    // notches, each value with its difference from the working gear's beside it.
    QGroupBox* comparisonBox() const { return cmpBox_; }
    QTableWidget* comparisonForwardTable() const { return cmpFwdTable_; }
    QTableWidget* comparisonReverseTable() const { return cmpRevTable_; }
    const std::vector<mv::EventRow>& comparisonRows() const { return cmpRows_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void BtnCopyClick();
    void BtnSaveCsvClick();
    void ScheduleRefresh();
    void Fill(QTableWidget* t, mv::SweepDirection dir);
    void FillComparison(QTableWidget* t, mv::SweepDirection dir);
    std::string Delimited(char separator) const;

    mv::Model& m_;
    std::vector<mv::EventRow> rows_;
    std::vector<mv::NotchRow> cutoffRows_;
    QComboBox* rowKind_ = nullptr;
    QLineEdit* cutoffs_ = nullptr;
    bool refreshPending_ = false;
    QLabel* info_ = nullptr;
    QTableWidget* fwdTable_ = nullptr;
    QTableWidget* revTable_ = nullptr;
    QPushButton* btnCopy_ = nullptr;
    QPushButton* btnSaveCsv_ = nullptr;
    QPushButton* btnClose_ = nullptr;

    std::vector<mv::EventRow> cmpRows_;
    // At cut-offs: why the comparison gear has no row k (empty where it has one).
    std::vector<std::string> cmpUnreachable_;
    QGroupBox* cmpBox_ = nullptr;
    QLabel* cmpLabel_ = nullptr;
    QTableWidget* cmpFwdTable_ = nullptr;
    QTableWidget* cmpRevTable_ = nullptr;
};
