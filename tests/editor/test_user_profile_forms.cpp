// The user-profile forms and the placement of their fields on the card,
// driven through the modal seam inside a started editor. Placed sides are
// checked against Python's plistlib reading the pasteboard archive, previews
// against pdftotext.
#include "support_editor.h"

#include "app/Globals.h"
#include "batch/Binding_Table_Model.h"
#include "batch/Import_Excel.h"
#include "batch/SeriesStore.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXRenderingView.h"
#include "support/process_runner.h"
#include "support/qt_print.h"
#include "support/test_responder.h"
#include "wizards/ProfileHost.h"
#include "wizards/Show_User_Profile.h"
#include "wizards/User_Profile_Class.h"
#include "wizards/User_profile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace {

using platform::modal::AlertAnswer;
constexpr int kPhoto = User_Profile_Class::Field_Count - 1;

QString writePhoto(const QTemporaryDir& dir, const QColor& colour)
{
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    QImage photo(160, 120, QImage::Format_RGB32);
    photo.fill(colour);
    photo.save(path, "JPEG", 95);
    return path;
}

// Every value with a source kind: 0 typed, 1 series "S<i>" at slot i,
// 2 binding column i + 1.
void fillRecord(User_Profile_Class& r, int kind, const QString& photo)
{
    r.Reset_All_Values();
    for (int i = 0; i < User_Profile_Class::Field_Count; ++i) {
        const auto f = r.Field(i);
        *f.value = i == kPhoto ? photo : QStringLiteral("  Value %1 漢字 😀 שלום").arg(i);
        if (kind == 1)
            *f.ds = true, *f.ds_name = QStringLiteral("S%1").arg(i), *f.ds_indx = i;
        if (kind == 2)
            *f.xl = true, *f.xl_col_indx = i + 1;
    }
}

void setCard(StartedEditor& e, const QSizeF& size)
{
    e->Front_card_Prop.Card_Size = size;
    e->SetDocumentCanvasSize(size);
}

QByteArray sideBytes(const GraphicList& list)
{
    return QBXGraphic::pasteboardDataWithGraphics(list);
}

// plistlib reads each side archive and checks it against the table below:
// the kinds, ids and sources of the eleven profile graphics, all visible,
// inside the card and pairwise disjoint, the photo on top.
const char* const kSideOracle = R"(
import plistlib, re, sys
ids = ['Fup_Name', 'Fup_Title', 'Fup_Company', 'Fup_CompanySlogan', 'Fup_Address', 'Fup_PhoneNO',
       'Fup_FaxNo', 'Fup_EmailID', 'Fup_Website', 'Fup_UniqueNo', 'Fup_Photo']
args = sys.argv[1:]
for k in range(0, len(args), 4):
    path, kind, W, H = args[k], int(args[k + 1]), float(args[k + 2]), float(args[k + 3])
    items = plistlib.load(open(path, 'rb'))
    seen = []
    for n, data in enumerate(items):
        a = plistlib.loads(data)
        objs = a['$objects']
        def val(x):
            x = objs[x.data] if isinstance(x, plistlib.UID) else x
            return '' if x == '$null' else x
        root = objs[a['$top']['root'].data]
        cls = val(root['$class'])['$classname']
        cid = val(root['control_ID'])
        i = ids.index(cid)
        assert cls == ('QBXImage' if i == 10 else 'QBXText'), (path, cid, cls)
        assert root['ctrl_is_visible'], (path, cid)
        assert root['data_source_type'] == kind, (path, cid, root['data_source_type'])
        assert val(root['batch_list_name']) == ('S%d' % i if kind == 1 else ''), (path, cid)
        assert root['batch_list_index'] == (i if kind == 1 else 0), (path, cid)
        assert bool(root['excel_binding']) == (kind == 2), (path, cid)
        assert root['excel_col_indx'] == (i + 1 if kind == 2 else 0), (path, cid)
        x, y, w, h = map(float, re.findall(r'-?[0-9.e+-]+', val(root['_bounds'])))
        assert w > 0 and h > 0 and x >= 0 and y >= 0 and x + w <= W + 1e-6 and y + h <= H + 1e-6, (path, cid, x, y, w, h)
        if n == 0:
            assert cid == 'Fup_Photo', (path, 'photo not on top')
        seen.append((cid, x, y, w, h))
    assert sorted(s[0] for s in seen) == sorted(ids), (path, seen)
    for p in range(len(seen)):
        for q in range(p + 1, len(seen)):
            _, ax, ay, aw, ah = seen[p]
            _, bx, by, bw, bh = seen[q]
            assert ax + aw <= bx or bx + bw <= ax or ay + ah <= by or by + bh <= ay, (path, seen[p], seen[q])
