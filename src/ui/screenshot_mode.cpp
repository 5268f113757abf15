#include "ui/screenshot_mode.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "ui/MainUnit.h"

namespace vesk::ui {
namespace {

constexpr int kPollMs = 100;
constexpr int kGiveUpMs = 10000;  // well past the three-tick reply time-out

}  // namespace

ScreenshotMode::ScreenshotMode(TMainForm& mainForm)
    : form(mainForm),
      outputPath(qEnvironmentVariable("VESK_SELFTEST_SCREENSHOT")),
      portText(qEnvironmentVariable("VESK_SELFTEST_PORT")) {}

int ScreenshotMode::Run() {
    auto* port = form.findChild<QComboBox*>(QStringLiteral("suiComboBox_PcPort"));
    if (!portText.isEmpty() && port->findText(portText) >= 0) {
        port->setCurrentIndex(port->findText(portText));
    }
    form.findChild<QPushButton*>(QStringLiteral("suiButton_OpenPort"))->click();
    form.findChild<QPushButton*>(QStringLiteral("btn_ReadAll"))->click();

    int waitedMs = 0;
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        waitedMs += kPollMs;
        if (form.StatusText(1) == QStringLiteral("......") && waitedMs < kGiveUpMs) {
            return;
        }
        poll.stop();
        // One more pass so the last values are painted.
        QTimer::singleShot(kPollMs, [&] {
            const QString path = QFileInfo(outputPath).absoluteFilePath();
            QDir().mkpath(QFileInfo(path).absolutePath());
            const bool saved = form.grab().save(path, "PNG");
            std::printf("screenshot: %s\nrequest state: %s\n", qPrintable(path),
                        qPrintable(form.StatusText(1)));
            std::fflush(stdout);
            const bool ok = saved && form.StatusText(1) == QStringLiteral("Successful");
            QCoreApplication::exit(ok ? 0 : 1);
        });
    });
    poll.start();
    return QApplication::exec();
}

}  // namespace vesk::ui
