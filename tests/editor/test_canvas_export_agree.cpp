// What leaves is what the canvas shows: a card exported at 72 dpi equals the
// canvas at 100 % zoom (a barcode wider than its frame, a turned picture
// spilling out of its frame, half-transparent graphics), and a barcode that
// shows whole on the canvas reads back from the 300 dpi export.
#include "support_editor.h"

#include "app/Globals.h"
#include "batch/Barcode_Binding.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXText.h"
#include "drawing/Shape_Control.h"
#include "support/test_responder.h"

#include <QFontInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<QBXBarcode> Code128(const QString& value, const QPointF& at, double frameWidth)
{
    auto b = std::make_shared<QBXBarcode>();
    b->barcode_font_index = int(Barcode_Symbology_Titles().indexOf(QStringLiteral("Code 128")));
    b->Set_Barcode_image(Barcode_Picture_For_Graphic(*b, value, QString(), QString()));
    b->barcode_image_var_assign();
    const QImage& image = b->_contents;
    const QSizeF points(image.width() * 72.0 / (image.dotsPerMeterX() * 0.0254),
                        image.height() * 72.0 / (image.dotsPerMeterY() * 0.0254));
    b->setBounds(QRectF(at, QSizeF(frameWidth > 0 ? frameWidth : points.width(), points.height())));
    return b;
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

std::wstring Decode(const QImage& image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::Code128);
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
    // picture, a Code 128 cut by its narrow frame and one shown whole.
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
    auto cut = Code128(QStringLiteral("CW-00012345678901234"), QPointF(10, 10), 50);
    auto whole = Code128(QStringLiteral("CW42"), QPointF(10, 80), 0);
    ASSERT_GT(cut->_contents.width() * 72.0 / (cut->_contents.dotsPerMeterX() * 0.0254), 80);
    GraphicList graphics{box, turned, cut, whole};
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
    // The cut barcode ends at its frame: nothing right of it (inside the
    // card border).
    EXPECT_LE(InkBounds(exported.copy(QRect(2, 2, 110, 68)), paper).right() + 2, int(cut->drawingBounds().right()) + 1);
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
    const QRectF w = whole->drawingBounds();
    EXPECT_EQ(Decode(sharp.copy(QRectF(w.x() * k, w.y() * k, w.width() * k, w.height() * k).toRect())), L"CW42");
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