print('ok', len(args) // 4)
)";

} // namespace

TEST(ProfilePlacement, EverySourceOnThreeCardSizesWithAndWithoutTheGrid)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    QTemporaryDir dir;
    const QString photo = writePhoto(dir, Qt::red);
    Fill_User_Profile = true;
    const QList<QSizeF> cards{{242.65, 153.01}, {153.01, 242.65}, {113.39, 56.69}};
    QStringList args;
    int n = 0;
    for (const QSizeF& card : cards) {
        setCard(e, card);
        for (bool grid : {false, true}) {
            e->_grid->setConstraining(grid);
            for (int kind = 0; kind < 3; ++kind) {
                e->_graphicView->delete_all_control();
                fillRecord(*e->Front_user_profile, kind, photo);
                e->Fill_User_profile_info_front_side();
                const GraphicList side = e->Get_Front_Controls_Array();
                ASSERT_EQ(side.size(), 11u);
                const QString path = dir.filePath(QStringLiteral("side%1.plist").arg(n++));
                QFile f(path);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(sideBytes(side));
                f.close();
                args << path << QString::number(kind) << QString::number(card.width())
                     << QString::number(card.height());
            }
        }
    }
    e->_grid->setConstraining(false);
    const testsupport::ProcessResult py = testsupport::python(QString::fromUtf8(kSideOracle), args);
    ASSERT_EQ(py.exitCode, 0) << py.err.toStdString();
    EXPECT_EQ(py.out.trimmed(), QByteArray("ok 18"));
}

TEST(ProfilePlacement, PlacingAgainUpdatesInPlaceAndUnbindsWhatIsLeft)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    QTemporaryDir dir;
    const QString photo = writePhoto(dir, Qt::blue);
    setCard(e, QSizeF(242.65, 153.01));
    User_Profile_Class& r = *e->Front_user_profile;
    const int tool = e->Selected_Control_Tool;
    Library_Selected_Image = QStringLiteral("/kept.png");

    // Nothing happens before a form returned OK.
    fillRecord(r, 1, photo);
    e->Fill_User_profile_info_front_side();
    EXPECT_TRUE(e->Get_Front_Controls_Array().empty());

    Fill_User_Profile = true;
    e->Fill_User_profile_info_front_side();
    GraphicList side = e->Get_Front_Controls_Array();
    ASSERT_EQ(side.size(), 11u);
    EXPECT_EQ(e->Selected_Control_Tool, tool);
    EXPECT_EQ(Library_Selected_Image, QStringLiteral("/kept.png"));
    const GraphicPtr name = wizards::Find_Profile_Graphic(side, QStringLiteral("Fup_Name"), false);
    name->setBounds(QRectF(3, 4, 50, 10)); // the user's move

    // Second pass: typed values, one field cleared, the photo kept.
    fillRecord(r, 0, photo);
    r.fax.clear();
    e->Fill_User_profile_info_front_side();
    side = e->Get_Front_Controls_Array();
    ASSERT_EQ(side.size(), 11u);
    EXPECT_EQ(name->bounds(), QRectF(3, 4, 50, 10));
    for (const GraphicPtr& g : side) {
        const bool fax = g->control_ID == QLatin1String("Fup_FaxNo");
        EXPECT_EQ(g->ctrl_is_visible, !fax) << g->control_ID.toStdString();
        EXPECT_EQ(g->data_source_type, 0) << g->control_ID.toStdString();
        EXPECT_TRUE(g->batch_list_name.isEmpty());
    }
    EXPECT_EQ(name->Text_contents().text, r.Name);

    // A pasted copy of the name lies visible below a hidden one: the visible
    // text is rewritten, the copy on top stays hidden.
    const GraphicPtr copy = name->fullCopy();
    copy->Set_Ctrl_Is_Visible(false);
    copy->Text_contents().text = QStringLiteral("old copy");
    e->_graphicView->insertGraphics({copy}, {0});
    // A bound field with an empty design-time value is still placed and bound.
    fillRecord(r, 0, photo);
    r.Title.clear();
    r.Title_ds = true, r.Title_ds_name = QStringLiteral("Empty"), r.Title_ds_indx = 2;
    const GraphicPtr title = wizards::Find_Profile_Graphic(side, QStringLiteral("Fup_Title"), false);
    const QString titleText = title->Text_contents().text;
    // A failure in one field leaves the others placed.
    Profile_Field_Placement_Hook = [](int field) {
        if (field == 3)
            throw std::runtime_error("injected");
    };
    r.Name = QStringLiteral("New name");
    e->Fill_User_profile_info_front_side();
    Profile_Field_Placement_Hook = nullptr;
    EXPECT_TRUE(name->ctrl_is_visible);
    EXPECT_EQ(name->Text_contents().text, QStringLiteral("New name"));
    EXPECT_FALSE(copy->ctrl_is_visible);
    EXPECT_EQ(copy->Text_contents().text, QStringLiteral("old copy"));
    EXPECT_TRUE(title->ctrl_is_visible);
    EXPECT_EQ(title->Text_contents().text, titleText);
    EXPECT_EQ(title->data_source_type, 1);
    EXPECT_EQ(title->batch_list_name, QStringLiteral("Empty"));
    const GraphicList after = e->Get_Front_Controls_Array();
    EXPECT_FALSE(wizards::Find_Profile_Graphic(after, QStringLiteral("Fup_CompanySlogan"), false)->ctrl_is_visible);
    for (const char* id : {"Fup_Address", "Fup_UniqueNo", "Fup_Photo"})
        EXPECT_TRUE(wizards::Find_Profile_Graphic(after, QLatin1String(id), QLatin1String(id) == QLatin1String("Fup_Photo"))
                        ->ctrl_is_visible)
            << id;

    // A card size that is not usable creates nothing but updates what exists.
    e->_graphicView->delete_all_control();
    e->Front_card_Prop.Card_Size = QSizeF(qQNaN(), 100);
    e->Fill_User_profile_info_front_side();
    EXPECT_TRUE(e->Get_Front_Controls_Array().empty());
}

