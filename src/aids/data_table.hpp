// "Pivot Data Table": the coordinates of the six chosen pivots over one turn of the driver, as
// text the user can select, copy and save for a spreadsheet.
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <vector>

#include "model/model.hpp"

class QAction;
class QMenu;
class QPlainTextEdit;

namespace mv {

class TDataTable : public QDialog {
    Q_OBJECT
public:
    explicit TDataTable(Model& m, QWidget* parent = nullptr);

    // Rebuilds the whole table from the model (the window does this each time it opens).
    void FormActivate();

    // Writes the rows of the last build as comma-separated values with a header row. The file
    // is replaced only when the whole text was written.
    bool SaveCsv(const QString& path, QString* error = nullptr) const;

    void Edit1Click();
    void Cut1Click();
    void Copy1Click();
    void Past1Click();
    void SelectAll1Click();
    void SaveCsvClick();

    QPlainTextEdit* DataMemo() const { return memo_; }
    QAction* CutAction() const { return cut_; }
    QAction* CopyAction() const { return copy_; }
    QAction* PasteAction() const { return paste_; }
    QAction* SelectAllAction() const { return selectAll_; }
    QMenu* EditMenu() const { return editMenu_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }

protected:
    void showEvent(QShowEvent* e) override;

private:
    // One table row: the angle, then vertical and horizontal of the six pivots.
    using Row = std::array<float, 13>;

    Model& m_;
    QPlainTextEdit* memo_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QAction* cut_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* paste_ = nullptr;
    QAction* selectAll_ = nullptr;
    std::vector<Row> rows_;
    std::array<int, 6> pivots_{};
};

}  // namespace mv
