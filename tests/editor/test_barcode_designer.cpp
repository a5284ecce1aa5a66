// The barcode designer driven through the modal seam as a user drives it:
// every symbology previews and hands over a picture that an independent
// reader (zxing-cpp) decodes, OK writes the settings, Cancel writes nothing.
#include "support_editor.h"

#include "app/Globals.h"
#include "barcode/BCXBarcodeOffscreenView.h"
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/Barcode_Gen_Window.h"
#include "batch/Barcode_Binding.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXGraphicView.h"
#include "editor/Long_SMS_Dlg.h"
#include "platform/color_well.h"
#include "platform/stepper.h"
#include "support/bounded_wait.h"
#include "support/test_responder.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <thread>

namespace {

using W = Barcode_Gen_Window;

struct Read {
    std::string text, ecLevel;
};

Read Decode(const QImage& image, const char* format)
{
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, image);
    }
    const QImage grey = flat.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormatFromString(format));
    hints.setTryHarder(true);
    hints.setTryCode39ExtendedMode(true);
    hints.setReturnCodabarStartEnd(true);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                int(grey.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    return r.isValid() ? Read{r.text(), r.ecLevel()} : Read{};
}

// A user's choice in a combo box and typing into a field.
void Choose(QComboBox* combo, const QString& text)
{
    const int at = combo->findText(text);
    ASSERT_GE(at, 0) << text.toStdString();
    combo->setCurrentIndex(at);
    emit combo->activated(at);
}

void Type(QLineEdit* field, const QString& text)
{
    field->setText(text);
    emit field->textEdited(text);
}

void Type_Value(W& w, const QString& text)
{
    if (w.liner_or_2D_font)
        w.dataText_2D->setPlainText(text);
    else
        Type(w.dataText, text);
}

QImage Panel(W& w)
{
    return w.barcodeImage->pixmap().toImage();
}

struct Designer : ::testing::Test {
    StartedEditor editor;
    QBXWindowController* c = nullptr;
    GraphicPtr barcode;

