// The configuration window started as vesk-config starts it, for the start-up
// benchmark: it prints the monotonic clock (steady_clock, nanoseconds) at the
// first paint of any of the window's widgets as "first_paint <ns>", and quits
// once that first frame is done.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "ui/MainUnit.h"

namespace {

class FirstPaintWatch : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("first_paint %lld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            std::fflush(stdout);
            // Quit after the rest of this frame has been painted and flushed.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool seen = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    FirstPaintWatch watch;
    application.installEventFilter(&watch);
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        icon.addFile(QStringLiteral(":/vesk/icons/vesk-%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("vesk-config"));
    vesk::ui::TMainForm mainForm;
    mainForm.show();
    return QApplication::exec();
}