TEST(ProfilePlacement, WizardProfileReachesBothSidesBeforeTheEditorFormExists)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    setCard(e, QSizeF(153.01, 242.65));
    testResponder().onDialog([](QDialog&) {
        User_profile* form = User_profile::defaultInstance();
        form->rows[0].value->setText(QStringLiteral("Ada"));
        form->rows[2].value->setText(QStringLiteral("Engines Ltd"));
        form->ok_btn->click();
    });
    ASSERT_EQ(e->Open_User_Profile_Window(0, QString()), 1);
    EXPECT_TRUE(Fill_User_Profile);
    e->Fill_User_profile_Details();
    for (const GraphicList& side : {e->Get_Front_Controls_Array(), e->Get_Back_Controls_Array()}) {
        ASSERT_EQ(side.size(), 2u);
        const GraphicPtr company = wizards::Find_Profile_Graphic(side, QStringLiteral("Fup_Company"), false);
        ASSERT_TRUE(company);
        EXPECT_EQ(company->Text_contents().text, QStringLiteral("Engines Ltd"));
        EXPECT_TRUE(QRectF(0, 0, 153.01, 242.65).contains(company->bounds()));
    }
}

TEST(ProfileForm, ValidationReadBackAndUnchangedReopening)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    QTemporaryDir dir;
    const QString photo = writePhoto(dir, Qt::green);
    setCard(e, QSizeF(242.65, 153.01));
    ASSERT_TRUE(series::Save_Series(QStringLiteral("Alpha"), {QStringLiteral("a1"), QStringLiteral("a2")},
                                    series::Values::As_Given, series::Write::Replace, false));
    ASSERT_TRUE(series::Save_Series(QStringLiteral("Beta"), {QStringLiteral("b1")}, series::Values::As_Given,
                                    series::Write::Replace, false));
    Show_User_Profile* form = Show_User_Profile::defaultInstance();
    auto& R = form->rows;
    QStringList alerts;

    testResponder().onDialog([&](QDialog&) {
        R[2].ds_combo->setCurrentIndex(1);
        R[6].ds_combo->setCurrentIndex(1);
        testResponder().answerAlert(AlertAnswer::Ok);
        form->ok_btn->click(); // rows 3 and 7 unchosen: one message, the first
        R[2].ser_col_cb->setCurrentIndex(R[2].ser_col_cb->findText(QStringLiteral("Beta")));
        EXPECT_EQ(R[2].value->text(), QStringLiteral("b1"));
        R[6].ds_combo->setCurrentIndex(0); // back to manual: the value stays
        R[kPhoto].ds_combo->setCurrentIndex(1);
        testResponder().answerAlert(AlertAnswer::Ok);
        form->ok_btn->click();
        R[kPhoto].ds_combo->setCurrentIndex(0);
        form->Set_User_Image(photo);
        EXPECT_FALSE(form->user_picture->pixmap().isNull());
        // A file that is not a picture clears the view and is refused.
        const QString bad = dir.filePath(QStringLiteral("bad.jpg"));
        QFile f(bad);
        f.open(QIODevice::WriteOnly);
        f.write("not a picture");
        f.close();
        form->Set_User_Image(bad);
        EXPECT_TRUE(form->user_picture->pixmap().isNull());
        testResponder().answerAlert(AlertAnswer::Ok);
        form->ok_btn->click();
        form->Set_User_Image(photo);
        R[0].value->setText(QStringLiteral(" Ada  "));
        R[1].ds_combo->setCurrentIndex(1);
        R[1].ser_col_cb->setCurrentIndex(R[1].ser_col_cb->findText(QStringLiteral("Alpha")));
        form->ok_btn->click();
    });
    e->User_Profile_Button_Clicked(nullptr);
    alerts = testResponder().texts(QStringLiteral("alert"));
    EXPECT_EQ(alerts, QStringList({QStringLiteral("\nPlease select the source for 'Company Name'"),
                                   QStringLiteral("\nPlease select the source for 'Photo'"),
                                   QStringLiteral("\nPlease select valid file path.\n\nIt is not a picture.")}));
    User_Profile_Class& r = *e->Front_user_profile;
    EXPECT_EQ(r.Name, QStringLiteral(" Ada  "));
    EXPECT_EQ(r.Company_name, QStringLiteral("b1"));
    EXPECT_TRUE(r.Company_name_ds);
    EXPECT_EQ(r.fax, QString());
    EXPECT_FALSE(r.fax_ds);
    EXPECT_EQ(r.Title, QStringLiteral("a1"));
    EXPECT_EQ(r.image, photo);
    const QByteArray placed = sideBytes(e->Get_Front_Controls_Array());
    EXPECT_EQ(e->Get_Front_Controls_Array().size(), 4u);

    // Reopening reads the card back; OK unchanged keeps record and side.
    User_Profile_Class kept = r;
    testResponder().reset();
    testResponder().onDialog([&](QDialog&) {
        EXPECT_EQ(R[0].value->text(), QStringLiteral(" Ada  "));
        EXPECT_TRUE(R[0].value_chk->isChecked());
        EXPECT_EQ(R[1].ser_col_cb->currentText(), QStringLiteral("Alpha"));
        EXPECT_EQ(form->image_path_val->text(), photo);
        EXPECT_TRUE(R[6].value->text().isEmpty());
        form->ok_btn->click();
    });
    e->User_Profile_Button_Clicked(nullptr);
    EXPECT_EQ(sideBytes(e->Get_Front_Controls_Array()), placed);
    for (int i = 0; i < User_Profile_Class::Field_Count; ++i) {
        auto a = r.Field(i);
        auto b = kept.Field(i);
        EXPECT_EQ(*a.value, *b.value) << i;
        EXPECT_EQ(*a.ds_name, *b.ds_name) << i;
        EXPECT_EQ(*a.ds, *b.ds) << i;
        EXPECT_EQ(*a.ds_indx, *b.ds_indx) << i;
    }

    // A series added before the bound one moves its slot: read-back keeps
    // the name; a series no longer listed leaves the choice open.
    ASSERT_TRUE(series::Save_Series(QStringLiteral("Aardvark"), {QStringLiteral("z")}, series::Values::As_Given,
                                    series::Write::Replace, false));
    const GraphicPtr company =
        wizards::Find_Profile_Graphic(e->Get_Front_Controls_Array(), QStringLiteral("Fup_Company"), false);
    company->Set_Batch_List_Name(QStringLiteral("Gone"));
    // A hidden profile graphic reads back empty, on manual entry.
    wizards::Find_Profile_Graphic(e->Get_Front_Controls_Array(), QStringLiteral("Fup_Name"), false)
        ->Set_Ctrl_Is_Visible(false);
    testResponder().onDialog([&](QDialog&) {
        EXPECT_TRUE(R[0].value->text().isEmpty());
        EXPECT_FALSE(R[0].value_chk->isChecked());
        EXPECT_EQ(R[1].ser_col_cb->currentText(), QStringLiteral("Alpha"));
        EXPECT_EQ(R[2].ds_combo->currentIndex(), 1);
        EXPECT_EQ(R[2].ser_col_cb->currentIndex(), -1);
        form->cancel_btn->click();
    });
    e->User_Profile_Button_Clicked(nullptr);
}

