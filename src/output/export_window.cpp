#include "output/export_window.h"

#include "batch/Barcode_Binding.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

QStringList ExportWindow::formatTitles()
{
    return {QStringLiteral("PNG"), QStringLiteral("TIFF")};
}

QStringList ExportWindow::resolutionTitles()
{
    QStringList titles;
    for (const int dpi : Export_Resolutions())
        titles << QString::number(dpi);
    return titles;
}

ExportWindow::ExportWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportWindow"));
    setWindowTitle(QStringLiteral("Export"));
    auto* layout = new QVBoxLayout(this);

    auto* typeBox = new QGroupBox(QStringLiteral("File type"));
    auto* typeGrid = new QGridLayout(typeBox);
    matrix_file_type = new QButtonGroup(this);
    const QStringList formats = formatTitles();
    for (int row = 0; row < formats.size(); ++row) {
        auto* radio = new QRadioButton(formats.at(row));
        matrix_file_type->addButton(radio, row);
        typeGrid->addWidget(radio, row, 0);
    }
    fileFormatPopup = new QComboBox;
    fileFormatPopup->setObjectName(QStringLiteral("fileFormatPopup"));
    fileFormatPopup->addItems(formats);
    saveDPIText = new QComboBox;
    saveDPIText->setObjectName(QStringLiteral("saveDPIText"));
    saveDPIText->addItems(resolutionTitles());
    typeGrid->addWidget(new QLabel(QStringLiteral("Format")), 0, 1);
    typeGrid->addWidget(fileFormatPopup, 0, 2);
    typeGrid->addWidget(new QLabel(QStringLiteral("Resolution (dpi)")), 1, 1);
    typeGrid->addWidget(saveDPIText, 1, 2);
    layout->addWidget(typeBox);

    auto* sideBox = new QGroupBox(QStringLiteral("Card side"));
    auto* sideLayout = new QVBoxLayout(sideBox);
    matrix_export_card_side = new QButtonGroup(this);
    const QStringList sides{QStringLiteral("Both sides"), QStringLiteral("Front side"), QStringLiteral("Back side")};
    for (int row = 0; row < sides.size(); ++row) {
        auto* radio = new QRadioButton(sides.at(row));
        matrix_export_card_side->addButton(radio, row);
        sideLayout->addWidget(radio);
    }
    export_combined_image_chk = new QCheckBox(QStringLiteral("Front and back in one picture"));
    export_combined_image_chk->setObjectName(QStringLiteral("export_combined_image_chk"));
    sideLayout->addWidget(export_combined_image_chk);
    layout->addWidget(sideBox);

    Export_with_batch_chk = new QCheckBox(QStringLiteral("Export with series values"));
    Export_with_batch_chk->setObjectName(QStringLiteral("Export_with_batch_chk"));
    Export_with_excel_chk = new QCheckBox(QStringLiteral("Export with spreadsheet values"));
    Export_with_excel_chk->setObjectName(QStringLiteral("Export_with_excel_chk"));
    layout->addWidget(Export_with_batch_chk);
    layout->addWidget(Export_with_excel_chk);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { done(1); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { done(0); });
    layout->addWidget(buttons);
}
