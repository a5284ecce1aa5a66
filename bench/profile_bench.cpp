// User-profile placement in the started editor, on a CR80 card and a
// 425.52 x 357.12 point card, each with 40 other graphics and a 1600 x 1200
// JPEG photo: the first placement (eleven creations, the photo decoded), a
// placement over the placed fields, and a preview (copies of the side, the
// placement on them, the render at the form's preview size). 20 runs each.
#include "bench_support.h"

#include "drawing/QBXGraphicView.h"
#include "drawing/QBXRenderingView.h"
#include "wizards/User_Profile_Class.h"
#include "wizards/User_Profile_Form.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

void addOthers(QBXWindowController& c, const QSizeF& card)
{
    GraphicList others;
    std::vector<int> at;
    for (int i = 0; i < 40; ++i) {
        GraphicPtr g = QBXGraphic::graphicOfClass(i % 2 ? QStringLiteral("Shape_Control") : QStringLiteral("QBXText"));
        g->setBounds(QRectF((i % 8) * card.width() / 8, (i / 8) * card.height() / 5, card.width() / 10,
                            card.height() / 7));
        others.push_back(g);
        at.push_back(i);
    }
    c._graphicView->insertGraphics(others, at);
}

double ms(QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

void print(const char* card, const char* what, const std::vector<double>& v)
{
    const Stats s = statsOf(v);
    std::printf("%-10s %-16s median %7.2f ms  p95 %7.2f ms\n", card, what, s.median, s.p95);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir resources;
    prepareBenchEnvironment(resources);
    QApplication app(argc, argv);
    const QString photo = resources.filePath(QStringLiteral("photo.jpg"));
    QImage big(1600, 1200, QImage::Format_RGB32);
    QPainter p(&big);
    QLinearGradient grad(0, 0, 1600, 1200);
    grad.setColorAt(0, Qt::darkBlue);
    grad.setColorAt(1, Qt::yellow);
    p.fillRect(big.rect(), grad);
    p.end();
    big.save(photo, "JPEG", 90);

    const struct {
        const char* name;
        QSizeF size;
    } cards[] = {{"CR80", QSizeF(242.65, 153.01)}, {"425x357", QSizeF(425.52, 357.12)}};
    for (const auto& card : cards) {
        BenchEditor e(card.size);
        if (!e.started)
            return 1;
        QBXWindowController& c = e.controller;
        c.Front_card_Prop.Card_Size = card.size;
        Fill_User_Profile = true;
        for (User_Profile_Class* r : {c.Front_user_profile, c.TEMP_user_profile}) {
            r->Reset_All_Values();
            for (int i = 0; i < User_Profile_Class::Field_Count; ++i)
                *r->Field(i).value = i == 10 ? photo : QStringLiteral("Profile value %1").arg(i);
        }
        std::vector<double> first, again, preview;
        for (int run = 0; run < 20; ++run) {
            c._graphicView->delete_all_control();
            addOthers(c, card.size);
            QElapsedTimer t;
            t.start();
            c.Fill_User_profile_info_front_side();
            first.push_back(ms(t));
            t.restart();
            c.Fill_User_profile_info_front_side();
            again.push_back(ms(t));
            t.restart();
            const GraphicList shown = c.Preview_User_Profile();
            const CardPicture pic = QBXRenderingView::image_From_Card_Graphics(shown, false, c.Card_Render_Context(0));
            QImage view(User_Profile_Form::Preview_Size(), QImage::Format_ARGB32_Premultiplied);
            view.fill(Qt::transparent);
            QPainter vp(&view);
            pic.draw(vp, QRectF(QPointF(0, 0), pic.size().scaled(QSizeF(view.size()), Qt::KeepAspectRatio)));
            vp.end();
            preview.push_back(ms(t));
            QApplication::processEvents();
        }
        print(card.name, "first placement", first);
        print(card.name, "re-placement", again);
        print(card.name, "preview", preview);
    }
    return 0;
}
