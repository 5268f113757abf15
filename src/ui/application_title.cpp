#include "ui/application_title.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vesk::ui {

QString ApplicationTitleFromPath(const QString& executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    name.truncate(name.indexOf(QLatin1Char('.')) < 0 ? name.size()
                                                     : name.indexOf(QLatin1Char('.')));
    if (name.isEmpty()) {
        return name;
    }
    return name.left(1).toUpper() + name.mid(1).toLower();
}

QString ApplicationTitle() {
    if (QCoreApplication::instance() == nullptr) {
        return QString();
    }
    return ApplicationTitleFromPath(QCoreApplication::applicationFilePath());
}

}  // namespace vesk::ui
