// A right-aligned numeric field: it holds a floating-point value and shows it
// through a display mask with a fixed number of decimals. Only digits,
// backspace and, where the mask has decimals, one decimal separator of the
// locale can be typed; any other character is refused with a beep. Every text
// change is read into the value before Changed is emitted; a text that cannot
// be read (only a paste produces one) is replaced by the previous value and
// reported in the standard error box. Leaving the field reformats it; entering
// or clicking it selects its last two characters.
#pragma once

#include <QLineEdit>
#include <functional>

#include "ui/setting_choices.h"

namespace vesk::ui {

class NumberEdit : public QLineEdit {
    Q_OBJECT
  public:
    // `decimals` is 2 for a "0.00" mask and 0 for "0".
    explicit NumberEdit(int decimals, QWidget* parent = nullptr);

    double Value() const { return value; }
    // Shows the value formatted with the mask. When that text is already
    // shown nothing changes but the value; otherwise the text is replaced,
    // the value read back from it and Changed emitted.
    void SetValue(double newValue);
    int Decimals() const { return decimals; }

    // Replaceable so tests can count refusals and keep error boxes from blocking.
    static std::function<void()> beep;
    static std::function<void(QWidget* parent, const QString& message)> showError;

    static NumberFormat LocaleFormat();

  signals:
    void Changed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void OnTextChanged(const QString& newText);
    bool AcceptsCharacter(const QString& character) const;
    void SelectLastTwo();

    int decimals;
    double value = 0.0;
};

}  // namespace vesk::ui
