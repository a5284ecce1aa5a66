// The picture, signature and barcode panels on the started window: what
// reaches the selected graphics, what stays each graphic's own, Reset, and
// the refusal of files that give no picture.
#include "support_editor.h"

#include "app/Globals.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"
#include "platform/color_well.h"
#include "platform/double_slider.h"
#include "platform/stepper.h"
#include "support/hostile_bytes.h"
#include "support/test_responder.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QBuffer>
#include <gtest/gtest.h>

namespace {

struct PicturePanels : ::testing::Test {
    StartedEditor editor;
    QBXWindowController* c = nullptr;
    QBXGraphicView* canvas = nullptr;
    QTemporaryDir dir;

    void SetUp() override
    {
        ASSERT_TRUE(editor.started);
        c = editor.controller.get();
        canvas = c->_graphicView;
        testResponder().reset();
    }
    void TearDown() override
    {
        Barcode_output_image = PointPicture();
        EXPECT_TRUE(testResponder().reset()) << "a scripted answer was left unused";
    }
    GraphicPtr place(const QString& cls, const QString& path = {})
    {
        GraphicPtr g = QBXGraphic::graphicOfClass(cls);
        g->setBounds(QRectF(20, 20, 80, 40));
        g->_file_path = path;
        editor.document->Enable_Disable_Undo_Registraion(false);
        canvas->insertGraphics({g}, {int(canvas->graphics().size())});
        editor.document->Enable_Disable_Undo_Registraion(true);
        return g;
    }
    // Selects as a click does: the first one is the shown graphic.
    void select(const GraphicList& graphics)
    {
        platform::IndexSet set;
        const GraphicList list = canvas->graphics();
        for (const GraphicPtr& g : graphics)
            set.insert(int(std::find(list.begin(), list.end(), g) - list.begin()));
        canvas->changeSelectionIndexes(set);
        canvas->Set_Selected_Graphic(graphics.front());
        c->Show_RHS_Properties(graphics.front());
    }
    static void slide(platform::DoubleSlider* slider, double value)
    {
        slider->setValue(value);
        emit slider->valueEdited(value);
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QString writePicture(const QString& name, const char* format = "PNG")
    {
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        EXPECT_TRUE(picture.save(dir.filePath(name), format));
        return dir.filePath(name);
    }
};

class ImagePanel : public PicturePanels {};
class SignBarcodePanel : public PicturePanels {};

} // namespace

TEST_F(ImagePanel, ControlsReachEverySelectedUnlockedPictureButNotItsFile)
{
    const GraphicPtr a = place(QStringLiteral("QBXImage"), QStringLiteral("/pictures/a.png"));
    const GraphicPtr b = place(QStringLiteral("QBXImage"), QStringLiteral("/pictures/b.png"));
    const GraphicPtr locked = place(QStringLiteral("QBXImage"), QStringLiteral("/pictures/c.png"));
    locked->ctrl_is_locked = true;
    select({a, b, locked});
    EXPECT_EQ(c->Manual_image_path->text(), QStringLiteral("/pictures/a.png"));
    EXPECT_TRUE(c->Manual_image_path->isReadOnly());

    slide(c->Hue_slidr, 0.3749);
    EXPECT_EQ(c->Hue_slidr_val->text(), QStringLiteral("0.3749"));
    slide(c->Sat_slidr, 1.5);
    c->Image_Sepia_chk->click();
    for (const GraphicPtr& g : {a, b}) {
        EXPECT_FLOAT_EQ(g->hue_val, 0.3749f) << "another slider's move keeps the hue exact";
        EXPECT_FLOAT_EQ(g->sat_val, 1.5f);
        EXPECT_TRUE(g->Sepia);
    }
    EXPECT_EQ(b->_file_path, QStringLiteral("/pictures/b.png")) << "the path is the shown picture's alone";
    EXPECT_FLOAT_EQ(locked->hue_val, 0.0f);
    EXPECT_FALSE(locked->Sepia);

    // Border off keeps each graphic's colour and width.
    b->_strokeColor = Qt::green;
    b->_strokeWidth = 4;
    if (c->Image_border_chk->isChecked())
        c->Image_border_chk->click();
    EXPECT_FALSE(b->_isDrawingStroke);
    EXPECT_EQ(b->_strokeColor, QColor(Qt::green));
    EXPECT_EQ(b->_strokeWidth, 4.0);
    EXPECT_EQ(editor.document->undoManager()->undoCount(), 0);
}

TEST_F(ImagePanel, ResetAsksAndANewPictureResetsOnlyTheControls)
{
    const GraphicPtr a = place(QStringLiteral("QBXImage"));
    a->Sepia = true;
    a->blr_val = 5;
    a->_isDrawingStroke = true;
    a->print_object = 1;
    select({a});
    testResponder().answerAlert(platform::modal::AlertAnswer::No);
    c->Image_reset_Button(nullptr);
    EXPECT_TRUE(a->Sepia);

    testResponder().answerAlert(platform::modal::AlertAnswer::Yes);
    c->Image_reset_Button(nullptr);
    EXPECT_EQ(testResponder().texts(QStringLiteral("yesno")).last(), QStringLiteral("Are you sure you want to continue?"));
    EXPECT_FALSE(a->Sepia);
    EXPECT_FLOAT_EQ(a->blr_val, 0.0f);
    EXPECT_FLOAT_EQ(a->img_trnsp_val, 100.0f);
    EXPECT_FLOAT_EQ(a->con_val, 1.0f);
    EXPECT_TRUE(a->_isDrawingStroke);
    EXPECT_EQ(a->print_object, 1);

    // The panel shows a sepia picture; a new picture resets the controls
    // without touching it.
    a->Sepia = true;
    a->blr_val = 3;
    c->Reload_Shown_Graphic();
    ASSERT_TRUE(c->Image_Sepia_chk->isChecked());
    canvas->createGraphicOfClass(QStringLiteral("QBXImage"), std::nullopt, true, QRectF(0, 0, 40, 40),
                                 QStringLiteral("F"), QString(), QString());
    EXPECT_FALSE(c->Image_Sepia_chk->isChecked());
    EXPECT_DOUBLE_EQ(c->blr_slidr->value(), 0.0);
    EXPECT_TRUE(a->Sepia);
    EXPECT_FLOAT_EQ(a->blr_val, 3.0f);
}

TEST_F(ImagePanel, FilesThatGiveNoPictureAreRefused)
{
    const GraphicPtr a = place(QStringLiteral("QBXImage"), QStringLiteral("/pictures/a.png"));
    select({a});
    // Each refusal says why, on screen.
    const QString message = QStringLiteral("\nThis file cannot be used as a picture:\n%1\n\n%2");
    const std::pair<QString, QString> refused[] = {
        {writeFile(QStringLiteral("empty.jpg"), QByteArray()), QStringLiteral("It is not a picture.")},
        {writeFile(QStringLiteral("text.png"), "not a picture at all"), QStringLiteral("It is not a picture.")},
        {writeFile(QStringLiteral("cut.jpg"), QByteArray("\xFF\xD8\xFF\xE0", 4)),
         QStringLiteral("Its JPEG header is damaged")},
        {writeFile(QStringLiteral("frames.png"), hostile::mngPicture(640, 480)),
         QStringLiteral("It is a MNG picture; PNG, JPEG, GIF, BMP")},
        {writeFile(QStringLiteral("huge.png"), hostile::blackPng(20000, 20000)),
         QStringLiteral("It is a PNG picture of 20000 x 20000 pixels, more than can be read.")}};
    for (const auto& [bad, why] : refused) {
        testResponder().answerFilePanel({bad});
        testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
        c->Manual_Image_Browse_Btn(nullptr);
        EXPECT_TRUE(testResponder().texts(QStringLiteral("alert")).last().startsWith(message.arg(bad, why)))
            << testResponder().texts(QStringLiteral("alert")).last().toStdString();
        EXPECT_EQ(a->_file_path, QStringLiteral("/pictures/a.png"));
        EXPECT_EQ(c->Manual_image_path->text(), QStringLiteral("/pictures/a.png"));
    }

    // The picture tool asks for its file first: a bad one makes no graphic.
    const size_t count = canvas->graphics().size();
    testResponder().answerFilePanel({writeFile(QStringLiteral("bad.gif"), "GIF89a")});
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    c->Image_Tool_Clicked(nullptr);
    EXPECT_EQ(canvas->graphics().size(), count);
    c->Arrow_Tool_Clicked(nullptr);

    const QString good = writePicture(QStringLiteral("good.JPG"), "JPG");
    select({a});
    testResponder().answerFilePanel({good});
    c->Manual_Image_Browse_Btn(nullptr);
    EXPECT_EQ(a->_file_path, good);

    // A 48-megapixel photo is taken silently in a frame that needs fewer of
    // its pixels, and named in one that needs more than are decoded.
    const QString photo = writeFile(QStringLiteral("photo.png"), hostile::blackPng(8000, 6000));
    testResponder().reset();
    for (const double width : {100.0, 700.0}) {
        a->setBounds(QRectF(0, 0, width, width * 0.75));
        testResponder().answerFilePanel({photo});
        if (width > 100)
            testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
        c->Manual_Image_Browse_Btn(nullptr);
        EXPECT_EQ(a->_file_path, photo);
    }
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\nThe picture %1 (8000 x 6000 pixels) is drawn with at most 16 million "
                                         "pixels, fewer than its frame needs at 600 dpi.")
                              .arg(photo)});

    // A photo cut short is placed showing what could be read, and says so.
    const QByteArray jpeg = hostile::noiseJpeg();
    ASSERT_FALSE(jpeg.isEmpty());
    const QString cut = writeFile(QStringLiteral("cut_short.jpg"), jpeg.left(jpeg.size() / 2));
    testResponder().reset();
    testResponder().answerFilePanel({cut});
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    c->Manual_Image_Browse_Btn(nullptr);
    EXPECT_EQ(a->_file_path, cut);
    const QStringList said = testResponder().texts(QStringLiteral("alert"));
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].startsWith(QStringLiteral("\nThe picture %1 is shown only in part: ").arg(cut)))
        << said[0].toStdString();
}

