// The hatch patterns the build ships: the resource folder is seeded from the
// built share folder as the program seeds it, both Pattern lists offer every
// shipped tile, a hatch fill draws the pattern, and a chosen pattern survives
// saving and reopening the design.
#include "support_editor.h"

#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXRenderingView.h"
#include "platform/color_well.h"
#include "platform/resource_folders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList items(const QComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    out.sort();
    return out;
}

// Pixels of the front side that are not the plain white ground.
int inkedPixels(QBXWindowController& c)
{
    const QImage side = QBXRenderingView::image_From_Card_Graphics({}, false, c.Card_Render_Context(0))
                            .toImage(72)
                            .convertToFormat(QImage::Format_RGB32);
    int inked = 0;
    // The border is off; the corners of the card stay out of the count.
    for (int y = 4; y < side.height() - 4; ++y)
        for (int x = 4; x < side.width() - 4; ++x)
            inked += side.pixel(x, y) != qRgb(255, 255, 255);
    return inked;
}

} // namespace

TEST(HatchPatterns, ShippedListedDrawnAndKeptAcrossSaveAndOpen)
{
    const QString share = QStringLiteral(CARDWRIGHT_BINARY_DIR "/share/cardwright");
    QStringList shipped;
    for (const QFileInfo& f : QDir(share + QStringLiteral("/Fill_Style_Image")).entryInfoList({"*.png"}, QDir::Files))
        shipped << f.completeBaseName();
    shipped.sort();
    ASSERT_GE(shipped.size(), 6) << "the build ships the hatch tiles";
    ASSERT_TRUE(platform::prepareResourceFolder(qEnvironmentVariable("CARDWRIGHT_RESOURCE_DIR"), share));

    StartedEditor e;
    ASSERT_TRUE(e.started);
    EXPECT_EQ(items(e->Card_hatch_style), shipped);
    EXPECT_EQ(items(e->shape_hatch_style), shipped);

    // The card filled white, plainly and then with each hatch over white.
    Card_Property& front = e->Front_card_Prop;
    front.Card_border_chk = false;
    front.Card_fill_chk = true;
    front.Card_fill_clr = Qt::white;
    front.Card_hatch_bk_clr = Qt::white;
    front.Card_fill_style = QStringLiteral("S");
    ASSERT_EQ(inkedPixels(*e.controller), 0);
    front.Card_fill_style = QStringLiteral("H");
    for (const QString& name : shipped) {
        front.Card_hatch_style = name;
        EXPECT_GT(inkedPixels(*e.controller), 50) << name.toStdString();
    }

    // A pattern chosen in the card panel and one given to a rectangle.
    const QString cardPattern = shipped.at(2), shapePattern = shipped.at(4);
    e->Card_fill_chk->setChecked(true);
    e->Card_Style_fill_rd->setChecked(true);
    e->Card_hatch_style->setCurrentIndex(e->Card_hatch_style->findText(cardPattern));
    e->Update_Card_Graphics();
    e->Rect_Tool_Clicked(nullptr);
    const GraphicPtr rect = e.document->graphics().front();
    rect->_fill_type = QStringLiteral("H");
    rect->_fill_hatch_type = shapePattern;

    QTemporaryDir dir;
    Project_File_Name = dir.filePath(QStringLiteral("hatch.dcard"));
    ASSERT_TRUE(e->Save_project_file(false, false));
    const QString saved = Project_File_Name;
    e->Card_hatch_style->setCurrentIndex(0);
    e->Update_Card_Graphics();
    ASSERT_EQ(e->Read_and_load_design_Log(saved, QStringLiteral("L")), 1);
    EXPECT_EQ(e->Front_card_Prop.Card_hatch_style, cardPattern);
    EXPECT_EQ(e->Card_hatch_style->currentText(), cardPattern);
    ASSERT_EQ(e.document->graphics().size(), 1u);
    const GraphicPtr reopened = e.document->graphics().front();
    e->Show_RHS_Properties(reopened);
    EXPECT_EQ(e->shape_hatch_style->currentText(), shapePattern);
}
