// An unattended run of the window for machines without a user: with the
// environment variable VESK_SELFTEST_SCREENSHOT set to a file path, the
// program selects the port named by VESK_SELFTEST_PORT (when set), presses
// "Open" and "Read All", waits for the answer, saves a picture of the window
// to that path, prints the path and exits: 0 only when the request state
// reads "Successful".
#pragma once

#include <QString>

namespace vesk::ui {

class TMainForm;

class ScreenshotMode {
  public:
    explicit ScreenshotMode(TMainForm& form);
    bool Active() const { return !outputPath.isEmpty(); }
    // Runs the event loop until the picture is taken; the exit code.
    int Run();

  private:
    TMainForm& form;
    QString outputPath;
    QString portText;
};

}  // namespace vesk::ui
