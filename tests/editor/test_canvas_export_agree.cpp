// What leaves is what the canvas shows: a card exported at 72 dpi equals the
// canvas at 100 % zoom (a barcode wider than its frame, a turned picture
// spilling out of its frame, half-transparent graphics), and barcodes, whole
// on the canvas whatever their frame, read back from the 300 dpi export. Run
// rows draw each row's barcode whole at its own size, or list the card.
#include "support_editor.h"

#include "app/Globals.h"
#include "support/bounded_wait.h"
#include "batch/Barcode_Binding.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXText.h"
#include "drawing/Shape_Control.h"
#include "support/test_responder.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

namespace {

// A barcode of the given symbology showing the value, its frame the
// picture's size or frameWidth wide when that is given.
std::shared_ptr<QBXBarcode> Framed(std::shared_ptr<QBXBarcode> b, const QString& title, const QString& value,
                                   const QPointF& at, double frameWidth = 0)
{
    b->barcode_font_index = int(Barcode_Symbology_Titles().indexOf(title));
    b->linear_or_2d = title == QLatin1String("QR Code") || title == QLatin1String("DataMatrix") ? 1 : 0;
    b->Set_Barcode_image(Barcode_Picture_For_Graphic(*b, value, QString(), QString()));
    b->setBounds(QRectF(at, QSizeF(1, 1)));
    const QSizeF points = b->pictureRect().size();
    b->setBounds(QRectF(at, QSizeF(frameWidth > 0 ? frameWidth : points.width(), points.height())));
    return b;
}

std::shared_ptr<QBXBarcode> Code128(const QString& value, const QPointF& at, double frameWidth)
{
    return Framed(std::make_shared<QBXBarcode>(), QStringLiteral("Code 128"), value, at, frameWidth);
}

// A picture over opaque paper of the colour given.
QImage OnPaper(const QImage& image, QRgb paper)
{
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(paper);
    QPainter p(&flat);
    p.drawImage(0, 0, image);
    return flat;
}

QRect InkBounds(const QImage& image, QRgb paper)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < qGray(paper) - 40)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

std::wstring Decode(const QImage& image, ZXing::BarcodeFormat format = ZXing::BarcodeFormat::Code128)
{
    const QImage grey = OnPaper(image, qRgb(255, 255, 255)).convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setTryHarder(true);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                int(grey.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    return r.isValid() ? r.text() : std::wstring();
}

} // namespace