    void SetUp() override
    {
        ASSERT_TRUE(editor.started);
        c = editor.controller.get();
        testResponder().reset();
        barcode = Place();
    }
    void TearDown() override
    {
        for (const QString& f : QDir(Data_Folder_Path).entryList(QDir::Files))
            QFile::remove(Data_Folder_Path + QLatin1Char('/') + f);
        EXPECT_TRUE(testResponder().reset()) << "a scripted answer was left unused";
    }
    GraphicPtr Place()
    {
        GraphicPtr g = QBXGraphic::graphicOfClass(QStringLiteral("QBXBarcode"));
        g->setBounds(QRectF(20, 20, 120, 60));
        editor.document->Enable_Disable_Undo_Registraion(false);
        c->_graphicView->insertGraphics({g}, {int(c->_graphicView->graphics().size())});
        editor.document->Enable_Disable_Undo_Registraion(true);
        c->_graphicView->Set_Selected_Graphic(g);
        return g;
    }
    // Opens the designer on the selected graphic; the action runs inside
    // its modal loop and ends it.
    void Open(const std::function<void(W&)>& action)
    {
        testResponder().onDialog([action](QDialog& d) {
            W* w = W::defaultInstance();
            ASSERT_TRUE(w);
            action(*w);
            if (d.isVisible())
                w->cancel_button->click();
        });
        c->Open_Barcode_Window();
    }
    void Series(const QString& name, const QByteArray& rows)
    {
        QDir().mkpath(Data_Folder_Path);
        QFile f(Data_Folder_Path + QLatin1Char('/') + name + QStringLiteral(".txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(rows);
    }
};

int Resolution_Index(const char* title)
{
    return int(Barcode_Resolution_Titles().indexOf(QLatin1String(title)));
}

} // namespace

TEST_F(Designer, EverySymbologyPreviewsAndHandsOverADecodablePicture)
{
    struct Case {
        const char* title;
        const char* value;
        const char* format; // nullptr: compared with the headless picture
    };
    const Case cases[] = {
        {"Code 39", "CARD42", "Code39"},
        {"Extended Code 39", "Card-42", "Code39"},
        {"Interleaved 2 of 5", "123456", "ITF"},
        {"UPCA", "036000291452", "UPC-A"},
        {"PostNet", "12345", nullptr},
        {"Modified Plessey", "12345", nullptr},
        {"Modified Plessey (Hex)", "12AB", nullptr},
        {"Industrial 2 of 5", "12345", nullptr},
        {"EAN-13", "4006381333931", "EAN-13"},
        {"Code 128", "Hello 123", "Code128"},
        {"Code 128 SET A", "HELLO", "Code128"},
        {"Code 128 SET B", "Hello", "Code128"},
        {"Code 128 SET C", "123456", "Code128"},
        {"Codabar", "A1234B", "Codabar"},
        {"UPCE", "04252614", "UPC-E"},
        {"EAN-8", "96385074", "EAN-8"},
        {"Royal Mail Barcode (RM4SCC / CBC)", "SN34RD1A", nullptr},
        {"Planet", "12345678901", nullptr},
        {"Japan Post Barcode", "1234567", nullptr},
        {"QR Code", "https://example.org/card/17", "QRCode"},
        {"PDF417", "PDF-417 card", "PDF417"},
        {"DataMatrix", "DM-000123", "DataMatrix"},
    };
    ASSERT_EQ(std::size(cases), size_t(Barcode_Symbology_Titles().size()));
    for (const Case& k : cases) {
        SCOPED_TRACE(k.title);
        GraphicPtr g = Place();
        g->dpi_val_index = Resolution_Index("300");
        const QString title = QString::fromLatin1(k.title);
        const QString value = QString::fromLatin1(k.value);
        // The three widest pictures run past the small card's right edge,
        // which OK says.
        const bool wide = title == QLatin1String("Extended Code 39") || title == QLatin1String("Planet")
            || title == QLatin1String("Japan Post Barcode");
        if (wide)
            testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
        Open([&](W& w) {
            Choose(w.barcodeTypePopup, title);
            Type_Value(w, value);
            EXPECT_FALSE(w.Preview_Is_Blank()) << w.barcode_error_label->text().toStdString();
            w.ok_button->click();
        });
        EXPECT_TRUE(testResponder().reset()) << "OK named no barcode past the card's edge";
        EXPECT_EQ(g->barcode_font_index, Barcode_Symbology_Titles().indexOf(title));
        EXPECT_EQ(g->linear_or_2d, Barcode_Gen::Is_2D_Title(title) ? 1 : 0);
        EXPECT_EQ(Barcode_Gen::Is_2D_Title(title) ? g->two_d_font_val : g->linear_font_val, value);
        ASSERT_FALSE(g->_barcode_image.isNull());
        EXPECT_EQ(g->_barcode_image.image().dotsPerMeterX(), 11811); // 300 dpi
        if (k.format)
            EXPECT_EQ(Decode(g->_barcode_image.image(), k.format).text, k.value);
        else
            EXPECT_EQ(g->_barcode_image.image(), Barcode_Picture_For_Graphic(*g, value, g->header_val, g->footer_val));
    }
}

TEST_F(Designer, OkGivesEverySelectedBarcodeTheSettingsAndSymbol)
{
    const GraphicPtr second = Place();
    c->_graphicView->selectAll();
    Open([](W& w) {
        Choose(w.barcodeTypePopup, QStringLiteral("Code 128"));
        Type_Value(w, QStringLiteral("Both 42"));
        w.ok_button->click();
    });
    ASSERT_FALSE(second->_barcode_image.isNull());
    EXPECT_EQ(barcode->barcode_font_index, second->barcode_font_index);
    EXPECT_EQ(barcode->_barcode_image, second->_barcode_image);
}

TEST_F(Designer, CancelWritesNothingAndOkSettingsSurviveReopeningAndArchive)
{
    Series(QStringLiteral("Guests"), "G-1\nG-2\n");
    const QByteArray before = QBXGraphic::archivedDataWithGraphic(*barcode);
    Open([](W& w) {
        // Defaults of a new graphic and the lists the designer fills.
        EXPECT_EQ(w.barcodeTypePopup->currentIndex(), 0);
        EXPECT_EQ(w.dataText->text(), QStringLiteral("0123"));
        EXPECT_EQ(w.HeightText->text(), QStringLiteral("0.6"));
        EXPECT_EQ(w.HeightText_2D->text(), QStringLiteral("60"));
        EXPECT_EQ(w.qr_version_ComboBox->count(), 41);
        EXPECT_EQ(w.dm_format_ComboBox->count(), 31);
        EXPECT_EQ(w.dm_encoding_ComboBox->count(), 5);
        EXPECT_EQ(w.sett_tab->count(), 3);
        Choose(w.barcodeTypePopup, QStringLiteral("QR Code"));
        Type_Value(w, QStringLiteral("changed"));
        Choose(w.qr_version_ComboBox, QStringLiteral("V7"));
        Choose(w.DPI_ComboBox, QStringLiteral("1200"));
        Choose(w.Data_source_type, QStringLiteral("Series"));
        Choose(w.Batch_Series, QStringLiteral("Guests"));
        EXPECT_EQ(w.dataText_2D->toPlainText(), QStringLiteral("G-1"));
        w.window->reject(); // Esc and closing the window end the same way
    });
    EXPECT_EQ(QBXGraphic::archivedDataWithGraphic(*barcode), before);
    EXPECT_EQ(USED_DPI_VALUE.load(), 600);

    Open([](W& w) {
        Choose(w.barcodeTypePopup, QStringLiteral("DataMatrix"));
        Type_Value(w, QStringLiteral("kept"));
        Choose(w.dm_format_ComboBox, QStringLiteral("C16X48"));
        Choose(w.DPI_ComboBox, QStringLiteral("300"));
        Type(w.HeaderText, QStringLiteral("Head"));
        w.hideFooterCheckbox->click();
        w.ok_button->click();
    });
    EXPECT_EQ(barcode->dm_format_index, DataMatrix_Format_Titles().indexOf(QStringLiteral("C16X48")));
    EXPECT_EQ(barcode->dpi_val_index, Resolution_Index("300"));
    EXPECT_EQ(barcode->show_hide_ftr, 1);
    EXPECT_EQ(barcode->header_val, QStringLiteral("Head"));
    const QByteArray saved = QBXGraphic::archivedDataWithGraphic(*barcode);
    const GraphicPtr back = QBXGraphic::graphicWithArchivedData(saved);
    ASSERT_TRUE(back);
    EXPECT_EQ(QBXGraphic::archivedDataWithGraphic(*back), saved);
    USED_DPI_VALUE = 72;
    Open([](W& w) {
        EXPECT_EQ(w.barcodeTypePopup->currentText(), QStringLiteral("DataMatrix"));
        EXPECT_EQ(w.dataText_2D->toPlainText(), QStringLiteral("kept"));
        EXPECT_EQ(w.dm_format_ComboBox->currentText(), QStringLiteral("C16X48"));
        EXPECT_EQ(w.DPI_ComboBox->currentText(), QStringLiteral("300"));
        EXPECT_EQ(USED_DPI_VALUE.load(), 300); // the stored resolution is read back
        EXPECT_EQ(w.sett_tab->count(), 4);
        w.ok_button->click();
    });
    EXPECT_EQ(QBXGraphic::archivedDataWithGraphic(*barcode).size(), saved.size());
}

TEST_F(Designer, RefreshesFollowTheKindAndTheControls)
{
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPointSizeF(18);
    testResponder().answerFont(chosen);
    testResponder().answerColor(QColor(Qt::red));
    Open([](W& w) {
        Choose(w.barcodeTypePopup, QStringLiteral("EAN-13"));
        Type_Value(w, QStringLiteral("4006381333931"));
        EXPECT_FALSE(w.kerning_value_Checkbox->isEnabled());
        Choose(w.barcodeTypePopup, QStringLiteral("Code 39"));
        EXPECT_TRUE(w.kerning_value_Checkbox->isEnabled());
        // Non-ASCII blanks the preview without a message; removing it draws again.
        Type_Value(w, QStringLiteral("CARD\u00e9"));
        EXPECT_TRUE(w.Preview_Is_Blank());
        EXPECT_TRUE(w.barcode_error_label->isVisibleTo(w.window));
        Type_Value(w, QStringLiteral("CARD"));
        EXPECT_FALSE(w.Preview_Is_Blank());
        const QImage plain = Panel(w);
        w.val_font_btn->click();
        EXPECT_EQ(w.value_font_value->text(), QStringLiteral("DejaVu Sans ( 18.00 )"));
        EXPECT_NE(Panel(w).size(), plain.size());
        const QImage bigger = Panel(w);
        w.barcode_clr->click();
        EXPECT_NE(Panel(w), bigger);

        Choose(w.barcodeTypePopup, QStringLiteral("QR Code"));
        EXPECT_EQ(w.sett_tab->count(), 4);
        const int encoded = w.encode_count;
        const QImage qr = Panel(w);
        Type(w.HeaderText, QStringLiteral("A much longer header text"));
        EXPECT_EQ(w.encode_count, encoded); // recomposed, not encoded
        EXPECT_NE(Panel(w), qr);
        Type(w.FooterText, QStringLiteral("F"));
        const QImage centred = Panel(w);
        Choose(w.align_ftr_combo, QStringLiteral("Left"));
        EXPECT_EQ(w.encode_count, encoded);
        EXPECT_NE(Panel(w), centred); // the alignment shows at once
        Choose(w.barcodeTypePopup, QStringLiteral("Codabar"));
        EXPECT_EQ(w.sett_tab->count(), 3);
        EXPECT_EQ(w.sett_tab->currentIndex(), 0);
        // An empty value at a symbology change asks for one.
        Type_Value(w, QString());
        Choose(w.barcodeTypePopup, QStringLiteral("Code 39"));
        EXPECT_TRUE(w.Preview_Is_Blank());
    });
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")), QStringList{QStringLiteral("\nPlease enter barcode value")});
}

TEST_F(Designer, CombosAndPairsKeepOneValueAndRegenerateOnce)
{
    Series(QStringLiteral("Codes"), "FIRST-1\nSECOND\n");
    Open([](W& w) {
        Choose(w.barcodeTypePopup, QStringLiteral("QR Code"));
        Choose(w.DPI_ComboBox, QStringLiteral("Auto"));
        EXPECT_EQ(USED_DPI_VALUE.load(), 600);
        EXPECT_FALSE(w.dpi_Text->isVisibleTo(w.window));
        Choose(w.DPI_ComboBox, QStringLiteral("Custom"));
        const int before = w.encode_count;
        w.dpi_Text->setText(QStringLiteral("300"));
        emit w.dpi_Text->editingFinished();
        EXPECT_EQ(USED_DPI_VALUE.load(), 300);
        EXPECT_EQ(w.encode_count, before + 1);
        EXPECT_FALSE(w.Preview_Is_Blank());
        w.dpi_Text->setText(QStringLiteral("9999"));
        emit w.dpi_Text->editingFinished();
        EXPECT_EQ(w.dpi_Text->text(), QStringLiteral("2400"));

        // QR size: typed below the minimum, drawn and stored at the minimum.
        int n = w.encode_count;
        Type(w.HeightText_2D, QStringLiteral("10"));
        EXPECT_EQ(w.encode_count, n + 1);
        EXPECT_EQ(w.HeightStepper_2D->intValue(), 29);
        emit w.HeightText_2D->editingFinished();
        EXPECT_EQ(w.HeightText_2D->text(), QStringLiteral("29"));
        Type(w.HeightText_2D, QStringLiteral("30"));
        Choose(w.qr_version_ComboBox, QStringLiteral("V5"));
        EXPECT_EQ(w.HeightText_2D->text(), QStringLiteral("45")); // 37 modules and the quiet zone
        EXPECT_EQ(w.HeightStepper_2D->minimum(), 45);
        Type(w.HeightText_2D, QStringLiteral("60"));
        Choose(w.qr_version_ComboBox, QStringLiteral("V2"));
        EXPECT_EQ(w.HeightText_2D->text(), QStringLiteral("60"));

        Choose(w.barcodeTypePopup, QStringLiteral("DataMatrix"));
        w.dm_moduleStepper_2D->setValue(3);
        n = w.encode_count;
        emit w.dm_moduleStepper_2D->valueEdited(3);
        EXPECT_EQ(w.encode_count, n + 1);
        EXPECT_EQ(w.dm_moduleText_2D->text(), QStringLiteral("3"));
        Choose(w.dm_format_ComboBox, QStringLiteral("C16X48"));
        EXPECT_EQ(w.dm_widthText_2D->text(), QStringLiteral("144"));
        EXPECT_EQ(w.dm_HeightText_2D->text(), QStringLiteral("48"));

        Choose(w.Data_source_type, QStringLiteral("Series"));
        Choose(w.Batch_Series, QStringLiteral("Codes"));
        EXPECT_EQ(w.dataText_2D->toPlainText(), QStringLiteral("FIRST-1"));
        EXPECT_TRUE(w.dataText_2D->isReadOnly());
        w.ok_button->click();
    });
    EXPECT_EQ(barcode->data_source_type, 1);
    EXPECT_EQ(barcode->batch_list_name, QStringLiteral("Codes"));
    EXPECT_EQ(barcode->two_d_font_val, QStringLiteral("FIRST-1"));
    EXPECT_EQ(barcode->dm_module_val, 3);
    EXPECT_EQ(barcode->qr_size_val, 60);
    EXPECT_EQ(barcode->dpi_custom_val, QStringLiteral("2400"));
}

TEST_F(Designer, OkIsRefusedWithoutAPictureOrAChosenSeries)
{
    Series(QStringLiteral("Codes"), "1\n");
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    const QByteArray before = QBXGraphic::archivedDataWithGraphic(*barcode);
    Open([](W& w) {
        Choose(w.barcodeTypePopup, QStringLiteral("EAN-13"));
        Type_Value(w, QStringLiteral("ABC"));
        EXPECT_TRUE(w.Preview_Is_Blank());
        EXPECT_FALSE(w.barcode_error_label->text().isEmpty());
        w.ok_button->click();
        EXPECT_TRUE(w.window->isVisible()); // no settings without their picture
        Type_Value(w, QStringLiteral("4006381333931"));
        // "Series" with none picked: OK asks for one and stays open.
        Choose(w.Data_source_type, QStringLiteral("Series"));
        w.ok_button->click();
        EXPECT_TRUE(w.window->isVisible());
    });
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")), QStringList{QStringLiteral("\nPlease select the series.")});
    EXPECT_EQ(QBXGraphic::archivedDataWithGraphic(*barcode), before);
    EXPECT_FALSE(Not_Draw_Only_Prop_Change.load());
}

TEST_F(Designer, HelpShowsItsOwnTextAfterAQuestion)
{
    Long_SMS_Dlg* dlg = Long_SMS_Dlg::defaultInstance();
    dlg->title_val = QStringLiteral("Overwrite the file?");
    QString shownTitle;
    testResponder().onDialog([&](QDialog& d) {
        W::defaultInstance()->DPI_Help_Label();
        d.done(0);
    });
    testResponder().onDialog([&](QDialog& d) {
        shownTitle = dlg->_Msg_Title->text();
        d.done(1);
    });
    c->Open_Barcode_Window();
    EXPECT_EQ(shownTitle, QStringLiteral("DPI (Dots Per Inch) :"));
}

TEST(DesignerWindow, ViewerOpensTheSourceKindShownAndLoadsOnlyOnTheMainThread)
{
    std::vector<std::pair<int, QString>> viewed;
    Barcode_Designer_Services s;
    s.symbology_titles = Barcode_Symbology_Titles();
    s.format_titles = DataMatrix_Format_Titles();
    s.resolution_titles = Barcode_Resolution_Titles();
    s.spreadsheet_bound = true;
    s.column_titles = [] { return QStringList{QStringLiteral("Row"), QStringLiteral("Code")}; };
    s.first_column_value = [](int i) { return QStringLiteral("V%1").arg(i); };
    s.view_source = [&](int source, const QString& name) { viewed.emplace_back(source, name); };
    W w(s);
    Barcode_Gen record;
    Barcode_Source_Choice binding;
    binding.data_source_type = 2;
    binding.excel_col_indx = 1;
    int offThread = -1;
    std::thread opener([&] { offThread = w.Open_Wnd(record, binding); });
    joinWithinDeadline(opener, "the designer opened off the main thread");
    EXPECT_EQ(offThread, 0);
    testResponder().onDialog([&](QDialog& d) {
        EXPECT_EQ(w.dataText->text(), QStringLiteral("V1"));
        w.view_series_btn->click();
        d.done(0);
    });
    w.Open_Wnd(record, binding);
    EXPECT_EQ(viewed, (std::vector<std::pair<int, QString>>{{2, QString()}}));
    EXPECT_FALSE(Not_Draw_Only_Prop_Change.load());
    QImage pair(2, 1, QImage::Format_RGB32);
    pair.setPixel(0, 0, qRgb(255, 0, 0));
    pair.setPixel(1, 0, qRgb(0, 0, 255));
    EXPECT_EQ(W::flipImageHorizontally(pair).pixel(0, 0), qRgb(0, 0, 255));
}

// Rows are made from each graphic's own settings on a worker, whatever the
// dialog left in the shared designer, at the graphic's own resolution.
TEST_F(Designer, RowPicturesUseTheGraphicsOwnSettingsOnAWorker)
{
    Open([](W& w) {
        Choose(w.barcodeTypePopup, QStringLiteral("DataMatrix"));
        Choose(w.DPI_ComboBox, QStringLiteral("1200"));
        w.ok_button->click();
    });
    auto code39 = QBXGraphic::graphicOfClass(QStringLiteral("QBXBarcode"));
    code39->barcode_font_index = int(Barcode_Symbology_Titles().indexOf(QStringLiteral("Code 39")));
    code39->dpi_val_index = Resolution_Index("300");
    auto qr = QBXGraphic::graphicOfClass(QStringLiteral("QBXBarcode"));
    qr->linear_or_2d = 1;
    qr->barcode_font_index = int(Barcode_Symbology_Titles().indexOf(QStringLiteral("QR Code")));
    qr->dpi_val_index = Resolution_Index("600");
    auto pdf = QBXGraphic::graphicOfClass(QStringLiteral("QBXBarcode"));
    pdf->linear_or_2d = 1;
    pdf->barcode_font_index = int(Barcode_Symbology_Titles().indexOf(QStringLiteral("PDF417")));
    pdf->pdf_ec_val = 5;
    for (const GraphicPtr& g : {code39, qr})
        g->Set_Data_source_type(1);
    const QByteArray before = QBXGraphic::archivedDataWithGraphic(*qr);
    const PointPicture handed = Barcode_output_image;
    const QStringList rows{QStringLiteral("ROW-1"), QStringLiteral("ROW-2"), QStringLiteral("ROW-3")};
    std::vector<QImage> lines, squares;
    QImage pdfPicture;
    std::thread worker([&] {
        for (const QString& v : rows) {
            lines.push_back(Barcode_Picture_For_Graphic(*code39, v, QString(), QString()));
            squares.push_back(Barcode_Picture_For_Graphic(*qr, v, QString(), QString()));
        }
        pdfPicture = Barcode_Picture_For_Graphic(*pdf, QStringLiteral("level five"), QString(), QString());
    });
    joinWithinDeadline(worker, "the worker drawing rows");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Decode(lines[size_t(i)], "Code39").text, rows[i].toStdString());
        EXPECT_EQ(lines[size_t(i)].dotsPerMeterX(), 11811);
        EXPECT_EQ(Decode(squares[size_t(i)], "QRCode").text, rows[i].toStdString());
        EXPECT_EQ(squares[size_t(i)].dotsPerMeterX(), 23622);
    }
    EXPECT_EQ(Decode(pdfPicture, "PDF417").ecLevel, "5");
    EXPECT_EQ(QBXGraphic::archivedDataWithGraphic(*qr), before);
    EXPECT_EQ(Barcode_output_image.size(), handed.size());
    EXPECT_EQ(W::defaultInstance(), nullptr);
}

