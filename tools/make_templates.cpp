// Builds the built-in templates with the program's own editor: each is a
// design drawn with the drawing model on one of the preset card sizes, saved
// by the design-log writer and previewed by the card export (the front above
// the back). The templates use no picture files, since a design log keeps
// picture paths as they were.
//
//   cw_make_templates <folder>     writes <name>.dcard and <name>.png pairs
#include "app/Globals.h"
#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphic.h"
#include "drawing/QBXGraphicView.h"
#include "editor/QBXWindowController.h"
#include "platform/image_browser.h"
#include "platform/modal.h"
#include "platform/process_end.h"
#include "wizards/Invitation_Wizard.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Answers the program's modal runs: the start wizard is left at once and
// every question gets its negative answer.
class Quiet : public platform::modal::Responder {
public:
    platform::modal::AlertAnswer alert(platform::modal::AlertKind kind, const QString& text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return kind == platform::modal::AlertKind::Ok ? platform::modal::AlertAnswer::Ok
                                                      : platform::modal::AlertAnswer::No;
    }
    int run(QDialog&) override
    {
        Invitation_Wizard::defaultInstance()->ExitClick();
        return 0;
    }
    QStringList filePanel(const platform::modal::FilePanelRequest&) override { return {}; }
    std::optional<QColor> colorPanel(const QColor&, const QString&) override { return std::nullopt; }
    std::optional<QFont> fontPanel(const QFont&, const QString&) override { return std::nullopt; }
};

struct Design {
    const char* name;
    const char* category; // "PVC Card" or the paper badges
    const char* preset;   // "H" for a card wider than high, "V" for one higher than wide
    int row;              // a preset of that shape: paper rows 5 and 6 are higher than wide under "H"
    const char* shape; // "R", "RR", "E"
    QColor front1, front2, back;
    const char* title;
    const char* line;
};

void text(QBXGraphicView* canvas, const QString& side, const QRectF& rect, const QString& value, const QColor& colour,
          double size)
{
    canvas->createGraphicOfClass(QStringLiteral("QBXText"), std::nullopt, true, rect, side, value, QString());
    if (const GraphicPtr g = canvas->Selected_Graphic()) {
        g->setBounds(rect); // new graphics start at the cascade position
        g->txt_clr = colour;
        QFont font = g->text_ctrl_font;
        font.setPointSizeF(size);
        g->text_ctrl_font = font;
        g->setDrawingFill(false);
        g->setDrawingStroke(false);
    }
}

void shape(QBXGraphicView* canvas, const QString& side, const QRectF& rect, const QString& kind, const QColor& fill)
{
    canvas->createGraphicOfClass(QStringLiteral("Shape_Control"), std::nullopt, true, rect, side, QString(), QString());
    if (const GraphicPtr g = canvas->Selected_Graphic()) {
        g->setBounds(rect);
        g->_shape_type = kind;
        g->setFillColor(fill);
        g->setStrokeColor(fill.darker(140));
        g->setStrokeWidth(2);
    }
}