TEST(CanvasAndExport, TheExportedCardIsTheCanvasAndItsBarcodesRead)
{
    StartedEditor editor;
    ASSERT_TRUE(editor.started);
    QBXWindowController* c = editor.controller.get();
    QBXGraphicView* canvas = c->_graphicView;
    canvas->setZoom(1.0);
    QTemporaryDir dir;
    QImage photo(120, 80, QImage::Format_RGB32);
    photo.fill(QColor(30, 90, 160));
    ASSERT_TRUE(photo.save(dir.filePath("photo.png")));

    // Index 0 on top: a half-transparent box over a turned, half-transparent
    // picture, a Code 128 wider than its narrow frame and one in a frame of
    // its own size.
    auto box = std::make_shared<Shape_Control>();
    box->setBounds(QRectF(150, 10, 60, 40));
    box->_fillColor = QColor(200, 0, 0);
    box->alpha_val = 0.5f;
    box->_isDrawingStroke = false;
    auto turned = std::make_shared<QBXImage>();
    turned->setFilePath(dir.filePath("photo.png"));
    turned->setBounds(QRectF(140, 20, 70, 40));
    turned->rotate_image = 30;
    turned->img_trnsp_val = 50;
    turned->_isDrawingStroke = false;
    auto wide = Code128(QStringLiteral("CW-0001234567"), QPointF(10, 80), 50);
    auto whole = Code128(QStringLiteral("CW42"), QPointF(10, 10), 0);
    ASSERT_GT(wide->pictureRect().width(), 80);
    GraphicList graphics{box, turned, wide, whole};
    editor.document->Enable_Disable_Undo_Registraion(false);
    canvas->insertGraphics(graphics, {0, 1, 2, 3});
    editor.document->Enable_Disable_Undo_Registraion(true);
    canvas->changeSelectionIndexes({});
    settle();

    const QImage shown = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
    export_card_side = QStringLiteral("F");
    export_combined_image = false;
    export_file_format = QStringLiteral("PNG");
    export_dpi = 72;
    const QString path = dir.filePath("card.png");
    ASSERT_TRUE(c->Export_Single_File(path, false));
    // On the paper the canvas shows where the card is not filled.
    const QRgb paper = shown.pixel(shown.width() - 2, shown.height() - 2);
    const QImage exported = OnPaper(QImage(path), paper);
    ASSERT_LE(std::abs(shown.width() - exported.width()), 1);
    ASSERT_LE(std::abs(shown.height() - exported.height()), 1);
    const QSize common = shown.size().boundedTo(exported.size());
    EXPECT_EQ(InkBounds(shown.copy(QRect(QPoint(), common)), paper),
              InkBounds(exported.copy(QRect(QPoint(), common)), paper));
    // The wide barcode is drawn whole, past its frame.
    const QRect row = wide->pictureRect().toAlignedRect();
    EXPECT_GT(InkBounds(exported.copy(QRect(2, row.top(), row.right(), row.height())), paper).right(),
              int(wide->bounds().right()) + 20);
    int differing = 0;
    for (int y = 0; y < common.height(); ++y)
        for (int x = 0; x < common.width(); ++x) {
            const QRgb a = shown.pixel(x, y), b = exported.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > 24 || std::abs(qGreen(a) - qGreen(b)) > 24
                || std::abs(qBlue(a) - qBlue(b)) > 24)
                ++differing;
        }
    EXPECT_LT(differing, common.width() * common.height() / 200) << "pixels differing beyond anti-aliasing";

    export_dpi = 300;
    const QString fine = dir.filePath("fine.png");
    ASSERT_TRUE(c->Export_Single_File(fine, false));
    const QImage sharp = OnPaper(QImage(fine), qRgb(255, 255, 255));
    const double k = 300.0 / 72.0;
    for (const auto& [barcode, value] : {std::pair{whole, L"CW42"}, std::pair{wide, L"CW-0001234567"}}) {
        const QRectF w = barcode->drawingBounds();
        EXPECT_EQ(Decode(sharp.copy(QRectF(w.x() * k, w.y() * k, w.width() * k, w.height() * k).toRect())), value);
    }
    export_dpi = 72;
}

