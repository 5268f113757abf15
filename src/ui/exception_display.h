// The program's standard display of an error that escaped an event handler:
// a message box with the message, the application title as caption, a stop
// icon and an OK button.
#pragma once

#include <QString>

class QWidget;

namespace vesk::ui {

// The message as shown: a full stop is added when its last character sorts
// after "." (so "Port busy" gets one, "Done." and "(3)" do not).
QString ExceptionMessageText(const QString& message);

void ShowException(const QString& message, QWidget* parent = nullptr);

}  // namespace vesk::ui
