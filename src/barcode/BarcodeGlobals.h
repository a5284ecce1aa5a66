#pragma once
// Process-wide barcode settings and the picture handoff to a barcode graphic.
// The integers are read by worker threads while the designer's controls may
// change them, so they are atomic.
#include <atomic>

#include "platform/PointPicture.h"

// Resolution in dots per inch of every 2-D barcode picture (initially 600).
extern std::atomic<int> USED_DPI_VALUE;
// QR version: 0 automatic, 1 to 40 that version (initially 0).
extern std::atomic<int> QR_Version_Val;
// QR error correction: 0 L, 1 M, 2 Q, 3 H (initially 0).
extern std::atomic<int> QR_EC_Level_Val;
// Points per Data Matrix module in the finished picture (initially 1).
extern std::atomic<int> Barcode_module_size;
// The designer's length unit and its previous value: 0 inches,
// 1 centimetres, 2 millimetres (initially 0; the designer sets both to 1).
extern std::atomic<int> Measument_Unit_Is;
extern std::atomic<int> last_unit_val;
// Set while settings are loaded into the designer: no regeneration then.
extern std::atomic<bool> Not_Draw_Only_Prop_Change;
// The barcode picture handed to a barcode graphic; null means "no new
// picture". Written only by the designer's OK, never by runs.
extern PointPicture Barcode_output_image;