// Rows shorter than the design's value, the design's, three times longer:
// each card's barcodes are drawn inside the design's frame and read back
// from the 300 dpi files, or, with bars too fine to read there, are listed
// with their card number in the run's end message.
TEST(CanvasAndExport, RunRowsOfEveryLengthExportWholeOrAreListed)
{
    StartedEditor editor;
    ASSERT_TRUE(editor.started);
    QBXWindowController* c = editor.controller.get();
    struct Bound {
        const char* title;
        ZXing::BarcodeFormat format;
        QPointF at;
        QStringList rows; // the design's value is row 2
    };
    const QString longest = QStringLiteral("CW-ORDER-0000012345678-CW-ORDER-0000012345678");
    const Bound bound[] = {
        {"Code 128", ZXing::BarcodeFormat::Code128, {4, 4}, {"CW-7", "CW-ORD", "CW-ORDCW-ORDCW-ORD", longest}},
        {"QR Code", ZXing::BarcodeFormat::QRCode, {4, 76},
         {"7", "https://cw.example/7", QStringLiteral("https://cw.example/7").repeated(3), "8"}},
        {"DataMatrix", ZXing::BarcodeFormat::DataMatrix, {120, 76}, {"7", "DM-0007", "DM-0007DM-0007DM-0007", "8"}},
    };
    GraphicList design;
    for (const Bound& b : bound) {
        const QString title = QString::fromLatin1(b.title);
        auto g = std::make_shared<QBXBarcode>();
        g->linear_width_val = 10; // mils: 3 pixels a module at 300 dpi
        g->qr_size_val = 50;
        g->show_hide_hdr = g->show_hide_ftr = 1;
        Framed(g, title, b.rows[1], b.at);
        g->Set_Data_source_type(1);
        g->Set_Batch_List_Name(title);
        QFile list(Data_Folder_Path + QLatin1Char('/') + title + QStringLiteral(".txt"));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write(b.rows.join(QLatin1Char('\n')).toUtf8() + "\n");
        design.push_back(g);
    }
    editor.document->Enable_Disable_Undo_Registraion(false);
    c->_graphicView->insertGraphics(design, {0, 1, 2});
    editor.document->Enable_Disable_Undo_Registraion(true);
    c->Check_Series_Or_Excel_Use_or_not();
    ASSERT_EQ(Total_Batch_Excel_Card.load(), 4);

    QTemporaryDir dir;
    export_card_side = QStringLiteral("F");
    export_combined_image = false;
    export_file_format = QStringLiteral("PNG");
    export_dpi = 300;
    testResponder().onDialog([](QDialog& box) { box.reject(); });
    c->Export_Batch_File(dir.path());
    EXPECT_TRUE(waitUntil([&] { return !c->Export_Run_Active(); }));
    testResponder().reset();
    const QStringList runs = QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(runs.size(), 1);
    for (int card = 1; card <= 3; ++card) {
        const QImage file(dir.filePath(runs[0] + QStringLiteral("/Card_%1.PNG").arg(card)));
        ASSERT_FALSE(file.isNull()) << card;
        // Each row's picture at its own size from its frame's corner, with
        // a little of the card around it.
        for (size_t i = 0; i < design.size(); ++i) {
            const Bound& b = bound[i];
            const QSizeF size = Barcode_Row_Picture_For_Graphic(*design[i], b.rows[card - 1], {}, {}).picture.size();
            const QRectF area = QTransform::fromScale(300.0 / 72, 300.0 / 72)
                                    .mapRect(QRectF(b.at, size).adjusted(-3, -3, 3, 3));
            // The longer Code 128 rows fill the frame with bars too fine to
            // read at 300 dpi: they are named below instead.
            if (i != 0 || card < 3)
                EXPECT_EQ(Decode(file.copy(area.toAlignedRect()), b.format), b.rows[card - 1].toStdWString())
                    << b.title << " card " << card;
        }
    }
    const QString message = Export_File_Message.get();
    for (const char* line : {"Card 3: the Code 128 barcode has bars of ", "Card 4: the Code 128 barcode has bars of "})
        EXPECT_TRUE(message.contains(QLatin1String(line))) << message.toStdString();
    EXPECT_EQ(message.count(QStringLiteral("runs past the card's edge")), 0) << message.toStdString();
    for (const QString& f : QDir(Data_Folder_Path).entryList(QDir::Files))
        QFile::remove(Data_Folder_Path + QLatin1Char('/') + f);
    export_dpi = 72;
}

TEST(CanvasAndExport, StoredFontNamesDrawTheFaceTheyResolveToOnCardsAndInBarcodes)
{
    StartedEditor editor;
    ASSERT_TRUE(editor.started);
    QBXGraphicView* canvas = editor->_graphicView;
    canvas->setZoom(1.0);
    auto text = std::make_shared<QBXText>();
    text->Text_contents().text = QStringLiteral("Quick brown fox 0123");
    text->setBounds(QRectF(10, 10, 220, 40));
    editor.document->Enable_Disable_Undo_Registraion(false);
    canvas->insertGraphics({text}, {0});
    editor.document->Enable_Disable_Undo_Registraion(true);
    canvas->changeSelectionIndexes({});
    const auto card = [&](const QFont& font) {
        text->text_ctrl_font = font;
        canvas->update();
        settle();
        return canvas->grab().toImage();
    };
    const auto barcode = [](const QFont& font) {
        QBXBarcode b;
        b.value_font_val = b.header_font_val = b.footer_font_val = font;
        return Barcode_Picture_For_Graphic(b, QStringLiteral("CW42"), QStringLiteral("HEAD"), QStringLiteral("FOOT"));
    };
    QFont italicSerif(QStringLiteral("Liberation Serif"), 14);
    italicSerif.setItalic(true);
    // A generic family as the font panel offers it, against the face Qt's
    // own fontconfig matching gives for it; a stored PostScript name against
    // its metric twin.
    const QString sans = QFontInfo(QFont(QStringLiteral("Sans Serif"))).family();
    const std::pair<QFont, QFont> pairs[] = {
        {QFont(QStringLiteral("Sans Serif"), 14), QFont(sans, 14)},
        {QFont(QStringLiteral("TimesNewRomanPS-ItalicMT"), 14), italicSerif},
    };
    for (const auto& [stored, face] : pairs) {
        SCOPED_TRACE(stored.family().toStdString());
        EXPECT_EQ(card(stored), card(face));
        EXPECT_EQ(barcode(stored), barcode(face));
    }
    EXPECT_NE(card(QFont(QStringLiteral("Sans Serif"), 14)), card(italicSerif));
}