TEST(ProfileForm, PreviewPlacesOnCopiesAndCancelKeepsTheSide)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    QTemporaryDir dir;
    const QString photo = writePhoto(dir, QColor(200, 20, 30));
    setCard(e, QSizeF(242.65, 153.01));
    Fill_User_Profile = true;
    fillRecord(*e->Front_user_profile, 0, photo);
    e->Front_user_profile->fax.clear(); // the preview creates this one
    e->Fill_User_profile_info_front_side();
    const QByteArray before = sideBytes(e->Get_Front_Controls_Array());
    const int undo = e->_graphicView->undoManager()->undoCount();
    const int tool = e->Selected_Control_Tool;
    const float x = last_ctrl_X, y = last_ctrl_Y;

    Show_User_Profile* form = Show_User_Profile::defaultInstance();
    GraphicList previewed;
    testResponder().onDialog([&](QDialog&) {
        for (int i = 0; i < kPhoto; ++i)
            form->rows[size_t(i)].value->setText(QStringLiteral("Preview%1").arg(i));
        form->preview_btn->click();
        previewed = form->Graphics_array;
        EXPECT_FALSE(form->Preivew_picture->pixmap().isNull());
        form->cancel_btn->click();
    });
    e->User_Profile_Button_Clicked(nullptr);
    EXPECT_EQ(sideBytes(e->Get_Front_Controls_Array()), before);
    EXPECT_EQ(e->_graphicView->undoManager()->undoCount(), undo);
    EXPECT_EQ(e->Selected_Control_Tool, tool);
    EXPECT_EQ(last_ctrl_X, x);
    EXPECT_EQ(last_ctrl_Y, y);
    ASSERT_EQ(previewed.size(), 11u);
    for (const GraphicPtr& g : previewed)
        for (const GraphicPtr& s : e->Get_Front_Controls_Array())
            EXPECT_NE(g, s);

    const CardPicture card = QBXRenderingView::image_From_Card_Graphics(previewed, false, e->Card_Render_Context(0));
    const QString pdf = dir.filePath(QStringLiteral("preview.pdf"));
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(card.toPdf());
    f.close();
    const QString text = QString::fromUtf8(testsupport::run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out);
    for (int i = 0; i < kPhoto; ++i)
        EXPECT_TRUE(text.contains(QStringLiteral("Preview%1").arg(i))) << i;
    // The photo's centre has the test photo's colour.
    const QImage shown = card.toImage(72);
    const GraphicPtr ph = wizards::Find_Profile_Graphic(previewed, QStringLiteral("Fup_Photo"), true);
    const QColor probe = shown.pixelColor(ph->bounds().center().toPoint());
    EXPECT_NEAR(probe.red(), 200, 12);
    EXPECT_NEAR(probe.green(), 20, 12);
    EXPECT_NEAR(probe.blue(), 30, 12);
}