// The part that runs inside xvfb: the dialog on a real screen with a Code 128
// and then a QR Code preview, each captured from outside Qt.
TEST(DesignerScreenChild, CaptureCode128AndQr)
{
    const QString out = qEnvironmentVariable("CW_DESIGNER_SCREEN_OUT");
    if (out.isEmpty())
        GTEST_SKIP() << "run by DesignerScreen.PreviewUnderXvfb";
    Barcode_Designer_Services s;
    s.symbology_titles = Barcode_Symbology_Titles();
    s.format_titles = DataMatrix_Format_Titles();
    s.resolution_titles = Barcode_Resolution_Titles();
    W w(s);
    Barcode_Gen record;
    testResponder().onDialog([&](QDialog& d) {
        d.move(0, 0);
        int shot = 0;
        for (const char* title : {"Code 128", "QR Code"}) {
            Choose(w.barcodeTypePopup, QLatin1String(title));
            Type_Value(w, QStringLiteral("CW-2026"));
            QTest::qWait(400);
            const QRect panel(w.barcodeImage->mapToGlobal(QPoint(0, 0)), w.barcodeImage->size());
            const QString file = out + QString::number(shot++) + QStringLiteral(".png");
            QFile rect(file + QStringLiteral(".rect"));
            if (rect.open(QIODevice::WriteOnly))
                rect.write(QStringLiteral("%1 %2 %3 %4")
                               .arg(panel.x())
                               .arg(panel.y())
                               .arg(panel.width())
                               .arg(panel.height())
                               .toLatin1());
            rect.close();
            EXPECT_EQ(QProcess::execute(QStringLiteral("import"),
                                        {QStringLiteral("-window"), QStringLiteral("root"), file}),
                      0);
        }
        d.done(0);
    });
    w.Open_Wnd(record, {});
}

