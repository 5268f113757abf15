#include "ui/user_guide.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace vesk::ui {

QString UserGuidePath() {
    const QString installed =
        QDir(QCoreApplication::applicationDirPath())
            .filePath(QStringLiteral("../share/doc/vesk-config/guide/index.html"));
    if (QFileInfo::exists(installed)) {
        return QDir::cleanPath(installed);
    }
    return QStringLiteral(VESK_SOURCE_GUIDE);
}

bool OpenUserGuide() {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(UserGuidePath()));
}

}  // namespace vesk::ui