TEST(ProfileForm, WizardFormOpensBlankAndFillsBothRecords)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    User_profile* form = User_profile::defaultInstance();
    auto& R = form->rows;
    Excel_Source_Path = QStringLiteral("/data/first.xlsx");
    testResponder().onDialog([&](QDialog&) {
        for (const auto& row : R) {
            EXPECT_TRUE(row.side_combo->isVisibleTo(form->window));
            EXPECT_EQ(row.side_combo->currentIndex(), 2);
            EXPECT_EQ(row.ds_combo->currentIndex(), 0);
            EXPECT_EQ(row.label_chk, nullptr);
        }
        EXPECT_EQ(form->excel_path_field->text(), QStringLiteral("/data/first.xlsx"));
        R[0].value->setText(QStringLiteral("Grace"));
        form->excel_path_field->setText(QStringLiteral("/data/typed.xlsx"));
        form->cancel_btn->click();
    });
    EXPECT_EQ(e->Open_User_Profile_Window(0, QString()), 0);
    EXPECT_TRUE(e->Front_user_profile->Name.isEmpty());
    EXPECT_FALSE(Fill_User_Profile);

    // Every opening shows the bound path, not what the last run left.
    Excel_Source_Path = QStringLiteral("/data/second.xlsx");
    testResponder().onDialog([&](QDialog&) {
        EXPECT_EQ(form->excel_path_field->text(), QStringLiteral("/data/second.xlsx"));
        EXPECT_TRUE(R[0].value->text().isEmpty());
        R[0].value->setText(QStringLiteral("Grace"));
        R[4].ds_combo->setCurrentIndex(1);
        testResponder().answerAlert(AlertAnswer::Ok);
        form->ok_btn->click(); // fails once, nothing written
        EXPECT_TRUE(e->Front_user_profile->Name.isEmpty());
        R[4].ds_combo->setCurrentIndex(0);
        form->ok_btn->click();
    });
    EXPECT_EQ(e->Open_User_Profile_Window(0, QString()), 1);
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\nPlease select the source for 'Address'")});
    EXPECT_EQ(e->Front_user_profile->Name, QStringLiteral("Grace"));
    EXPECT_EQ(e->Back_user_profile->Name, QStringLiteral("Grace"));
    EXPECT_TRUE(e->Back_user_profile->Fill_User_Profile_Enable);
    EXPECT_EQ(Excel_Source_Path, QStringLiteral("/data/second.xlsx"));
}

