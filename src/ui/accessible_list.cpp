#include "ui/accessible_list.h"

#include <QAccessibleWidget>
#include <QComboBox>

namespace vesk::ui {
namespace {

class AccessibleList : public QAccessibleWidget {
  public:
    explicit AccessibleList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        switch (kind) {
            case QAccessible::Name:
                return List()->accessibleName();
            case QAccessible::Value:
                return List()->currentText();
            default:
                return QAccessibleWidget::text(kind);
        }
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) {
            List()->showPopup();
        }
    }

  private:
    QComboBox* List() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ListFactory(const QString& className, QObject* object) {
    auto* list = qobject_cast<QComboBox*>(object);
    if (className == QLatin1String("QComboBox") && list != nullptr &&
        !list->accessibleName().isEmpty()) {
        return new AccessibleList(list);
    }
    return nullptr;
}

}  // namespace

void InstallListAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(ListFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace vesk::ui
