#pragma once
// How cards are laid on a printed sheet, without any widget: the fit that
// turns the print window's fields into cell size, gaps, rows and columns
// (shrinking what does not fit on the paper), the page count, and the
// placement of each cell and its picture. The printed view and the sheet
// preview both place through here, so the preview shows the printed sheet.
//
// Lengths are points; coordinates are the paper's, origin at the bottom left,
// y growing upwards (Qt_Rect turns a rectangle into painter coordinates).
#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>

class QPainter;

namespace sheet_layout {

constexpr int kMaxTotal = 999999;
constexpr double kMinCardMM = 1.0;

float MM_to_Points_Convert(float value);
float Points_to_MM_Convert(float value);

// The print layout settings the views read.
struct Print_Layout {
    double paper_w = 0, paper_h = 0;
    double Left_Mar = 0, Rite_Mar = 0, Top_Mar = 0, Bot_Mar = 0;
    double label_width = 0, label_hight = 0; // cell size (doubled for both sides)
    double horz_mar = 0, vert_mar = 0;       // column and row gap
    int Print_Row = 1, Print_Col = 1;
    int label_align_val = 1;                 // 1..9, keypad order from the top left
    bool auto_center_flag = false;
    QString Print_Card_Side = QStringLiteral("F"); // "F", "B", "BOTH"
    QString Print_Card_Algn = QStringLiteral("U"); // "U" back below, "L" back right
};

// What the fit reads from the window's fields.
struct Fit_Request {
    double card_w_mm = 0, card_h_mm = 0;
    double col_gap_mm = 0, row_gap_mm = 0;
    int rows = 1, cols = 1;
};

// The fit: writes cell size, gaps, rows and columns into the layout (paper
// and margins must be set). Rows and columns are at least 1, the card at
// least 1 mm, gaps at least 0.
void Check_Max_Cell_Value(const Fit_Request& request, Print_Layout& layout);

// A typed length in millimetres: accepts "," as the decimal mark; empty,
// non-numeric, non-finite, negative or absurd text (or below `minimum`)
// gives nothing, so the caller keeps its last valid value.
std::optional<double> Parse_Length(const QString& text, double minimum);
// A typed count of at least 1, or nothing.
std::optional<int> Parse_Count(const QString& text);

// The number of cards to print: 0 when below 1 (nothing to print); else at
// most kMaxTotal, and at most the card count when data rows are printed.
int Clamp_Total(double typed, bool data_in_use, int data_rows);

// Sheets for `total` cards in rows x cols cells (rows, cols taken as >= 1).
std::uint64_t Page_Count(std::int64_t total, int rows, int cols);

// One cell: its rectangle (the front half for both sides), the picture's
// origin and, for both sides, the back picture's rectangle.
struct Cell_Place {
    QRectF cell;
    QPointF origin;
    QRectF picture;
    std::optional<QRectF> back;
};

// Row r and column c count from 1, row 1 at the top; `picture` is the card
// picture's own size (never scaled).
Cell_Place Place_Cell(const Print_Layout& layout, int r, int c, const QSizeF& picture);

// 0-based index of a cell; captions show it plus 1.
int Get_Curr_Label_Index(const Print_Layout& layout, int r, int c);

// A bottom-up rectangle in top-down painter coordinates of the paper.
QRectF Qt_Rect(const Print_Layout& layout, const QRectF& r);

// Writes a cell's caption ("Card 3", "Invalid Data", ...) centred in the cell
// given in sheet coordinates: bold 11 pt in the given colour.
void Draw_Cell_Caption(QPainter& painter, const Print_Layout& layout, const QRectF& cell, const QString& text,
                       const QColor& colour);

} // namespace sheet_layout