TEST(DesignerScreen, PreviewUnderXvfb)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
        GTEST_SKIP() << "xvfb-run and ImageMagick's import are needed";
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("designer"));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CW_DESIGNER_SCREEN_OUT"), out);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"),
                {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24"),
                 QCoreApplication::applicationFilePath(), QStringLiteral("--gtest_filter=DesignerScreenChild.*")});
    ASSERT_TRUE(child.waitForFinished(kHangMilliseconds));
    const QByteArray log = child.readAll();
    ASSERT_EQ(child.exitCode(), 0) << log.toStdString();
    for (int shot = 0; shot < 2; ++shot) {
        SCOPED_TRACE(shot);
        const QString file = out + QString::number(shot) + QStringLiteral(".png");
        const QImage image(file);
        ASSERT_FALSE(image.isNull()) << log.toStdString();
        QFile rectFile(file + QStringLiteral(".rect"));
        ASSERT_TRUE(rectFile.open(QIODevice::ReadOnly));
        const QList<QByteArray> p = rectFile.readAll().split(' ');
        ASSERT_EQ(p.size(), 4);
        const QRect panel = QRect(p[0].toInt(), p[1].toInt(), p[2].toInt(), p[3].toInt()).intersected(image.rect());
        int window = 0, dark = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2) {
                const QRgb c = image.pixel(x, y) & 0xffffff;
                if (c == (qRgb(241, 244, 250) & 0xffffff))
                    ++window;
                if (panel.contains(x, y) && qGray(c) < 60)
                    ++dark;
            }
        EXPECT_GT(window, 1000);
        EXPECT_GT(dark, 50);
    }
}

