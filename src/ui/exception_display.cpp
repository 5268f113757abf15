#include "ui/exception_display.h"

#include <QMessageBox>

#include "ui/application_title.h"

namespace vesk::ui {

QString ExceptionMessageText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) {
        return message + QLatin1Char('.');
    }
    return message;
}

void ShowException(const QString& message, QWidget* parent) {
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), ExceptionMessageText(message),
                    QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace vesk::ui