bool build(QBXWindowController& c, const Design& d, const QDir& out)
{
    c.New_Project_Setting_Reset();
    const QSizeF mm = c.Get_My_card_Size(QString::fromLatin1(d.category), QString::fromLatin1(d.preset), d.row);
    const QSizeF pt(QBXWindowController::MM_to_Points_Convert(float(mm.width())),
                    QBXWindowController::MM_to_Points_Convert(float(mm.height())));
    c.Set_Card_Size_In_Control(mm);
    c.SetDocumentCanvasSize(pt);
    Card_Shape = Card_Property::Card_Shape_Index(QString::fromLatin1(d.shape));
    for (Card_Property* side : {&c.Front_card_Prop, &c.Back_card_Prop}) {
        side->Card_Size = pt;
        side->Card_Shape = QString::fromLatin1(d.shape);
        side->Card_Category = QString::fromLatin1(d.category);
        side->Card_Preset = d.preset[0] == 'V' ? QStringLiteral("Vertical") : QStringLiteral("Horizontal");
        side->Card_Name = QString::fromLatin1(d.name);
        side->Card_Cat_index = d.row;
        side->Card_Sub_Category =
            (side->Card_Category == QLatin1String("PVC Card") ? c.pvc_card_arry : c.paper_card_arry).value(d.row);
        side->Card_fill_chk = true;
    }
    c.Front_card_Prop.Card_fill_style = QStringLiteral("G");
    c.Front_card_Prop.Card_fill_Grd_1_clr = d.front1;
    c.Front_card_Prop.Card_fill_Grd_2_clr = d.front2;
    c.Front_card_Prop.Card_grad_Stepper = 90;
    c.Back_card_Prop.Card_fill_style = QStringLiteral("S");
    c.Back_card_Prop.Card_fill_clr = d.back;

    const double w = pt.width(), h = pt.height();
    const QColor ink = d.front1.lightness() < 110 ? QColor(Qt::white) : QColor(40, 40, 60);
    shape(c._graphicView, QStringLiteral("F"), QRectF(w * 0.08, h * 0.12, w * 0.18, w * 0.18), QStringLiteral("S"),
          d.front2.lighter(130));
    shape(c._graphicView, QStringLiteral("F"), QRectF(w * 0.78, h * 0.66, w * 0.12, w * 0.12), QStringLiteral("C"),
          d.back);
    text(c._graphicView, QStringLiteral("F"), QRectF(w * 0.1, h * 0.38, w * 0.8, h * 0.22), QString::fromUtf8(d.title),
         ink, h / 9);
    text(c._graphicView, QStringLiteral("F"), QRectF(w * 0.1, h * 0.62, w * 0.8, h * 0.14), QString::fromUtf8(d.line),
         ink, h / 18);
    text(c._graphicView_BACK, QStringLiteral("B"), QRectF(w * 0.1, h * 0.4, w * 0.8, h * 0.2),
         QStringLiteral("Your message here"), QColor(60, 60, 80), h / 16);
    shape(c._graphicView_BACK, QStringLiteral("B"), QRectF(w * 0.45, h * 0.7, w * 0.1, w * 0.1), QStringLiteral("D"),
          d.front1);

    const QString base = out.filePath(QString::fromLatin1(d.name));
    Project_File_Name = base + QStringLiteral(".dcard");
    if (!c.Save_project_file(false, false))
        return false;
    export_card_side = QStringLiteral("BOTH");
    export_combined_image = true;
    return c.Export_Single_File(base + QStringLiteral(".png"), false);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: cw_make_templates <folder>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The editor starts over a private resource folder of its own.
    QTemporaryDir resources;
    if (!resources.isValid())
        return 1;
    qputenv("CARDWRIGHT_RESOURCE_DIR", resources.path().toUtf8());
    QApplication app(argc, argv);
    Quiet quiet;
    platform::modal::setResponder(&quiet);
    platform::setProcessEndHandler([](int) {});
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path()))
        return 1;

    const Design designs[] = {
        {"Birthday Balloons", "PVC Card", "H", 0, "RR", QColor(255, 183, 197), QColor(255, 236, 179),
         QColor(255, 248, 240), "Happy Birthday!", "Let's celebrate"},
        {"Wedding Invitation", "Paper Card", "V", 7, "R", QColor(250, 240, 230), QColor(212, 175, 55),
         QColor(255, 253, 245), "Together", "Please join us"},
        {"Party Night", "Paper Card", "H", 7, "R", QColor(30, 30, 80), QColor(120, 60, 160), QColor(240, 235, 255),
         "Party Night", "Saturday, eight o'clock"},
        {"Thank You", "PVC Card", "H", 2, "R", QColor(200, 230, 201), QColor(129, 199, 132), QColor(241, 248, 233),
         "Thank You", "for everything"},
        {"Name Badge", "Paper Card", "H", 3, "RR", QColor(187, 222, 251), QColor(100, 181, 246),
         QColor(227, 242, 253), "HELLO", "my name is"},
        {"Holiday Greetings", "Paper Card", "H", 4, "R", QColor(183, 28, 28), QColor(46, 125, 50),
         QColor(255, 248, 225), "Season's Greetings", "Warm wishes"},
        {"Baby Shower", "PVC Card", "V", 5, "E", QColor(225, 245, 254), QColor(248, 187, 208), QColor(255, 255, 255),
         "Baby Shower", "Oh baby!"},
        {"Membership Card", "PVC Card", "H", 3, "RR", QColor(38, 50, 56), QColor(96, 125, 139),
         QColor(236, 239, 241), "MEMBER", "Valid through the year"},
    };
    int status = 0;
    {
        QBXDocument document;
        QBXWindowController controller;
        controller.setDocument(&document);
        controller.awakeFromNib();
        for (const Design& d : designs) {
            if (!build(controller, d, out)) {
                std::fprintf(stderr, "template %s not written\n", d.name);
                status = 1;
                break;
            }
        }
        controller.setDocument(nullptr);
    }
    platform::ThumbnailLoader::shutdown();
    return status;
}
