#include "ui/status_bar.h"

#include <QPainter>

#include "ui/skin_style.h"

namespace vesk::ui {
namespace {

struct PanelLayout {
    int width;
    Qt::Alignment alignment;
    const char* accessibleName;
};

constexpr PanelLayout kPanels[] = {
    {120, Qt::AlignLeft | Qt::AlignVCenter, "Port state"},
    {160, Qt::AlignHCenter | Qt::AlignVCenter, "Request state"},
    {60, Qt::AlignHCenter | Qt::AlignVCenter, "Time"},
};

}  // namespace

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Status bar"));
    int left = 0;
    for (std::size_t i = 0; i < panels.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("suiStatusBar1_Panel%1").arg(i));
        panel->setAccessibleName(QString::fromLatin1(kPanels[i].accessibleName));
        panel->setAlignment(kPanels[i].alignment);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setIndent(3);
        panel->setGeometry(left, 2, kPanels[i].width - 2, kHeight - 3);
        left += kPanels[i].width;
        panels[i] = panel;
    }
}

void StatusBar::SetStatus(const QString& text, unsigned panel) {
    if (panel < panels.size()) {
        panels[panel]->setText(text);
    }
}

QString StatusBar::PanelText(unsigned panel) const {
    return panel < panels.size() ? panels[panel]->text() : QString();
}

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kFrameColour);
    painter.setPen(QColor(0xA0, 0xA0, 0xA0));
    painter.drawLine(0, 0, width(), 0);
}

}  // namespace vesk::ui
