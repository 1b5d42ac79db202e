#include "help/help_windows.hpp"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QtGlobal>

#include "mainwin/data_files.hpp"
#include "mainwin/look.hpp"

namespace mv {
namespace {
// Help files are small; a file far larger than any help text is not one.
constexpr qint64 kMaxHelpBytes = qint64{4} * 1024 * 1024;
}  // namespace

HelpTextWindow::HelpTextWindow(const QString& caption, const QString& fileName, QWidget* parent)
    : QDialog(parent), fileName_(fileName), folders_(DefaultSearchFolders()) {
    setWindowTitle(caption);
    resize(640, 480);
    memo_ = new QPlainTextEdit(this);
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The texts line up their tables with blanks.
    memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(memo_);
    lay->addWidget(buttons);
}

QStringList HelpTextWindow::DefaultSearchFolders() {
    return DataFolders();
}

bool HelpTextWindow::Load() {
    for (const QString& folder : folders_) {
        QFile file(QDir(folder).filePath(fileName_));
        if (!file.open(QIODevice::ReadOnly)) continue;
        if (file.size() > kMaxHelpBytes) continue;
        memo_->setPlainText(QString::fromUtf8(file.readAll()));
        return true;
    }
    memo_->setPlainText(QStringLiteral("Error Loading ") + fileName_);
    return false;
}

void HelpTextWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    Load();
}

TInst::TInst(Model&, QWidget* parent)
    : HelpTextWindow(QStringLiteral("Instructions"), QStringLiteral("instruct.doc"), parent) {}

TMvOSpInst::TMvOSpInst(Model&, QWidget* parent)
    : HelpTextWindow(QStringLiteral("Files, Dynamic Variables, Undo and Graphics"),
                     QStringLiteral("MvOSpIns.doc"), parent) {}

TAboutBox::TAboutBox(Model&, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About"));
    auto* name = new QLabel(QStringLiteral("MERROVAN Outside Admission"), this);
    name->setFont(TitleFont(name->font()));
    auto* version = new QLabel(QStringLiteral("Version " MERROVAN_VERSION), this);
    auto* history = new QLabel(
        QStringLiteral(
            "Merrovan began as a small program that a model engineer wrote to check the valve "
            "events of an outside-admission gear before cutting metal: type the dimensions, "
            "turn the wheel, read lead, lap and cut-off. Later versions animated the linkage, "
            "added the sine, oval, steam and port diagrams, dynamic variables with undo, "
            "construction lines and the pivot data table. This version keeps the dimension "
            "files of its predecessors and runs on current desktops."),
        this);
    history->setWordWrap(true);
    history->setFixedWidth(400);
    auto* qt = new QLabel(QStringLiteral("Built with Qt %1, running on Qt %2")
                              .arg(QStringLiteral(QT_VERSION_STR), QString::fromLatin1(qVersion())),
                          this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(name);
    lay->addWidget(version);
    lay->addSpacing(8);
    lay->addWidget(history);
    lay->addSpacing(8);
    lay->addWidget(qt);
    lay->addWidget(buttons);
    lay->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace mv
