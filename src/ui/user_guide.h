// The tool's own user guide, an HTML page installed with it, opened in the
// desktop's browser.
#pragma once

#include <QString>

namespace vesk::ui {

// <program dir>/../share/doc/vesk-config/guide/index.html when installed,
// otherwise the page in the source tree the program was built from.
QString UserGuidePath();

// Hands the page to the desktop; false when no browser could be started.
bool OpenUserGuide();

}  // namespace vesk::ui