TEST(ProfileForm, SpreadsheetColumnsFromAWorkbook)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("people.xlsx"));
    const testsupport::ProcessResult py = testsupport::python(QStringLiteral(R"(
import openpyxl, sys
wb = openpyxl.Workbook()
ws = wb.active
ws.append(['Name', 'Phone'])
ws.append(['Zoë', '555 0101'])
ws.append(['Li', '555 0102'])
wb.save(sys.argv[1])
)"), {book});
    ASSERT_EQ(py.exitCode, 0) << py.err.toStdString();
    Show_User_Profile* form = Show_User_Profile::defaultInstance();
    auto& phone = form->rows[5];
    Import_Excel* picker = Import_Excel::defaultInstance();
    testResponder().onDialog([&](QDialog&) {
        EXPECT_EQ(phone.ds_combo->count(), 2);
        testResponder().answerFilePanel({dir.filePath(QStringLiteral("missing.xlsx"))});
        testResponder().answerAlert(AlertAnswer::Ok);
        form->excel_browse_btn->click();
        EXPECT_EQ(phone.ds_combo->count(), 2);
        testResponder().answerFilePanel({book});
        testResponder().onDialog([&](QDialog& d) {
            picker->contains_header->setChecked(true);
            for (int c : {0, 1})
                picker->ListData_xl->setData(picker->ListData_xl->index(c, 0), Qt::Checked, Qt::CheckStateRole);
            d.findChild<QPushButton*>(QStringLiteral("ok"))->click();
        });
        form->excel_browse_btn->click();
        ASSERT_EQ(phone.ds_combo->count(), 3);
        phone.ds_combo->setCurrentIndex(2);
        phone.ser_col_cb->setCurrentIndex(2);
        EXPECT_EQ(phone.value->text(), QStringLiteral("555 0101"));
        form->ok_btn->click();
    });
    e->User_Profile_Button_Clicked(nullptr);
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")), QStringList{QStringLiteral("\nPlease select valid file path.")});
    EXPECT_TRUE(e->Front_user_profile->phone_xl);
    EXPECT_EQ(e->Front_user_profile->phone_xl_col_indx, 2);
    EXPECT_EQ(Excel_Source_Path, book);
    EXPECT_TRUE(Excel_Binding_Use);
    const GraphicPtr g = wizards::Find_Profile_Graphic(e->Get_Front_Controls_Array(), QStringLiteral("Fup_PhoneNO"), false);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->data_source_type, 2);
    EXPECT_TRUE(g->excel_binding);
    EXPECT_EQ(g->excel_col_indx, 2);
    // Reopening reads the column back.
    testResponder().onDialog([&](QDialog&) {
        EXPECT_EQ(phone.ds_combo->currentIndex(), 2);
        EXPECT_EQ(phone.ser_col_cb->currentIndex(), 2);
        form->cancel_btn->click();
    });
    e->User_Profile_Button_Clicked(nullptr);
}

