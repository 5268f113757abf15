// The window's numeric fields driven by keys, focus and the clipboard: key
// filtering with a beep, the clamps while typing, reformatting on leaving, and
// pasted text that cannot be read.
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLocale>
#include <QtTest>
#include <memory>

#include "link/fake_serial_backend.h"
#include "ui/MainUnit.h"

namespace vesk::ui {

class NumberFieldTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<testing::FakeSerialBackend> backend;
    std::unique_ptr<TMainForm> form;
    int beeps = 0;
    QStringList errors;

    NumberEdit* Field(const QString& name) const {
        auto* field = form->findChild<NumberEdit*>(name);
        if (field == nullptr) {
            qFatal("no field %s", qPrintable(name));
        }
        return field;
    }
    // Empties the field with the keyboard, as a user would.
    static void Empty(NumberEdit* field) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End);
        while (!field->text().isEmpty()) {
            QTest::keyClick(field, Qt::Key_Backspace);
        }
    }
    void LeaveField() {
        form->findChild<QComboBox*>(QStringLiteral("suiComboBox_Power"))->setFocus();
    }

  private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        beeps = 0;
        errors.clear();
        NumberEdit::beep = [this] { ++beeps; };
        NumberEdit::showError = [this](QWidget*, const QString& message) {
            errors.append(message);
        };
        backend = std::make_unique<testing::FakeSerialBackend>();
        form = std::make_unique<TMainForm>(nullptr, *backend);
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void cleanup() { form.reset(); }

    void TypingIsFilteredAndClamped_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("refused");
        const QString frequency = QStringLiteral("suiNumberEdit_RfFrequency");
        const QString node = QStringLiteral("suiNumberEdit_CustID_H");
        const QString net = QStringLiteral("suiNumberEdit_NetID");
        QTest::newRow("995 becomes 433.00 at the third digit") << frequency << "995"
                                                               << "433.00" << 433.0 << 0;
        QTest::newRow("120 becomes 433.00 at the third digit") << frequency << "120"
                                                               << "433.00" << 433.0 << 0;
        QTest::newRow("99 is kept") << frequency << "99"
                                    << "99" << 99.0 << 0;
        QTest::newRow("140 is kept") << frequency << "140"
                                     << "140" << 140.0 << 0;
        QTest::newRow("1000 is replaced when it reads 100") << frequency << "100"
                                                            << "433.00" << 433.0 << 0;
        QTest::newRow("990 is kept") << frequency << "990"
                                     << "990" << 990.0 << 0;
        QTest::newRow("one decimal separator") << frequency << "433.5"
                                               << "433.5" << 433.5 << 0;
        QTest::newRow("a second separator is refused") << frequency << "43.3.5"
                                                       << "43.35" << 43.35 << 1;
        QTest::newRow("letters are refused") << frequency << "4a3b"
                                             << "43" << 43.0 << 2;
        QTest::newRow("a space is refused") << frequency << "4 3"
                                            << "43" << 43.0 << 1;
        QTest::newRow("a minus sign is refused") << frequency << "-43"
                                                 << "43" << 43.0 << 1;
        QTest::newRow("70000 becomes 65535") << node << "70000"
                                             << "65535" << 65535.0 << 0;
        QTest::newRow("65535 is kept") << node << "65535"
                                       << "65535" << 65535.0 << 0;
        QTest::newRow("no separator in Node ID") << node << "12.5"
                                                 << "125" << 125.0 << 1;
        QTest::newRow("a minus sign in Node ID is refused") << node << "-1"
                                                            << "1" << 1.0 << 1;
        QTest::newRow("300 becomes 255") << net << "300"
                                         << "255" << 255.0 << 0;
        QTest::newRow("no separator in Net ID") << net << "1.2"
                                                << "12" << 12.0 << 1;
        QTest::newRow("letters in Net ID are refused") << net << "x7"
                                                       << "7" << 7.0 << 1;
    }
    void TypingIsFilteredAndClamped() {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(int, refused);
        NumberEdit* edit = Field(field);
        Empty(edit);
        QTest::keyClicks(edit, keys);
        QCOMPARE(edit->text(), text);
        QCOMPARE(edit->Value(), value);
        QCOMPARE(beeps, refused);
    }

    void LeavingAFieldFormatsItWithItsMask_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("an emptied frequency reads 0.00") << "suiNumberEdit_RfFrequency"
                                                         << ""
                                                         << "0.00" << 0.0;
        QTest::newRow("an emptied Node ID reads 0") << "suiNumberEdit_CustID_H"
                                                    << ""
                                                    << "0" << 0.0;
        QTest::newRow("an emptied Net ID reads 0") << "suiNumberEdit_NetID"
                                                   << ""
                                                   << "0" << 0.0;
        QTest::newRow("99 reads 99.00") << "suiNumberEdit_RfFrequency"
                                        << "99"
                                        << "99.00" << 99.0;
        QTest::newRow("433.5 reads 433.50") << "suiNumberEdit_RfFrequency"
                                            << "433.5"
                                            << "433.50" << 433.5;
        QTest::newRow("a trailing separator goes") << "suiNumberEdit_RfFrequency"
                                                   << "868."
                                                   << "868.00" << 868.0;
    }
    void LeavingAFieldFormatsItWithItsMask() {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(double, value);
        NumberEdit* edit = Field(field);
        Empty(edit);
        QTest::keyClicks(edit, keys);
        LeaveField();
        QVERIFY(!edit->hasFocus());
        QCOMPARE(edit->text(), text);
        QCOMPARE(edit->Value(), value);
    }

    void EnteringAFieldSelectsItsLastTwoCharacters() {
        NumberEdit* frequency = Field(QStringLiteral("suiNumberEdit_RfFrequency"));
        LeaveField();
        QTest::mouseClick(frequency, Qt::LeftButton, {}, QPoint(5, frequency->height() / 2));
        QCOMPARE(frequency->selectedText(), QStringLiteral("00"));
        QTest::keyClicks(frequency, QStringLiteral("25"));
        QCOMPARE(frequency->text(), QStringLiteral("434.25"));
    }

    void UnreadablePastedTextIsReplacedByThePreviousValue_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters") << "abc"
                                 << "'434.abc' is not a valid floating point value.";
        QTest::newRow("infinity") << "inf"
                                  << "'434.inf' is not a valid floating point value.";
        QTest::newRow("two separators") << "5.5"
                                        << "'434.5.5' is not a valid floating point value.";
    }
    void UnreadablePastedTextIsReplacedByThePreviousValue() {
        QFETCH(QString, pasted);
        QFETCH(QString, message);
        NumberEdit* frequency = Field(QStringLiteral("suiNumberEdit_RfFrequency"));
        frequency->setFocus();  // selects "00", which the paste replaces
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(frequency, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(errors, QStringList{message});
        QCOMPARE(frequency->text(), QStringLiteral("434.00"));
        QCOMPARE(frequency->Value(), 434.0);
    }

    void ReadablePastedTextIsTakenWithItsGroupSeparators() {
        NumberEdit* node = Field(QStringLiteral("suiNumberEdit_CustID_H"));
        node->selectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("4,660"));
        QTest::keyClick(node, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(errors.isEmpty());
        QCOMPARE(node->Value(), 4660.0);
    }

    void TheLocaleDecimalSeparatorIsTheOneTyped() {
        form.reset();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        form = std::make_unique<TMainForm>(nullptr, *backend);
        form->show();
        NumberEdit* frequency = Field(QStringLiteral("suiNumberEdit_RfFrequency"));
        QCOMPARE(frequency->text(), QStringLiteral("434,00"));
        Empty(frequency);
        QTest::keyClicks(frequency, QStringLiteral("868,5"));
        QCOMPARE(frequency->text(), QStringLiteral("868,5"));
        QCOMPARE(frequency->Value(), 868.5);
        QTest::keyClicks(frequency, QStringLiteral(".,"));  // a point, then a second comma
        QCOMPARE(beeps, 2);
        QCOMPARE(frequency->text(), QStringLiteral("868,5"));
    }
};

}  // namespace vesk::ui

QTEST_MAIN(vesk::ui::NumberFieldTest)
#include "number_field_test.moc"