TEST_F(SignBarcodePanel, SignatureKeepsItsOwnFileAndTakesCapitalPng)
{
    const GraphicPtr s1 = place(QStringLiteral("QBXSignature"), QStringLiteral("/sign/one.png"));
    const GraphicPtr s2 = place(QStringLiteral("QBXSignature"), QStringLiteral("/sign/two.png"));
    select({s1, s2});
    EXPECT_EQ(c->Sign_image_path->text(), QStringLiteral("/sign/one.png"));
    c->Sign_bor_Stepper->setValue(2);
    c->Sign_bor_Stepper->stepBy(3);
    EXPECT_EQ(s1->_file_path, QStringLiteral("/sign/one.png"));
    EXPECT_EQ(s2->_file_path, QStringLiteral("/sign/two.png"));
    EXPECT_EQ(s2->_strokeWidth, 5.0);

    const QString capital = writePicture(QStringLiteral("x.PNG"));
    testResponder().answerFilePanel({capital});
    c->Sign_Browse_Btn(nullptr);
    EXPECT_EQ(s1->_file_path, capital);
    EXPECT_EQ(s2->_file_path, QStringLiteral("/sign/two.png"));

    // A signature file that is no picture changes nothing.
    testResponder().answerFilePanel({writeFile(QStringLiteral("y.png"), "text")});
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    c->Sign_Browse_Btn(nullptr);
    EXPECT_EQ(s1->_file_path, capital);
}

