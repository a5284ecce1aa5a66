#pragma once
// What the print window asks of the card editor, without depending on it:
// which data sources the design prints, the card's two sides as they stand,
// a snapshot to render data rows from, and putting data row 0 back.
#include "batch/Card_Problems.h"
#include "drawing/QBXRenderingView.h"

#include <memory>

class Binding_Run_Snapshot;

class PrintHost {
public:
    virtual ~PrintHost() = default;

    struct Print_Data {
        bool series = false; // series values are bound and loaded
        bool excel = false;  // spreadsheet values are bound and loaded
        int cards = 0;       // cards of the sources in use
        bool inUse() const { return series || excel; }
    };
    // Recomputes which data sources the design uses and counts its cards.
    virtual Print_Data Check_Series_Or_Excel_Use_or_not() = 0;
    // The same, then drops the sources whose box is off and recounts.
    virtual Print_Data Verify_Card_Count(bool series_on, bool excel_on) = 0;
    // The design's side (0 front, 1 back) rendered as it stands, print flag off.
    virtual CardPicture Render_Design_Side(int side) = 0;
    // The problems of the design's barcodes printed as the design stands
    // (side "F", "B" or "BOTH") at dpi.
    virtual QList<Card_Problem> Card_Barcode_Problems(const QString&, double) { return {}; }
    // Everything a run renders data rows from, copied now (main thread).
    virtual std::shared_ptr<Binding_Run_Snapshot> Take_Binding_Run_Snapshot() = 0;
    // Puts data row 0 back on the design after a run.
    virtual void Select_first_row_value_for_design(bool print_box) = 0;
};
