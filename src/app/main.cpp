// vesk-config: starts the application with the configuration window as its
// main window and runs the event loop until that window closes.
#include <QApplication>
#include <QIcon>
#include <exception>

#include "ui/MainUnit.h"
#include "ui/exception_display.h"
#include "ui/screenshot_mode.h"

namespace {

// Shows an exception that escaped an event handler, as the standard
// exception display does, and goes on with the event loop.
class Application : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            vesk::ui::ShowException(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            vesk::ui::ShowException(QString());
        }
        return false;
    }
};

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        icon.addFile(QStringLiteral(":/vesk/icons/vesk-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace

int main(int argc, char* argv[]) {
    Application application(argc, argv);
    QApplication::setWindowIcon(ApplicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("vesk-config"));
    vesk::ui::TMainForm mainForm;
    mainForm.show();
    vesk::ui::ScreenshotMode screenshot(mainForm);
    return screenshot.Active() ? screenshot.Run() : application.exec();
}
