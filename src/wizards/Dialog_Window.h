#pragma once
// The look every dialog of the card wizards shares: the light blue-grey
// window background (241, 244, 250).
#include "app/AppHelpers.h"

#include <QDialog>
#include <QString>
#include <exception>
#include <functional>

namespace wizards {

void Set_Dialog_Look(QWidget* window);
// A new dialog window with that look, its object name and title.
QDialog* Make_Dialog_Window(const QString& objectName, const QString& title);

// An action for a button: an exception it throws is logged, not passed on.
template <typename T>
std::function<void()> Guarded(T* object, void (T::*action)())
{
    return [object, action] {
        try {
            (object->*action)();
        } catch (const std::exception& e) {
            Show_NSLog_Message(QString::fromUtf8(e.what()));
        }
    };
}

} // namespace wizards
