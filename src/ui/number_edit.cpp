#include "ui/number_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>

#include "ui/application_title.h"

namespace vesk::ui {

std::function<void()> NumberEdit::beep = [] { QApplication::beep(); };

std::function<void(QWidget*, const QString&)> NumberEdit::showError = [](QWidget* parent,
                                                                         const QString& message) {
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), message, QMessageBox::Ok, parent);
    box.exec();
};

NumberEdit::NumberEdit(int maskDecimals, QWidget* parent)
    : QLineEdit(parent), decimals(maskDecimals) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFrame(false);
    setText(QString::fromStdString(FormatNumber(0.0, decimals, LocaleFormat())));
    connect(this, &QLineEdit::textChanged, this, &NumberEdit::OnTextChanged);
}

NumberFormat NumberEdit::LocaleFormat() {
    const QLocale locale;
    return NumberFormat{locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

void NumberEdit::SetValue(double newValue) {
    value = newValue;
    const QString formatted =
        QString::fromStdString(FormatNumber(newValue, decimals, LocaleFormat()));
    if (formatted != text()) {
        setText(formatted);  // reads the value back and emits Changed
    }
}

void NumberEdit::OnTextChanged(const QString& newText) {
    if (!newText.isEmpty()) {
        const auto parsed = ParseNumber(newText.toStdString(), LocaleFormat());
        if (!parsed) {
            // Put the previous value back first, so the field never holds
            // the unreadable text while the message is up.
            const QString previous =
                QString::fromStdString(FormatNumber(value, decimals, LocaleFormat()));
            setText(previous);
            showError(window(),
                      QStringLiteral("'%1' is not a valid floating point value.").arg(newText));
            return;
        }
        value = *parsed;
    }
    emit Changed();
}

bool NumberEdit::AcceptsCharacter(const QString& character) const {
    if (character.size() == 1 && character.front().isDigit() && character.front().unicode() < 128) {
        return true;
    }
    if (character == QStringLiteral("\b")) {
        return true;
    }
    const QString separator = QLocale().decimalPoint();
    return decimals > 0 && character == separator && !text().contains(separator);
}

void NumberEdit::keyPressEvent(QKeyEvent* event) {
    // Only typed characters are filtered: editing keys, navigation and
    // shortcuts (copy, paste, select all) work as in any field.
    const QString typed = event->text();
    const bool isShortcut =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool isEditingKey = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    if (!typed.isEmpty() && typed.front().isPrint() && !isShortcut && !isEditingKey &&
        !AcceptsCharacter(typed)) {
        beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    SelectLastTwo();
}

void NumberEdit::focusOutEvent(QFocusEvent* event) {
    if (text().isEmpty()) {
        setText(QStringLiteral("0"));
    }
    const QString formatted = QString::fromStdString(FormatNumber(value, decimals, LocaleFormat()));
    if (formatted != text()) {
        setText(formatted);
    }
    QLineEdit::focusOutEvent(event);
}

void NumberEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    SelectLastTwo();
}

void NumberEdit::SelectLastTwo() {
    const int length = static_cast<int>(text().size());
    setSelection(length, -std::min(2, length));
}

}  // namespace vesk::ui