TEST_F(Designer, StretchValueIsTheGraphicsOwnAndRunsDrawItAsThePreview)
{
    Open([](W& w) {
        Choose(w.barcodeTypePopup, QStringLiteral("Code 39"));
        Type_Value(w, QStringLiteral("AB"));
        w.kerning_value_Checkbox->click();
        w.ok_button->click();
    });
    EXPECT_EQ(barcode->stretch_val, 1);
    const QImage preview = barcode->_barcode_image.image();
    const auto runPicture = [this] {
        return Barcode_Picture_For_Graphic(*barcode, QStringLiteral("AB"), barcode->header_val, barcode->footer_val);
    };
    const QImage run = runPicture();
    ASSERT_FALSE(run.isNull());
    EXPECT_EQ(run.convertToFormat(QImage::Format_ARGB32), preview.convertToFormat(QImage::Format_ARGB32));
    barcode->stretch_val = 0;
    EXPECT_NE(runPicture(), run)
        << "the stretched value text differs from the plain one";

    // A barcode of its own opens unstretched; the first one keeps its value.
    barcode->stretch_val = 1;
    const GraphicPtr first = barcode;
    barcode = Place();
    Open([](W& w) { EXPECT_FALSE(w.kerning_value_Checkbox->isChecked()); });
    c->_graphicView->Set_Selected_Graphic(first);
    Open([](W& w) { EXPECT_TRUE(w.kerning_value_Checkbox->isChecked()); });

    // A barcode saved before each kept its own takes the designer's stretch
    // (now the first one's), in the designer and in runs alike.
    barcode = Place();
    barcode->stretch_val = kStretchOfDesigner;
    Open([](W& w) { EXPECT_TRUE(w.kerning_value_Checkbox->isChecked()); });
    const QImage old = runPicture();
    barcode->stretch_val = 1;
    EXPECT_EQ(old, runPicture());
    barcode->stretch_val = 0;
    EXPECT_NE(old, runPicture());
}

