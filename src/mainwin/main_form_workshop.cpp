// The main window's workshop commands: the build sheet, the DXF drawing, and a second gear set
// beside the working one for comparison. None of them changes the working gear.
#include <QDate>
#include <QFile>
#include <QPrinter>

#include "aids/build_sheet.hpp"
#include "files/dimension_file.hpp"
#include "files/dxf_file.hpp"
#include "mainwin/main_form.hpp"
#include "model/solver.hpp"

namespace mv {

void TMainForm::BuildSheetClick() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(QStringLiteral("Build sheet"));
    if (!choosePrinter || !choosePrinter(printer)) return;
    const SheetData d = MakeSheetData(m_, m_.dataSetName, QDate::currentDate());
    if (!PrintSheet(printer, d) && showMessage)
        showMessage(
            QStringLiteral("The build sheet could not be printed: the printer or the "
                           "file it writes could not be started."));
}

void TMainForm::ExportDxfClick() {
    const QString path = chooseFile ? chooseFile(FileCommand::ExportDxf) : QString();
    if (path.isEmpty()) return;
    // The mechanism as the picture shows it now, solved afresh on a copy.
    Gear g = m_;
    SolveLinkage(g);
    SolvePistonAndPorts(g);
    std::string error;
    if (!files::WriteMechanismDxf(g, QFile::encodeName(path).toStdString(), error) && showMessage)
        showMessage(QString::fromStdString(error));
}

void TMainForm::CompareWithClick() {
    const QString path = chooseFile ? chooseFile(FileCommand::CompareWith) : QString();
    if (path.isEmpty()) return;
    ComparisonGear c;
    std::string error;
    // A file that cannot be read leaves the comparison gear as it was.
    if (!files::ReadGearFile(QFile::encodeName(path).toStdString(), c.gear, c.name, error)) {
        if (showMessage) showMessage(QString::fromStdString(error));
        return;
    }
    m_.comparison = std::move(c);
    m_.Notify(ModelEvent::ComparisonChanged);
}

void TMainForm::CompareOffClick() {
    if (!m_.comparison) return;
    m_.comparison.reset();
    m_.Notify(ModelEvent::ComparisonChanged);
}

}  // namespace mv
