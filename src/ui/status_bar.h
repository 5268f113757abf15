// The three-panel status bar along the bottom of the window: port state (120
// pixels, left), request state (160, centred) and the time of day (60, centred).
#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

namespace vesk::ui {

class StatusBar : public QWidget {
    Q_OBJECT
  public:
    explicit StatusBar(QWidget* parent);

    // Panel 0, 1 or 2; a higher number is ignored.
    void SetStatus(const QString& text, unsigned panel);
    QString PanelText(unsigned panel) const;

    static constexpr int kHeight = 21;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::array<QLabel*, 3> panels;
};

}  // namespace vesk::ui
