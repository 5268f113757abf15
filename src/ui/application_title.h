// The application title shown on the taskbar and as the caption of the
// program's message boxes: the executable's file name up to its first full
// stop, first letter upper case, every later letter lower case.
#pragma once

#include <QString>

namespace vesk::ui {

QString ApplicationTitleFromPath(const QString& executablePath);
// The title of the running program.
QString ApplicationTitle();

}  // namespace vesk::ui
