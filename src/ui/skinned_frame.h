// The skinned frame of the window: it fills the client area in the frame
// colour and draws the only title bar, with the application icon, the
// caption, a control-box button that opens the window menu and a close
// button. Dragging the title bar moves the window.
#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QMenu>
#include <QPoint>
#include <QWidget>

namespace vesk::ui {

// A flat title-bar button that draws its own glyph.
class TitleButton : public QAbstractButton {
    Q_OBJECT
  public:
    enum class Glyph { kMenu, kClose };
    TitleButton(Glyph glyph, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    Glyph glyph;
    bool hovered = false;
};

class TitleBar : public QWidget {
    Q_OBJECT
  public:
    explicit TitleBar(QWidget* parent);

    void SetCaption(const QString& text);
    QString Caption() const { return caption; }
    void SetIcon(const QIcon& newIcon);
    // The window menu (Move, Close); shown under the control-box button.
    QMenu* WindowMenu() const { return windowMenu; }
    void ShowWindowMenu();

    static constexpr int kHeight = 22;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void StartMove(const QPoint& globalPosition);

    QString caption;
    QIcon icon;
    TitleButton* menuButton;
    TitleButton* closeButton;
    QMenu* windowMenu;
    bool dragging = false;
    QPoint dragOffset;  // pointer position relative to the window's top left
};

class SkinnedFrame : public QWidget {
    Q_OBJECT
  public:
    explicit SkinnedFrame(QWidget* parent);
    TitleBar* Title() const { return titleBar; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    TitleBar* titleBar;
};

}  // namespace vesk::ui
