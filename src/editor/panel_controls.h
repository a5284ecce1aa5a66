#pragma once
// Small builders and silent setters shared by the property panels: a stepper
// with its value field, colour wells, the border-code table.
#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QUrl;
class QObject;
class QWidget;
namespace platform {
class Stepper;
class ColorWell;
} // namespace platform

namespace panel {

platform::Stepper* stepper(const QString& name, double minimum, double maximum, double increment = 1.0);
QLineEdit* field(const QString& name);
platform::ColorWell* well(const QString& name);
QComboBox* combo(const QStringList& items, const QString& name);
// A radio button outside any exclusive group: the actions set each one.
QRadioButton* radio(const QString& title, const QString& name);
void setRadios(QRadioButton* on, std::initializer_list<QRadioButton*> off);

// The stepper's arrows run the action with the stepper as sender; a value
// typed into the field is put into the stepper (within its range, shown back
// in the field) and runs the action with the field as sender.
void pair(platform::Stepper* stepper, QLineEdit* field, QObject* context,
          const std::function<void(QObject*)>& action, bool asFloat = false);

// The small dialogs' look: an opaque window in the light panel colour
// (241, 244, 250), and link buttons: flat, bold 11 pt, blue, underlined,
// with an open hand; a disabled one is drawn grey.
void applyDialogLook(QWidget* window);
QPushButton* linkButton(const QString& title, const QString& name);
// Enables a link button, with its open hand, only when the link can be
// opened (links::usable); otherwise it is greyed with the arrow cursor.
void enableLink(QPushButton* button, const QUrl& link);

// The border-style combo items, in code order.
QStringList borderStyleItems();

// Border codes by combo index: "S", "DA", "DO", "DD", "DDD".
QString borderCode(int index);  // empty for any other index
int borderIndex(const QString& code); // -1 for any other code

// Code-made sets: no handler runs.
void setIndex(QComboBox* combo, int index);
void setText(QLineEdit* field, const QString& text);
// The first step of a stepper's action: when the stepper itself sent it, its
// value goes into its field (an integer, or a float).
void echo(QObject* sender, platform::Stepper* stepper, QLineEdit* field, bool asFloat = false);

// A font as the panels show it: "family ( size )", the size with two
// decimals.
QString fontLabel(const QFont& font);

// A stored fraction as the percent the opacity steppers show, without the
// float noise of the fraction (0.35f shows 35).
double percentOf(float fraction);
// The stepper's value, in the field as an integer or a float.
void showInt(QLineEdit* field, double value);
void showFloat(QLineEdit* field, double value);

} // namespace panel
