#pragma once
// The export settings dialog: resolution, file type and format, the sides
// to export, the combined picture, and whether series or spreadsheet values
// are exported. OK ends the modal run with 1, Cancel with 0. The export
// command presets it before each run and reads it afterwards.
#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;

class ExportWindow : public QDialog {
    Q_OBJECT
public:
    explicit ExportWindow(QWidget* parent = nullptr);

    // Formats in the order of the file-type rows; each title is the
    // extension written.
    static QStringList formatTitles();
    // Resolutions offered, in dots per inch.
    static QStringList resolutionTitles();

    QComboBox* saveDPIText = nullptr;          // resolution
    QButtonGroup* matrix_file_type = nullptr;  // one row per format
    QComboBox* fileFormatPopup = nullptr;      // item titles are extensions
    QCheckBox* export_combined_image_chk = nullptr;
    QButtonGroup* matrix_export_card_side = nullptr; // 0 both sides, 1 front, 2 back
    QCheckBox* Export_with_batch_chk = nullptr;
    QCheckBox* Export_with_excel_chk = nullptr;
};