TEST_F(SignBarcodePanel, BarcodeSettingsAndPictureReachEverySelectedBarcode)
{
    const GraphicPtr source = place(QStringLiteral("QBXBarcode"));
    const GraphicPtr other = place(QStringLiteral("QBXBarcode"));
    const GraphicPtr text = place(QStringLiteral("QBXText"));
    source->linear_or_2d = 1;
    source->header_val = QStringLiteral("Top");
    source->qr_ec_index = 3;
    source->barcode_clr_val = Qt::darkBlue;
    source->dpi_custom_val = QStringLiteral("300");
    source->barcode_unit_val = 2;
    source->data_source_type = 1;
    other->batch_list_name = QStringLiteral("kept");
    select({source, other, text});

    // No picture, or no source: nothing changes.
    c->Update_Barcode_Graphics(source);
    EXPECT_EQ(other->linear_or_2d, 0);
    QImage raster(20, 20, QImage::Format_RGB32);
    raster.fill(Qt::black);
    Barcode_output_image = PointPicture::fromImage(raster, QSizeF(20, 20));
    c->Update_Barcode_Graphics(nullptr);
    EXPECT_EQ(other->linear_or_2d, 0);

    c->Update_Barcode_Graphics(source);
    for (const GraphicPtr& g : {other, text}) {
        EXPECT_EQ(g->linear_or_2d, 1);
        EXPECT_EQ(g->header_val, QStringLiteral("Top"));
        EXPECT_EQ(g->qr_ec_index, 3);
        EXPECT_EQ(g->barcode_clr_val, QColor(Qt::darkBlue));
        EXPECT_EQ(g->dpi_custom_val, QStringLiteral("300"));
        EXPECT_EQ(g->barcode_unit_val, 1) << "the unit stays the graphic's";
        EXPECT_EQ(g->data_source_type, 0) << "the binding stays the graphic's";
    }
    EXPECT_EQ(other->batch_list_name, QStringLiteral("kept"));
    EXPECT_FALSE(source->_barcode_image.isNull());
    EXPECT_FALSE(other->_barcode_image.isNull()) << "every selected barcode prints the new symbol";
    EXPECT_TRUE(text->_barcode_image.isNull());
    EXPECT_EQ(source->barcode_unit_val, 2);
}