// Runs inside xvfb: each form is captured from outside Qt while it shows.
TEST(ProfileScreenChild, CaptureEachForm)
{
    const QString out = qEnvironmentVariable("CW_PROFILE_SCREEN_OUT");
    if (out.isEmpty())
        GTEST_SKIP() << "run by ProfileScreen.FormsUnderXvfb";
    StartedEditor e;
    ASSERT_TRUE(e.started);
    const auto capture = [](User_Profile_Form* form, const QString& file) {
        return [form, file](QDialog&) {
            QEventLoop wait;
            QTimer::singleShot(700, &wait, &QEventLoop::quit);
            wait.exec();
            QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
            form->cancel_btn->click();
        };
    };
    testResponder().onDialog(capture(Show_User_Profile::defaultInstance(), out + QStringLiteral("-editor.png")));
    e->User_Profile_Button_Clicked(nullptr);
    testResponder().onDialog(capture(User_profile::defaultInstance(), out + QStringLiteral("-wizard.png")));
    e->Open_User_Profile_Window(0, QString());
}

TEST(ProfileScreen, FormsUnderXvfb)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
        GTEST_SKIP() << "xvfb-run and ImageMagick's import are needed";
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("form"));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CW_PROFILE_SCREEN_OUT"), out);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"),
                {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1600x1200x24"),
                 QCoreApplication::applicationFilePath(), QStringLiteral("--gtest_filter=ProfileScreenChild.*")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QByteArray log = child.readAll();
    ASSERT_EQ(child.exitCode(), 0) << log.toStdString();
    for (const char* which : {"-editor.png", "-wizard.png"}) {
        const QImage shot(out + QLatin1String(which));
        ASSERT_FALSE(shot.isNull()) << which << log.toStdString();
        std::set<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2)
                colours.insert(shot.pixel(x, y) & 0xffffff);
        EXPECT_GT(colours.size(), 50u) << which;
        EXPECT_TRUE(colours.count(qRgb(241, 244, 250) & 0xffffff)) << which;
    }
}

// Runs inside xvfb on a 1366 x 768 screen: the form the template browser
// opens shows every row, the spreadsheet row included, without scrolling.
TEST(ProfileFitChild, WizardFormFromTheTemplateBrowser)
{
    if (qEnvironmentVariable("CW_PROFILE_FIT") != QLatin1String("inner"))
        GTEST_SKIP() << "run by ProfileFit.WizardFormShowsTheSpreadsheetRowAt1366x768";
    StartedEditor e;
    ASSERT_TRUE(e.started);
    User_profile* form = User_profile::defaultInstance();
    bool opened = false;
    testResponder().onDialog([&](QDialog& dialog) {
        opened = true;
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        settle();
        const QRect area = dialog.screen()->availableGeometry();
        EXPECT_TRUE(area.contains(dialog.frameGeometry()));
        for (QWidget* w : std::initializer_list<QWidget*>{form->excel_path_field, form->excel_browse_btn,
                                                          form->ok_btn, form->Preivew_picture}) {
            SCOPED_TRACE(w->objectName().toStdString() + " " + w->metaObject()->className());
            EXPECT_EQ(w->visibleRegion().boundingRect(), w->rect()) << "cut or scrolled away";
        }
        for (QScrollBar* bar : dialog.findChildren<QScrollBar*>())
            EXPECT_FALSE(bar->isVisible()) << "the form scrolls";
        if (const QString shot = qEnvironmentVariable("CW_PROFILE_FIT_SHOT"); !shot.isEmpty())
            dialog.grab().save(shot);
        form->cancel_btn->click();
    });
    e->Open_User_Profile_Window(0, QString());
    EXPECT_TRUE(opened) << "the profile form did not open";
}

TEST(ProfileFit, WizardFormShowsTheSpreadsheetRowAt1366x768)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run is needed";
    const XvfbRun run = runUnderXvfb(QStringLiteral("ProfileFitChild.*"), QStringLiteral("CW_PROFILE_FIT"),
                                     QStringLiteral("1366x768x24"), 120000);
    EXPECT_EQ(run.exitCode, 0) << run.log.toStdString();
    EXPECT_TRUE(run.log.contains(QStringLiteral("[  PASSED  ] 1 test"))) << run.log.toStdString();
}
