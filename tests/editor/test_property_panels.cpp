// The property panel on the started window: which tabs each graphic gets,
// the shape, line and text write-backs, and the data-source and card combos.
#include "support/bounded_wait.h"
#include "support_editor.h"

#include "app/Globals.h"
#include "barcode/BarcodeGlobals.h"
#include "batch/Binding_Table_Model.h"
#include "batch/SpreadsheetWriter.h"
#include "drawing/QBXGraphicView.h"
#include "platform/color_well.h"
#include "platform/stepper.h"
#include "platform/tab_item.h"
#include "support/test_responder.h"
#include "wizards/Insert_Template.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <set>

namespace {

struct Panel : ::testing::Test {
    StartedEditor editor;
    QBXWindowController* c = nullptr;
    QBXGraphicView* canvas = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(editor.started);
        c = editor.controller.get();
        canvas = c->_graphicView;
        testResponder().reset();
    }
    void TearDown() override
    {
        Card_Front_Or_Back = 0;
        for (const QString& f : QDir(Data_Folder_Path).entryList(QDir::Files))
            QFile::remove(Data_Folder_Path + QLatin1Char('/') + f);
        EXPECT_TRUE(testResponder().reset()) << "a scripted answer was left unused";
    }

    static GraphicPtr make(const QString& cls, const QString& shape = QStringLiteral("R"))
    {
        GraphicPtr g = QBXGraphic::graphicOfClass(cls);
        g->setBounds(QRectF(20, 20, 80, 50));
        g->Set_Shape_Type(shape);
        return g;
    }
    // Puts graphics on a canvas without an undo step.
    void place(const GraphicList& graphics, QBXGraphicView* on = nullptr)
    {
        on = on ? on : canvas;
        std::vector<int> at;
        for (size_t i = 0; i < graphics.size(); ++i)
            at.push_back(int(on->graphics().size() + i));
        editor.document->Enable_Disable_Undo_Registraion(false);
        on->insertGraphics(graphics, at);
        editor.document->Enable_Disable_Undo_Registraion(true);
    }
    // Selects graphics as a click does: the selection, the current graphic,
    // then the panel.
    void select(const GraphicList& graphics, QBXGraphicView* on = nullptr)
    {
        on = on ? on : canvas;
        platform::IndexSet set;
        const GraphicList list = on->graphics();
        for (const GraphicPtr& g : graphics)
            set.insert(int(std::find(list.begin(), list.end(), g) - list.begin()));
        on->changeSelectionIndexes(set);
        on->Set_Selected_Graphic(graphics.front());
        c->Show_RHS_Properties(graphics.front());
    }
    QStringList tabs() const
    {
        QStringList labels;
        for (int i = 0; i < c->sett_tab->count(); ++i)
            labels << c->sett_tab->tabText(i);
        return labels;
    }
    static void type(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    static void choose(QComboBox* combo, const QString& item)
    {
        const int at = combo->findText(item);
        ASSERT_GE(at, 0) << item.toStdString();
        combo->setCurrentIndex(at);
        emit combo->activated(at);
    }
    void writeSeries(const QString& name, const QByteArray& lines)
    {
        QDir().mkpath(Data_Folder_Path);
        QFile f(Data_Folder_Path + QLatin1Char('/') + name + QStringLiteral(".txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(lines);
    }
    QColor pixelAt(const QPointF& point)
    {
        settle();
        return canvas->grab().toImage().pixelColor((point * canvas->zoom()).toPoint());
    }
};

class PanelHost : public Panel {};
class ShapeLinePanel : public Panel {};
class TextPanel : public Panel {};
class ComboHandler : public Panel {};

} // namespace

// ---------------------------------------------------------------- the host

TEST_F(PanelHost, EveryKindGetsItsTabsLabelsAndButtons)
{
    struct Kind {
        QString cls, shape, sign, tabs, locked, name;
    };
    const std::vector<Kind> kinds{
        {"Shape_Control", "R", "", "Rectangle Properties|Alignment", "Rectangle Properties", "NONE"},
        {"Shape_Control", "C", "", "Ellipse Properties|Alignment", "Ellipse Properties", "NONE"},
        {"Shape_Control", "RR", "", "Rounded Rectangle Properties|Alignment", "Rounded Rectangle Properties", "NONE"},
        {"Shape_Control", "T", "", "Triangle Properties|Alignment", "Triangle Properties", "NONE"},
        {"Shape_Control", "D", "", "Diamond Properties|Alignment", "Diamond Properties", "NONE"},
        {"Shape_Control", "S", "", "Star Properties|Alignment", "Star Properties", "NONE"},
        {"Shape_Control", "DS", "", "Double Star Properties|Alignment", "Double Star Properties", "NONE"},
        {"Shape_Control", "P", "", "Polygon Properties|Alignment", "Polygon Properties", "NONE"},
        {"QBXLine", "R", "", "Line Properties|Alignment", "Line Properties", "NONE"},
        {"QBXText", "R", "", "Text|Text Properties|Text Source|Alignment", "Text Properties", "T"},
        {"QBXImage", "R", "", "Image Source|Image Properties|Alignment", "Image Properties", "I"},
        {"QBXSignature", "R", "S", "Signature Properties|Alignment", "Signature Properties", "S"},
        {"QBXSignature", "R", "F", "FingrePrint Properties|Alignment", "Signature Properties", "F"},
        {"QBXBarcode", "R", "", "Barcode Properties|Alignment", "Barcode Properties", "NONE"}};
    for (const bool locked : {false, true}) {
        for (const Kind& k : kinds) {
            SCOPED_TRACE((k.cls + " " + k.shape + k.sign + (locked ? " locked" : "")).toStdString());
            GraphicPtr g = make(k.cls, k.shape);
            if (!k.sign.isEmpty())
                g->Set_Sign_Or_FP(k.sign);
            g->ctrl_is_locked = locked;
            place({g});
            select({g});
            EXPECT_EQ(tabs().join('|'), locked ? k.locked : k.tabs);
            EXPECT_EQ(c->sett_tab->currentIndex(), 0);
            EXPECT_EQ(c->sel_control_name->text(), k.name);
            EXPECT_EQ(c->Unlock_btn->isEnabled(), locked);
            EXPECT_EQ(c->Lock_btn->isEnabled(), !locked);
            EXPECT_EQ(c->Delete_btn->isEnabled(), !locked);
            if (k.cls == "Shape_Control") {
                EXPECT_EQ(c->Shape_prop_title->text(), k.locked);
                EXPECT_EQ(!c->shape_cor_radius_Stepper->isHidden(), !locked && k.shape == "RR");
                EXPECT_EQ(!c->double_star_Stepper->isHidden(), !locked && k.shape == "DS");
                EXPECT_EQ(!c->polygon_Stepper->isHidden(), !locked && k.shape == "P");
            }
            if (k.cls == "QBXImage" || k.cls == "QBXText") {
                EXPECT_EQ(!c->manual_brws_box->isHidden(), k.cls == "QBXImage");
            }
        }
    }
    // The template button follows the wizard's title and message texts.
    for (const auto& [id, title] : {std::pair<QString, QString>{"PARTY_TITLE", "Use Template Title"},
                                    {"PARTY_MSG", "Use Template Message"}, {"OTHER", ""}}) {
        GraphicPtr t = make("QBXText");
        t->control_ID = id;
        place({t});
        select({t});
        EXPECT_EQ(!c->insert_template_btn->isHidden(), !title.isEmpty());
        if (!title.isEmpty()) {
            EXPECT_EQ(c->insert_template_btn->text(), title);
        }
    }
    // No selection: the card's three tabs and the card button set.
    c->Show_RHS_Properties(nullptr);
    EXPECT_EQ(tabs(), (QStringList{"Card", "Background", "Border"}));
    EXPECT_FALSE(c->Lock_btn->isEnabled());
    EXPECT_TRUE(canvas->selectedGraphics().empty());
}

TEST_F(PanelHost, LoadShowsTheFieldsAndChangesNothing)
{
    GraphicPtr g = make("Shape_Control");
    g->_strokeWidth = 2.9;
    g->alpha_val = 0.35f;
    g->_fill_type = "H";
    g->_fill_hatch_type = "";
    GraphicPtr fresh = make("Shape_Control");
    place({g, fresh});
    const QByteArray before = QBXGraphic::archivedDataWithGraphic(*g);
    select({g});
    EXPECT_EQ(c->shape_bor_Stepper->intValue(), 2);
    EXPECT_EQ(c->shape_bor_Text->text(), "2");
    EXPECT_EQ(c->shape_alpha_Text->text(), "35");
    EXPECT_EQ(c->shape_hatch_style->currentIndex(), -1);
    EXPECT_TRUE(c->Shape_Style_fill_rd->isChecked());
    EXPECT_TRUE(c->shape_hatch_style->isEnabled());
    EXPECT_FALSE(c->shape_fill_clr->isEnabled());
    EXPECT_EQ(QBXGraphic::archivedDataWithGraphic(*g), before);
    EXPECT_EQ(editor.document->undoManager()->undoCount(), 0);

    // The same graphic again rebuilds nothing.
    c->shape_alpha_Text->setText("77");
    c->Show_RHS_Properties(g);
    EXPECT_EQ(c->shape_alpha_Text->text(), "77");

    // A new graphic's opacity 100.0 shows 100 and is stored back as 1.0.
    select({fresh});
    EXPECT_EQ(c->shape_alpha_Text->text(), "100");
    c->Shape_Alpha_Changed(c->shape_alpha_Text);
    EXPECT_FLOAT_EQ(fresh->alpha_val, 1.0f);
}

TEST_F(PanelHost, ReloadsAfterUndoAndLeavesARemovedGraphic)
{
    GraphicPtr g = make("Shape_Control");
    g->_fillColor = Qt::red;
    place({g});
    g->setFillColor(Qt::blue); // an undoable change made elsewhere
    editor.document->undoManager()->closeEventGroup();
    select({g});
    c->Undo_Clicked(c->Undo_btn);
    EXPECT_EQ(rgbColor(g->_fillColor), rgbColor(Qt::red));
    // The next write-back keeps the undone colour.
    c->Shape_Alpha_Changed(c->shape_alpha_Text);
    EXPECT_EQ(rgbColor(g->_fillColor), rgbColor(Qt::red));

    // A graphic taken away by undo leaves the card panel.
    canvas->changeSelectionIndexes({});
    canvas->insertGraphics({make("QBXLine")}, {0});
    editor.document->undoManager()->closeEventGroup();
    GraphicPtr line = canvas->graphics().front();
    select({line});
    c->Undo_Clicked(c->Undo_btn);
    EXPECT_EQ(tabs(), (QStringList{"Card", "Background", "Border"}));
}

// ---------------------------------------------------------------- shape and line

TEST_F(ShapeLinePanel, ControlsWriteEverySelectedUnlockedGraphic)
{
    GraphicPtr a = make("Shape_Control");
    GraphicPtr b = make("Shape_Control", "C");
    b->setBounds(QRectF(120, 20, 60, 60));
    GraphicPtr t = make("QBXText");
    t->setBounds(QRectF(20, 90, 60, 30));
    GraphicPtr locked = make("Shape_Control");
    locked->setBounds(QRectF(190, 90, 40, 40));
    locked->ctrl_is_locked = true;
    place({a, b, t, locked});
    select({a, b, t, locked});
    ASSERT_EQ(tabs().first(), "Rectangle Properties");

    testResponder().answerColor(QColor(Qt::green));
    QTest::mouseClick(c->shape_fill_clr, Qt::LeftButton);
    for (const GraphicPtr& g : {a, b, t})
        EXPECT_EQ(rgbColor(g->_fillColor), rgbColor(Qt::green));
    EXPECT_EQ(rgbColor(locked->_fillColor), rgbColor(Qt::white)) << "locked graphics keep their look";
    EXPECT_EQ(locked->print_object, 0);
    EXPECT_EQ(pixelAt(QPointF(60, 45)), QColor(Qt::green));

    type(c->shape_alpha_Text, "35");
    EXPECT_FLOAT_EQ(b->alpha_val, 0.35f);
    c->shape_bor_Stepper->stepBy(3);
    EXPECT_EQ(c->shape_bor_Text->text(), "4");
    EXPECT_EQ(a->_strokeWidth, 4.0);

    // Border off keeps colour and width; fill off stores "S" whatever radio.
    c->Shape_border_chk->click();
    EXPECT_FALSE(c->Shape_Border_Box->isEnabled());
    EXPECT_FALSE(a->_isDrawingStroke);
    EXPECT_EQ(a->_strokeWidth, 4.0);
    c->Shape_gradient_fill_rd->click();
    EXPECT_EQ(a->_fill_type, "G");
    c->Shape_fill_chk->click();
    EXPECT_EQ(a->_fill_type, "S");
    EXPECT_FALSE(a->_isDrawingFill);
    EXPECT_EQ(rgbColor(a->_fillColor), rgbColor(Qt::green));
    EXPECT_EQ(editor.document->undoManager()->undoCount(), 0) << "panel edits leave no undo step";

    // Nothing selected: nothing written.
    canvas->changeSelectionIndexes({});
    c->shape_alpha_Stepper->stepBy(1);
    EXPECT_FLOAT_EQ(b->alpha_val, 0.35f);
}

TEST_F(ShapeLinePanel, LineStoresStrokeOpacityAndCap)
{
    GraphicPtr line = make("QBXLine");
    line->_isDrawingStroke = false;
    line->_line_cap_style = 2;
    place({line});
    select({line});
    c->Line_cap_style->setCurrentIndex(-1);
    type(c->Line_alpha_Text, "35");
    EXPECT_FLOAT_EQ(line->alpha_val_stroke, 0.35f);
    EXPECT_FLOAT_EQ(line->alpha_val, 100.0f);
    EXPECT_EQ(line->_line_cap_style, 0);
    EXPECT_TRUE(line->_isDrawingStroke);
    choose(c->Line_border_style, "Dot");
    EXPECT_EQ(line->_stroke_border_type, "DO");
}

// ---------------------------------------------------------------- text

TEST_F(TextPanel, TypingPlaceholderAndLength)
{
    GraphicPtr t = make("QBXText");
    place({t});
    select({t});
    QPlainTextEdit* view = c->Text_value_Edit;
    EXPECT_EQ(view->textCursor().selectedText(), "Text here");
    QTest::keyClicks(view, "Hi");
    EXPECT_EQ(t->Text_contents().text, "Hi");
    QTest::keyClicks(view, " Text here!");
    EXPECT_EQ(view->toPlainText(), "Hi !");
    EXPECT_EQ(t->Text_contents().text, "Hi !");

    view->selectAll();
    view->insertPlainText(QString(300, QLatin1Char('x')));
    EXPECT_EQ(view->toPlainText().size(), 250);
    EXPECT_EQ(t->Text_contents().text.size(), 250);
    view->selectAll();
    view->insertPlainText(QString(249, QLatin1Char('y')) + QString::fromUtf8("😀z"));
    EXPECT_EQ(t->Text_contents().text, QString(249, QLatin1Char('y'))) << "no half surrogate pair";

    // Two selected: the style reaches both, the texts stay.
    GraphicPtr other = make("QBXText");
    other->Text_contents().text = "Other";
    place({other});
    select({t, other});
    testResponder().answerColor(QColor(Qt::red));
    QTest::mouseClick(c->Text_clr, Qt::LeftButton);
    EXPECT_EQ(rgbColor(other->txt_clr), rgbColor(Qt::red));
    EXPECT_EQ(other->Text_contents().text, "Other");
    EXPECT_EQ(t->Text_contents().text, QString(249, QLatin1Char('y')));
}

TEST_F(TextPanel, DateFontTemplateAndAlignment)
{
    GraphicPtr t = make("QBXText");
    t->control_ID = "PARTY_TITLE";
    t->Text_contents().text = "On X!";
    place({t});
    select({t});
    QBXWindowController::panelClock() = [] { return QDateTime(QDate(2024, 3, 7), QTime(9, 5, 0)); };
    QPlainTextEdit* view = c->Text_value_Edit;
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
    c->Text_Date_style->setCurrentIndex(c->Text_Date_style->findText("yyyy-MM-dd"));
    c->Text_Insert_Date_btn->click();
    EXPECT_EQ(t->Text_contents().text, "On 2024-03-07!");
    cursor.setPosition(0);
    view->setTextCursor(cursor);
    c->Text_Time_style->setCurrentIndex(c->Text_Time_style->findText("HH:mm:ss"));
    c->Text_Insert_Time_btn->click();
    EXPECT_EQ(t->Text_contents().text, "09:05:00On 2024-03-07!");
    QBXWindowController::panelClock() = [] { return QDateTime::currentDateTime(); };
    c->Text_Date_style->setCurrentIndex(-1);
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    c->Text_Insert_Date_btn->click();
    EXPECT_EQ(testResponder().texts("alert"), QStringList{"\nPlease select Date format."});

    // The font panel: the tab is written on opening, even when cancelled.
    c->Text_clr->setColor(Qt::blue);
    testResponder().answerFont(std::nullopt);
    c->Text_font_btn->click();
    EXPECT_EQ(rgbColor(t->txt_clr), rgbColor(Qt::blue));
    QFont chosen("DejaVu Sans");
    chosen.setPointSizeF(14);
    chosen.setUnderline(true);
    testResponder().answerFont(chosen);
    c->Text_font_btn->click();
    EXPECT_TRUE(c->Text_font_value->text().endsWith(" ( 14.00 )")) << c->Text_font_value->text().toStdString();
    EXPECT_EQ(t->text_ctrl_font.pointSizeF(), 14.0);
    EXPECT_FALSE(t->text_ctrl_font.underline());

    // The template: Cancel changes nothing, OK puts the chosen title in.
    Insert_Template* dialog = Insert_Template::defaultInstance();
    testResponder().onDialog([dialog](QDialog&) { dialog->cancel_btn->click(); });
    c->insert_template_btn->click();
    EXPECT_EQ(t->Text_contents().text, "09:05:00On 2024-03-07!");
    testResponder().onDialog([dialog](QDialog&) {
        dialog->msg_value->setText("Welcome");
        dialog->ok_btn->click();
    });
    c->insert_template_btn->click();
    EXPECT_EQ(dialog->title_or_msg, "T");
    EXPECT_EQ(t->Text_contents().text, "Welcome");

    // "Center" centres (stored code 2); "Right" is code 1.
    choose(c->Text_align_combo, "Center");
    EXPECT_EQ(t->text_alignmnet, 2);
    choose(c->Text_align_combo, "Right");
    EXPECT_EQ(t->text_alignmnet, 1);
}

// ---------------------------------------------------------------- combos

TEST_F(ComboHandler, BindsTextPictureSignatureAndBarcodeToASeries)
{
    // No series yet: the message, and the combo goes back to the stored source.
    GraphicPtr t = make("QBXText");
    t->Text_contents().text = "mine";
    place({t});
    select({t});
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    choose(c->Data_source_type, "Series");
    EXPECT_EQ(c->Data_source_type->currentText(), "Manual");
    EXPECT_FALSE(c->Text_value_Edit->isReadOnly());
    EXPECT_EQ(t->data_source_type, 0);

    QTemporaryDir pictures;
    const QString png = pictures.filePath("one.png");
    QImage tiny(4, 4, QImage::Format_RGB32);
    tiny.fill(Qt::red);
    ASSERT_TRUE(tiny.save(png));
    writeSeries("Names", "Ann\nBob\n");
    writeSeries("Pictures", (png + "\n").toUtf8());
    choose(c->Data_source_type, "Series");
    EXPECT_TRUE(c->Text_value_Edit->isReadOnly());
    EXPECT_FALSE(c->insert_template_btn->isEnabled());
    choose(c->Batch_Series, "Names");
    EXPECT_EQ(t->batch_list_name, "Names");
    EXPECT_EQ(t->Text_contents().text, "Ann");
    EXPECT_EQ(c->Text_value_Edit->toPlainText(), "Ann");

    // Selecting the bound text again reads line 1 again.
    t->Text_contents().text = "stale";
    c->Show_RHS_Properties(nullptr);
    select({t});
    EXPECT_EQ(t->Text_contents().text, "Ann");
    EXPECT_EQ(c->Batch_Series->currentText(), "Names");

    // Back to Manual: the text and the series name stay, editable again.
    choose(c->Data_source_type, "Manual");
    EXPECT_EQ(t->data_source_type, 0);
    EXPECT_EQ(t->batch_list_name, "Names");
    EXPECT_EQ(t->Text_contents().text, "Ann");
    EXPECT_FALSE(c->Text_value_Edit->isReadOnly());

    // A picture takes the file named by the first line.
    GraphicPtr picture = make("QBXImage");
    place({picture});
    select({picture});
    choose(c->Data_source_type, "Series");
    choose(c->Batch_Series, "Pictures");
    EXPECT_EQ(picture->_file_path, png);
    EXPECT_EQ(c->Manual_image_path->text(), png);

    // Signatures and barcodes keep their content; only the binding changes.
    for (const QString& cls : {QStringLiteral("QBXSignature"), QStringLiteral("QBXBarcode")}) {
        GraphicPtr g = make(cls);
        place({g});
        select({g});
        const QString path = g->_file_path;
        choose(c->Data_source_type, "Series");
        choose(c->Batch_Series, "Names");
        EXPECT_EQ(g->data_source_type, 1) << cls.toStdString();
        EXPECT_EQ(g->batch_list_name, "Names");
        EXPECT_EQ(g->_file_path, path);
    }
}

TEST_F(ComboHandler, SpreadsheetColumnsStayBound)
{
    QTemporaryDir dir;
    const QString book = dir.filePath("people.xlsx");
    QProcess python;
    python.start("/usr/bin/python3", {"-c",
                                      "import openpyxl, sys\n"
                                      "wb = openpyxl.Workbook(); ws = wb.active\n"
                                      "ws.append(['Name', 'Names'])\n"
                                      "ws.append(['Zoe', 'x'])\n"
                                      "wb.save(sys.argv[1])\n",
                                      book});
    ASSERT_TRUE(python.waitForFinished(kHangMilliseconds));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    Excel_Sheet_Number = 1;
    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(book), true);
    const SpreadsheetWriter::Rows rows = SpreadsheetWriter::ReadWorkbook(QUrl(), false).toLists();
    SpreadsheetWriter::Release_Data();
    ASSERT_EQ(rows.size(), 2);
    Binding_Table_Model* table = Binding_Table_Model::defaultInstance();
    table->Set_Sheet_Columns({rows[0].value(0), rows[0].value(1)});
    table->Create_List_By_Array({rows[1].value(0), rows[1].value(1)}, 2);

    // No "Excel" offered yet: a column-bound text shows no source and keeps all.
    GraphicPtr t = make("QBXText");
    t->Set_Data_source_type(2);
    t->Set_Batch_List_Name("Names");
    t->Set_Excel_binding_Index(1);
    t->Text_contents().text = "kept";
    place({t});
    select({t});
    EXPECT_EQ(c->Data_source_type->currentIndex(), -1);
    EXPECT_EQ(t->Text_contents().text, "kept");

    // Offered: loading keeps the column, though a column shares the old
    // series' name.
    c->Add_Excel_Col_Name_In_Combo(c->Data_source_type);
    c->Show_RHS_Properties(nullptr);
    select({t});
    EXPECT_EQ(t->excel_col_indx, 1);
    EXPECT_EQ(t->Text_contents().text, "Zoe");
    choose(c->Batch_Series, c->Batch_Series->itemText(0));
    EXPECT_EQ(t->excel_col_indx, 0);
    EXPECT_EQ(t->Text_contents().text, "1");
}

TEST_F(ComboHandler, CardSidesAndSizeList)
{
    auto marked = [&] {
        const QModelIndexList rows = c->ColList->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.front().row();
    };
    // After start-up: two sides, the back button on, PVC sizes, none marked
    // (the start-up card, 243 x 154 points, is no preset).
    EXPECT_EQ(CARD_SIDE_STR, "2");
    EXPECT_TRUE(c->Back_Side_btn->isEnabled());
    ASSERT_EQ(c->ListData.size(), c->pvc_card_arry.size());
    EXPECT_EQ(marked(), -1);
    c->Set_Card_Size_In_Control(c->Get_My_card_Size(QStringLiteral("PVC Card"), QStringLiteral("H"), 0));
    c->Apply_Size_Clicked(nullptr);
    EXPECT_EQ(marked(), 0);

    choose(c->Sides_ComboBox, c->Sides_ComboBox->itemText(1));
    EXPECT_EQ(CARD_SIDE_STR, "1");
    EXPECT_FALSE(c->Back_Side_btn->isEnabled());
    choose(c->Sides_ComboBox, c->Sides_ComboBox->itemText(0));
    EXPECT_EQ(CARD_SIDE_STR, "2");

    // Another category marks its preset of the card's size: the badges have
    // none of CR80's.
    choose(c->Category_ComboBox, c->Category_ComboBox->itemText(1));
    EXPECT_EQ(c->ListData.size(), c->paper_card_arry.size());
    EXPECT_EQ(marked(), -1);
    c->Mark_List_New_Selection(3);
    choose(c->Preset_ComboBox, c->Preset_ComboBox->itemText(1)); // reselects the category
    EXPECT_EQ(marked(), -1);
    c->Category_ComboBox->setCurrentIndex(-1);
    c->Mark_List_New_Selection(3);
    choose(c->Preset_ComboBox, c->Preset_ComboBox->itemText(0)); // no category: nothing
    EXPECT_EQ(marked(), 3);
    choose(c->Category_ComboBox, c->Category_ComboBox->itemText(0));
    EXPECT_EQ(c->ListData.size(), c->pvc_card_arry.size());
    EXPECT_EQ(marked(), 0);
}

TEST_F(ComboHandler, TemporarySideEditsItsOwnSelection)
{
    GraphicPtr shape = make("Shape_Control");
    GraphicPtr text = make("QBXText");
    place({shape, text});
    canvas->changeSelectionIndexes({1});
    canvas->Set_Selected_Graphic(text);
    c->Temp_Card_Btn_Clicked(nullptr);
    QBXGraphicView* temp = c->_graphicView_TEMP;
    ASSERT_EQ(temp->graphics().size(), 2u);
    select({shape}, temp);
    testResponder().answerColor(QColor(Qt::yellow));
    QTest::mouseClick(c->shape_bordr_clr, Qt::LeftButton);
    EXPECT_EQ(rgbColor(shape->_strokeColor), rgbColor(Qt::yellow));
    EXPECT_EQ(rgbColor(text->_strokeColor), rgbColor(Qt::black));

    writeSeries("Names", "Ann\n");
    select({text}, temp);
    choose(c->Data_source_type, "Series");
    choose(c->Batch_Series, "Names");
    EXPECT_EQ(text->batch_list_name, "Names");
    EXPECT_EQ(shape->batch_list_name, "");
    c->Front_Card_Btn_Clicked(nullptr);
}

// ---------------------------------------------------------------- on a real X server

// Inside xvfb: a selected star, its panel painted, the screen captured.
TEST(PanelScreenChild, StarSelected)
{
    const QString out = qEnvironmentVariable("CW_PANEL_SHOT");
    if (out.isEmpty())
        GTEST_SKIP() << "run by PanelHost.StarPanelUnderXvfb";
    StartedEditor e;
    ASSERT_TRUE(e.started);
    GraphicPtr star = QBXGraphic::graphicOfClass("Shape_Control");
    star->Set_Shape_Type("S");
    star->setBounds(QRectF(40, 30, 120, 90));
    star->_fillColor = QColor(230, 120, 20);
    e->_graphicView->insertGraphics({star}, {0});
    e->_graphicView->changeSelectionIndexes({0});
    e->_graphicView->Set_Selected_Graphic(star);
    e->Show_RHS_Properties(star);
    e->window->raise();
    QWidget* page = e->shape_tab->view();
    QTimer::singleShot(1500, [&] {
        const QRect area(page->mapToGlobal(QPoint(0, 0)), page->size());
        QFile rect(out + ".rect");
        if (rect.open(QIODevice::WriteOnly))
            rect.write(QStringLiteral("%1 %2 %3 %4").arg(area.x()).arg(area.y()).arg(area.width()).arg(area.height()).toLatin1());
        rect.close();
        QProcess::execute("import", {"-window", "root", out});
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
}

TEST_F(PanelHost, StarPanelUnderXvfb)
{
    if (QStandardPaths::findExecutable("xvfb-run").isEmpty() || QStandardPaths::findExecutable("import").isEmpty())
        GTEST_SKIP() << "xvfb-run and ImageMagick's import are needed";
    QTemporaryDir dir;
    const QString out = dir.filePath("panel.png");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("CW_PANEL_SHOT", out);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("xvfb-run", {"-a", "-s", "-screen 0 1280x1024x24", QCoreApplication::applicationFilePath(),
                             "--gtest_filter=PanelScreenChild.*"});
    ASSERT_TRUE(child.waitForFinished(kHangMilliseconds));
    const QByteArray log = child.readAll();
    ASSERT_EQ(child.exitCode(), 0) << log.toStdString();
    const QImage shot(out);
    ASSERT_FALSE(shot.isNull()) << log.toStdString();
    QFile rectFile(out + ".rect");
    ASSERT_TRUE(rectFile.open(QIODevice::ReadOnly));
    const QList<QByteArray> p = rectFile.readAll().split(' ');
    ASSERT_EQ(p.size(), 4);
    const QRect tab = QRect(p[0].toInt(), p[1].toInt(), p[2].toInt(), p[3].toInt()).intersected(shot.rect());
    ASSERT_FALSE(tab.isEmpty());
    std::set<QRgb> all, inTab;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            all.insert(shot.pixel(x, y) & 0xffffff);
            if (tab.contains(x, y))
                inTab.insert(shot.pixel(x, y) & 0xffffff);
        }
    }
    EXPECT_GT(all.size(), 50u);
    EXPECT_GT(inTab.size(), 5u) << "the shape tab shows its controls";
}
