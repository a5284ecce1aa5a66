#include "platform/window_fit.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

namespace platform {
namespace {

// The window manager's title bar and borders, known only once shown.
constexpr QSize kFrame(16, 48);
const char kScrolledName[] = "fitted_contents";

// A button box, or a row holding push buttons and spacing only.
bool isActionRow(QLayoutItem* item)
{
    if (QWidget* widget = item->widget())
        return qobject_cast<QDialogButtonBox*>(widget) != nullptr;
    QLayout* row = item->layout();
    if (!row)
        return false;
    bool buttons = false;
    for (int i = 0; i < row->count(); ++i) {
        QLayoutItem* part = row->itemAt(i);
        if (part->spacerItem())
            continue;
        if (!qobject_cast<QPushButton*>(part->widget()))
            return false;
        buttons = true;
    }
    return buttons;
}

// Moves the window's layout, with its widgets, into a scroll area; the last
// row of the layout stays outside when it is the action row.
void scrollContents(QWidget& window)
{
    QLayout* top = window.layout();
    QLayoutItem* actions = nullptr;
    if (auto* box = qobject_cast<QBoxLayout*>(top); box && box->direction() == QBoxLayout::TopToBottom) {
        for (int i = box->count() - 1; i >= 0; --i) {
            QLayoutItem* item = box->itemAt(i);
            if (item->spacerItem())
                continue;
            if (isActionRow(item))
                actions = box->takeAt(i);
            break;
        }
    }
    const QMargins margins = top->contentsMargins();
    auto* contents = new QWidget;
    contents->setLayout(top); // takes the layout and its widgets from the window
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QString::fromLatin1(kScrolledName));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(contents);
    // The window's own background shows through.
    scroll->viewport()->setAutoFillBackground(false);
    contents->setAutoFillBackground(false);

    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(scroll, 1);
    if (!actions)
        return;
    auto* bar = new QWidget;
    auto* barLayout = new QVBoxLayout(bar);
    barLayout->setContentsMargins(margins.left(), margins.bottom() / 2, margins.right(), margins.bottom());
    if (QLayout* row = actions->layout()) {
        barLayout->addLayout(row);
    } else {
        barLayout->addWidget(actions->widget());
        delete actions;
    }
    outer->addWidget(bar);
}

} // namespace

QSize windowRoom(const QScreen& screen)
{
    return (screen.availableGeometry().size() - kFrame).expandedTo(QSize(1, 1));
}

void fitToScreen(QWidget& window)
{
    if (!window.isWindow())
        return;
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize room = windowRoom(*screen);

    window.ensurePolished();
    if (QLayout* layout = window.layout())
        layout->activate();
    QSize wanted = (window.testAttribute(Qt::WA_Resized) ? window.size() : window.sizeHint())
                       .expandedTo(window.minimumSizeHint());
    const QSize least = window.minimumSizeHint().expandedTo(window.minimumSize());
    const bool tooLarge = least.width() > room.width() || least.height() > room.height();
    if (tooLarge && window.layout() && !qobject_cast<QMainWindow*>(&window)
        && !window.findChild<QScrollArea*>(QString::fromLatin1(kScrolledName), Qt::FindDirectChildrenOnly)) {
        window.setMinimumSize(0, 0);
        scrollContents(window);
        // Contents that scroll up and down get the width of their scroll bar
        // as well, so that they need not scroll sideways too.
        if (least.height() > room.height())
            wanted.rwidth() += window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &window);
    }
    if (wanted.width() <= room.width() && wanted.height() <= room.height())
        return;
    QRect placed(QPoint(), wanted.boundedTo(room).expandedTo(window.minimumSizeHint().boundedTo(room)));
    window.resize(placed.size());
    placed.moveCenter(area.center());
    window.move(placed.topLeft());
}

} // namespace platform
