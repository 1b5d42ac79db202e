// The program's look in one place: the colours of the picture and the diagrams, and every font
// a window or a drawing uses. The faces are the classic ones the layouts were designed with;
// metric-compatible faces stand in where those are missing.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

namespace mv {

// Colours (RGB) of the picture, the diagrams and the windows.
inline constexpr QRgb kBlack = 0x000000;
inline constexpr QRgb kGrey = 0x808080;
inline constexpr QRgb kSilver = 0xC0C0C0;
inline constexpr QRgb kRed = 0xFF0000;
inline constexpr QRgb kMaroon = 0x800000;
inline constexpr QRgb kLime = 0x00FF00;
inline constexpr QRgb kGreen = 0x008000;
inline constexpr QRgb kBlue = 0x0000FF;
inline constexpr QRgb kAqua = 0x00FFFF;
inline constexpr QRgb kTeal = 0x008080;
inline constexpr QRgb kFuchsia = 0xFF00FF;
inline constexpr QRgb kYellow = 0xFFFF00;
inline constexpr QRgb kWhite = 0xFFFFFF;

// Pixel height of a font of the given point size on the 96 dpi picture.
int FontPixelsForPoints(int points);

// The mechanism picture's texts: the classic 8-point (or 14-point) dialog sans, unsmoothed.
QFont PictureFont(int points, bool bold);
// The diagrams' texts: 11 pixels, the system sans face when the classic one is missing.
QFont DiagramFont(int pixelSize = 11, bool bold = false);
// The build sheet's texts: a sans face whose em is `millimetres` high on any device.
QFont SheetFont(double millimetres, bool bold = false);
// The main window's buttons: bold underlined serif of 13 pixels.
QFont ControlFont();
// The main window's buttons' frame and colours, as a style sheet.
QString ControlButtonStyle();
// The dimension dialogs' small graphic buttons: eight pixels leave no room for a style's bevel,
// whose light left edge vanishes against the dialog, so a plain border shows the whole button.
QString GraphicButtonStyle();
// The main window's menu bar: the classic small menu font, so that every item fits.
QFont MenuFont();
// The dimension and setting dialogs: `base` in the classic dialog face at 11 pixels.
QFont DialogFont(const QFont& base);
// The reverse-arm positions dialog: 14 pixels, or smaller where the face in use is wider than
// the classic one, so a row label ends before its edit and a heading value before the next.
QFont PositionsDialogFont();
// The pivot data table's memo: fixed pitch, so its columns line up.
QFont DataTableFont();
// Letters on the tool-bar pictures.
QFont IconLabelFont();
// The program's name in the about box: `base`, bold and larger.
QFont TitleFont(const QFont& base);

// Makes the classic face names find metric-compatible faces; once, before any window.
void InstallFontSubstitutions();

}  // namespace mv
