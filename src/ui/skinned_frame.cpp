#include "ui/skinned_frame.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QWindow>

#include "ui/skin_style.h"

namespace vesk::ui {
namespace {

constexpr int kButtonSize = 16;
constexpr int kIconSize = 16;

}  // namespace

TitleButton::TitleButton(Glyph buttonGlyph, QWidget* parent)
    : QAbstractButton(parent), glyph(buttonGlyph) {
    setFixedSize(kButtonSize, kButtonSize);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void TitleButton::enterEvent(QEnterEvent* event) {
    hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TitleButton::leaveEvent(QEvent* event) {
    hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void TitleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor face = glyph == Glyph::kClose ? QColor(0xC8, 0x4B, 0x3C) : kTitleBarLight;
    if (isDown()) {
        face = face.darker(130);
    } else if (hovered) {
        face = face.lighter(120);
    }
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
    painter.setBrush(face);
    painter.drawRoundedRect(box, 3, 3);
    painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = box.center();
    if (glyph == Glyph::kClose) {
        painter.drawLine(QPointF(c.x() - 3.5, c.y() - 3.5), QPointF(c.x() + 3.5, c.y() + 3.5));
        painter.drawLine(QPointF(c.x() + 3.5, c.y() - 3.5), QPointF(c.x() - 3.5, c.y() + 3.5));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        const QPointF arrow[] = {
            {c.x() - 4, c.y() - 2}, {c.x() + 4, c.y() - 2}, {c.x(), c.y() + 2.5}};
        painter.drawPolygon(arrow, 3);
    }
}

TitleBar::TitleBar(QWidget* parent)
    : QWidget(parent),
      menuButton(new TitleButton(TitleButton::Glyph::kMenu, this)),
      closeButton(new TitleButton(TitleButton::Glyph::kClose, this)),
      windowMenu(new QMenu(this)) {
    setObjectName(QStringLiteral("suiTitleBar"));
    setAccessibleName(QStringLiteral("Title bar"));
    menuButton->setObjectName(QStringLiteral("suiTitleBar_ControlBox"));
    menuButton->setAccessibleName(QStringLiteral("Window menu"));
    menuButton->setToolTip(QStringLiteral("Window menu"));
    closeButton->setObjectName(QStringLiteral("suiTitleBar_Close"));
    closeButton->setAccessibleName(QStringLiteral("Close"));
    closeButton->setToolTip(QStringLiteral("Close"));

    windowMenu->setObjectName(QStringLiteral("suiTitleBar_WindowMenu"));
    QAction* move = windowMenu->addAction(QStringLiteral("&Move"));
    windowMenu->addSeparator();
    QAction* close = windowMenu->addAction(QStringLiteral("&Close"));
    close->setShortcut(QKeySequence(QStringLiteral("Alt+F4")));
    connect(move, &QAction::triggered, this, [this] {
        if (QWindow* handle = window()->windowHandle()) {
            handle->startSystemMove();
        }
    });
    connect(close, &QAction::triggered, this, [this] { window()->close(); });
    connect(menuButton, &QAbstractButton::clicked, this, &TitleBar::ShowWindowMenu);
    connect(closeButton, &QAbstractButton::clicked, this, [this] { window()->close(); });
    // The keys a user expects of a window menu and of closing a window.
    auto* menuKey = new QShortcut(QKeySequence(QStringLiteral("Alt+Space")), this);
    menuKey->setContext(Qt::WindowShortcut);
    connect(menuKey, &QShortcut::activated, this, &TitleBar::ShowWindowMenu);
    auto* closeKey = new QShortcut(QKeySequence(QStringLiteral("Alt+F4")), this);
    closeKey->setContext(Qt::WindowShortcut);
    connect(closeKey, &QShortcut::activated, this, [this] { window()->close(); });
}

void TitleBar::SetCaption(const QString& text) {
    caption = text;
    update();
}

void TitleBar::SetIcon(const QIcon& newIcon) {
    icon = newIcon;
    update();
}

void TitleBar::ShowWindowMenu() {
    windowMenu->popup(menuButton->mapToGlobal(QPoint(0, menuButton->height())));
}

void TitleBar::resizeEvent(QResizeEvent*) {
    const int top = (height() - kButtonSize) / 2;
    closeButton->move(width() - kButtonSize - 4, top);
    menuButton->move(width() - 2 * kButtonSize - 7, top);
}

void TitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient shade(0, 0, 0, height());
    shade.setColorAt(0.0, kTitleBarLight);
    shade.setColorAt(1.0, kTitleBarColour);
    painter.fillRect(rect(), shade);
    const int iconTop = (height() - kIconSize) / 2;
    if (!icon.isNull()) {
        icon.paint(&painter, QRect(4, iconTop, kIconSize, kIconSize));
    }
    painter.setFont(TitleFont());
    painter.setPen(Qt::white);
    const QRect textBox(4 + kIconSize + 5, 0, menuButton->x() - kIconSize - 12, height());
    painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft, caption);
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (event->position().x() < 4 + kIconSize + 2) {
        ShowWindowMenu();  // the icon opens the window menu, as a control box does
        return;
    }
    StartMove(event->globalPosition().toPoint());
}

void TitleBar::StartMove(const QPoint& globalPosition) {
    // Let the window manager move the window where it can; otherwise follow
    // the pointer ourselves.
    QWindow* handle = window()->windowHandle();
    if (handle != nullptr && handle->startSystemMove()) {
        return;
    }
    dragging = true;
    dragOffset = globalPosition - window()->frameGeometry().topLeft();
}

void TitleBar::mouseMoveEvent(QMouseEvent* event) {
    if (dragging) {
        window()->move(event->globalPosition().toPoint() - dragOffset);
    }
}

void TitleBar::mouseReleaseEvent(QMouseEvent*) {
    dragging = false;
}

SkinnedFrame::SkinnedFrame(QWidget* parent) : QWidget(parent), titleBar(new TitleBar(this)) {
    setAutoFillBackground(false);
}

void SkinnedFrame::resizeEvent(QResizeEvent*) {
    titleBar->setGeometry(0, 0, width(), TitleBar::kHeight);
}

void SkinnedFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kFrameColour);
    painter.setPen(kTitleBarColour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vesk::ui
