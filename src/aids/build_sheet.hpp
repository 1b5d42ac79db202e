// The build sheet: what a maker needs on paper. Page 1 is the gear drawn to scale at mid gear
// and driver angle 0, with the fixed pivots' coordinates, every rod's length between pin centres
// and the valve on its port face in section with the laps; page 2 lists the dimensions, the
// fixed pivots, the rods and the valve events at chosen cut-offs and full gear. Both pages carry
// a title block. Drawn onto any QPainter: PDF, printer, or the HTML's inline picture.
#pragma once

#include <QDate>
#include <QPageSize>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/event_table.hpp"
#include "model/gear_geometry.hpp"
#include "model/model.hpp"

class QPainter;
class QPrinter;

namespace mv {

// The mean cut-offs (per cent) the event table lists before full gear.
inline constexpr std::array<float, 4> kSheetCutoffs = {15, 25, 40, 60};
inline constexpr int kSheetPages = 2;

struct SheetEventRow {
    SweepDirection direction = SweepDirection::Forward;
    std::optional<float> cutoff;     // the mean cut-off asked for; none for full gear
    std::optional<EventRow> events;  // none when no setting reaches that cut-off
};

struct SheetData {
    std::string name;  // the gear's data-set name ("Nominal" or the file's)
    QDate date;
    Gear gear;                        // at mid gear and driver angle 0, solved
    std::vector<SheetEventRow> rows;  // forward rows, then reverse: each cut-off, full gear
};

// Everything the sheet shows of a gear; the gear itself is only read.
SheetData MakeSheetData(const Gear& g, const std::string& name, const QDate& date);

// Page 1's drawing scale: `scale` millimetres on the page per unit of the dimensions (a
// preferred number, so the sheet can be measured with a rule), and where the world origin is,
// in millimetres from the page's top-left corner.
struct SheetView {
    double scale = 1;
    double ox = 0, oy = 0;
    QPointF ToPage(long double h, long double v) const;
};
SheetView MechanismSheetView(const SheetData& d, QSizeF pageMm);

// Draws page 1 or 2 over the whole device of the painter, which shows a page of `pageMm`.
void DrawSheetPage(QPainter& p, const SheetData& d, int page, QSizeF pageMm);

// The sheet as a two-page PDF on A4 or Letter, written through a temporary file and renamed, so
// a failure leaves an existing file as it was. Returns false with a message in `error`.
bool WriteSheetPdf(const QString& path, const SheetData& d, QPageSize::PageSizeId paper,
                   QString* error);
// The sheet as one self-contained HTML file: page 1 as an inline SVG picture, page 2 as tables.
bool WriteSheetHtml(const QString& path, const SheetData& d, QPageSize::PageSizeId paper,
                    QString* error);
// Both pages onto a printer set up by the print dialog (paper, printer or PDF file).
bool PrintSheet(QPrinter& printer, const SheetData& d);

}  // namespace mv
