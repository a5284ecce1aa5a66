#include "editor/panel_controls.h"

#include "editor/Links.h"
#include "platform/color_well.h"
#include "platform/stepper.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <cmath>

namespace panel {

platform::Stepper* stepper(const QString& name, double minimum, double maximum, double increment)
{
    auto* s = new platform::Stepper;
    s->setObjectName(name);
    s->setRange(minimum, maximum);
    s->setIncrement(increment);
    return s;
}

QLineEdit* field(const QString& name)
{
    auto* f = new QLineEdit;
    f->setObjectName(name);
    f->setMaximumWidth(64);
    return f;
}

platform::ColorWell* well(const QString& name)
{
    auto* w = new platform::ColorWell;
    w->setObjectName(name);
    return w;
}

QComboBox* combo(const QStringList& items, const QString& name)
{
    auto* c = new QComboBox;
    c->setObjectName(name);
    c->addItems(items);
    return c;
}

QRadioButton* radio(const QString& title, const QString& name)
{
    auto* r = new QRadioButton(title);
    r->setObjectName(name);
    r->setAutoExclusive(false);
    return r;
}

void setRadios(QRadioButton* on, std::initializer_list<QRadioButton*> off)
{
    on->setChecked(true);
    for (QRadioButton* r : off)
        r->setChecked(false);
}

void pair(platform::Stepper* stepper, QLineEdit* field, QObject* context, const std::function<void(QObject*)>& action,
          bool asFloat)
{
    platform::pairField(stepper, field, context, asFloat, action);
}

void applyDialogLook(QWidget* window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window,
                     QColor::fromRgbF(0.9450980392156862, 0.9568627450980393, 0.9803921568627451, 1.0));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

QPushButton* linkButton(const QString& title, const QString& name)
{
    auto* b = new QPushButton(title);
    b->setObjectName(name);
    b->setFlat(true);
    QFont font = b->font();
    font.setBold(true);
    font.setPointSize(11);
    font.setUnderline(true);
    b->setFont(font);
    QPalette palette = b->palette();
    // The disabled text keeps the style's grey.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::ButtonText, QColor(0, 0, 255));
    palette.setColor(QPalette::Button, QColor(241, 244, 250));
    b->setPalette(palette);
    b->setCursor(Qt::OpenHandCursor);
    return b;
}

void enableLink(QPushButton* button, const QUrl& link)
{
    const bool on = links::usable(link);
    button->setEnabled(on);
    button->setCursor(on ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

QStringList borderStyleItems()
{
    return {QStringLiteral("Solid"), QStringLiteral("Dash"), QStringLiteral("Dot"), QStringLiteral("Dash Dot"),
            QStringLiteral("Dash Dot Dot")};
}

QString borderCode(int index)
{
    static const QString codes[] = {QStringLiteral("S"), QStringLiteral("DA"), QStringLiteral("DO"),
                                    QStringLiteral("DD"), QStringLiteral("DDD")};
    return index >= 0 && index < 5 ? codes[index] : QString();
}

int borderIndex(const QString& code)
{
    for (int i = 0; i < 5; ++i) {
        if (borderCode(i) == code)
            return i;
    }
    return -1;
}

void echo(QObject* sender, platform::Stepper* stepper, QLineEdit* field, bool asFloat)
{
    if (sender != stepper)
        return;
    if (asFloat)
        showFloat(field, stepper->value());
    else
        showInt(field, stepper->value());
}

QString fontLabel(const QFont& font)
{
    return QStringLiteral("%1 ( %2 )").arg(font.family(), QString::number(font.pointSizeF(), 'f', 2));
}

double percentOf(float fraction)
{
    return std::round(double(fraction) * 1.0e6) / 1.0e4;
}

void setIndex(QComboBox* combo, int index)
{
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index);
}

void setText(QLineEdit* field, const QString& text)
{
    const QSignalBlocker quiet(field);
    field->setText(text);
    field->setModified(false);
}

void showInt(QLineEdit* field, double value)
{
    setText(field, QString::number(int(value)));
}

void showFloat(QLineEdit* field, double value)
{
    setText(field, QString::number(value));
}

} // namespace panel