// Right after OK the frame is still the one the barcode had before: a QR
// Code under a 24 pt header and a long Data Matrix are larger than it, and
// both show whole on the canvas and in the 600 dpi export, where they read.
TEST_F(Designer, OkShowsTheWholeSymbolOnTheCanvasAndInTheExport)
{
    struct Case {
        const char* title;
        std::string value;
        const char* format;
        const char* header;
    };
    std::string long_value;
    for (int i = 0; long_value.size() < 1100; ++i)
        long_value += "CW-" + std::to_string(1000 + i) + ";";
    long_value.resize(1100);
    const Case cases[] = {{"QR Code", "https://example.org/card/17", "QRCode", "Header 24"},
                          {"DataMatrix", long_value, "DataMatrix", nullptr}};
    QBXGraphicView* canvas = c->_graphicView;
    QTemporaryDir dir;
    export_card_side = QStringLiteral("F");
    export_combined_image = false;
    export_file_format = QStringLiteral("PNG");
    for (const Case& k : cases) {
        SCOPED_TRACE(k.title);
        barcode->setBounds(QRectF(4, 4, 40, 20));
        barcode->header_val = QString::fromLatin1(k.header ? k.header : "");
        barcode->show_hide_hdr = k.header ? 0 : 1;
        barcode->header_font_val.setPointSizeF(24);
        barcode->dm_module_val = 1;
        Open([&](W& w) {
            Choose(w.barcodeTypePopup, QString::fromLatin1(k.title));
            Choose(w.DPI_ComboBox, QStringLiteral("600"));
            Type_Value(w, QString::fromStdString(k.value));
            w.ok_button->click();
        });
        const QRectF whole = static_cast<const QBXBarcode&>(*barcode).pictureRect();
        ASSERT_GT(whole.width(), 40);
        ASSERT_TRUE(canvas->bounds().contains(whole)) << whole.width() << " x " << whole.height();
        c->_graphicView->changeSelectionIndexes({});
        // The picture's area of an image of the card at `scale` pixels a point.
        const auto area = [&](const QImage& card, double scale) {
            return card.copy(QTransform::fromScale(scale, scale).mapRect(whole).toAlignedRect());
        };
        canvas->setZoom(3);
        settle();
        EXPECT_EQ(Decode(area(canvas->grab().toImage(), 3), k.format).text, k.value);
        canvas->setZoom(1);
        const QString path = dir.filePath(QStringLiteral("%1.png").arg(QString::fromLatin1(k.title)));
        export_dpi = 600;
        ASSERT_TRUE(c->Export_Single_File(path, false));
        EXPECT_EQ(Decode(area(QImage(path), 600.0 / 72), k.format).text, k.value);
        c->_graphicView->Set_Selected_Graphic(barcode);
    }
    export_dpi = 72;
}

