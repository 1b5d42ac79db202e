// The two help text windows and the about box.
#pragma once

#include <QDialog>
#include <QStringList>

#include "model/model.hpp"

class QPlainTextEdit;

namespace mv {

// A read-only window showing one plain-text help file. The file is looked for in the program's
// data folders (mainwin/data_files.hpp) and read again each time the window opens.
class HelpTextWindow : public QDialog {
    Q_OBJECT
public:
    QString FileName() const { return fileName_; }
    QPlainTextEdit* Memo() const { return memo_; }

    // Folders searched in order; by default the program's data folders.
    void SetSearchFolders(const QStringList& folders) { folders_ = folders; }
    static QStringList DefaultSearchFolders();

    // Loads the file into the memo; on failure the memo says "Error Loading " and the name.
    bool Load();

protected:
    HelpTextWindow(const QString& caption, const QString& fileName, QWidget* parent);
    void showEvent(QShowEvent* e) override;

private:
    QString fileName_;
    QStringList folders_;
    QPlainTextEdit* memo_ = nullptr;
};

// Instructions: running the gear and reading its diagrams ("instruct.doc").
class TInst : public HelpTextWindow {
    Q_OBJECT
public:
    explicit TInst(Model& m, QWidget* parent = nullptr);
};

// Files, dynamic variables, undo and the dimension graphic ("MvOSpIns.doc").
class TMvOSpInst : public HelpTextWindow {
    Q_OBJECT
public:
    explicit TMvOSpInst(Model& m, QWidget* parent = nullptr);
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(Model& m, QWidget* parent = nullptr);
};

}  // namespace mv