// A long Data Matrix at module size 2 is taller than the card: the
// designer's OK and a single export of the card say so with its size, and
// a barcode inside the card gives no such word.
TEST_F(Designer, OkAndTheSingleExportNameABarcodePastTheCardsEdge)
{
    std::string long_value;
    for (int i = 0; long_value.size() < 1100; ++i)
        long_value += "CW-" + std::to_string(1000 + i) + ";";
    long_value.resize(1100);
    QTemporaryDir dir;
    export_card_side = QStringLiteral("F");
    export_combined_image = false;
    export_file_format = QStringLiteral("PNG");
    const QRectF card = c->_graphicView->bounds();
    for (const bool past : {true, false}) {
        SCOPED_TRACE(past);
        barcode->setBounds(QRectF(4, past ? card.height() - 100 : 4, 40, 20));
        barcode->dm_module_val = 2;
        if (past)
            testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
        Open([&](W& w) {
            Choose(w.barcodeTypePopup, QStringLiteral("DataMatrix"));
            Type_Value(w, past ? QString::fromStdString(long_value) : QStringLiteral("CW-17"));
            w.ok_button->click();
        });
        const QRectF whole = static_cast<const QBXBarcode&>(*barcode).pictureRect();
        const QString said = QStringLiteral("The Data Matrix headed \"HEADER\" is %1 x %2 mm and runs past the card's edge at the "
                                            "bottom")
                                 .arg(std::ceil(whole.width() * 25.4 / 72 - 1e-6))
                                 .arg(std::ceil(whole.height() * 25.4 / 72 - 1e-6));
        const QStringList alerts = testResponder().texts(QStringLiteral("alert"));
        EXPECT_EQ(alerts.size(), past ? 1 : 0) << alerts.join(QLatin1Char('|')).toStdString();
        if (past && !alerts.isEmpty())
            EXPECT_TRUE(alerts.first().contains(said)) << alerts.first().toStdString();
        export_dpi = 300;
        testResponder().onDialog([](QDialog& box) { box.reject(); });
        ASSERT_TRUE(c->Export_Single_File(dir.filePath(QStringLiteral("card.png")), true));
        EXPECT_EQ(Export_File_Message.get().contains(said), past) << Export_File_Message.get().toStdString();
        EXPECT_EQ(Export_File_Message.get().startsWith(QStringLiteral("Card has been exported")), true);
        testResponder().reset();
        c->_graphicView->Set_Selected_Graphic(barcode);
    }
    export_dpi = 72;
}
