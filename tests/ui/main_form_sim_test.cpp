// The window against the simulated module on a real pseudo-terminal: Read All,
// Write All, a silent module, and the module going away while the port is open.
#include <QComboBox>
#include <QLocale>
#include <QPushButton>
#include <QtTest>
#include <csignal>
#include <memory>

#include "support/sim_process.h"
#include "ui/MainUnit.h"

namespace vesk::ui {

class MainFormSimTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<testing::ScopedRuntimeDir> runtimeDir;
    std::unique_ptr<testing::SimProcess> sim;
    std::unique_ptr<TMainForm> form;

    QComboBox* List(const char* name) const {
        return form->findChild<QComboBox*>(QString::fromLatin1(name));
    }
    QPushButton* Button(const char* name) const {
        return form->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    NumberEdit* Field(const char* name) const {
        return form->findChild<NumberEdit*>(QString::fromLatin1(name));
    }

    // Starts the module, shows the window and opens the module's port.
    bool StartAndOpen(const std::vector<std::string>& simArgs) {
        sim = testing::SimProcess::Start(simArgs);
        if (!sim) {
            return false;
        }
        form = std::make_unique<TMainForm>();
        form->show();
        QComboBox* port = List("suiComboBox_PcPort");
        const int index = port->findText(QStringLiteral("COM%1").arg(sim->ComNumber()));
        if (index < 0) {
            qWarning("the module's port is not listed");
            return false;
        }
        port->setCurrentIndex(index);
        QTest::mouseClick(Button("suiButton_OpenPort"), Qt::LeftButton);
        return form->StatusText(0) == QStringLiteral("Opened");
    }

  private slots:
    void initTestCase() {
        runtimeDir = std::make_unique<testing::ScopedRuntimeDir>();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void cleanup() {
        form.reset();
        sim.reset();
    }
    void cleanupTestCase() { runtimeDir.reset(); }

    void ReadAllShowsEverySettingOfTheModule() {
        QVERIFY(StartAndOpen({"--no-line-time"}));
        // The list's tooltip names the device behind the selected port.
        QVERIFY2(List("suiComboBox_PcPort")
                     ->toolTip()
                     .contains(QString::fromStdString(sim->DevicePath())),
                 qPrintable(List("suiComboBox_PcPort")->toolTip()));
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        QCOMPARE(form->StatusText(1), QStringLiteral("......"));
        QTRY_COMPARE_WITH_TIMEOUT(form->StatusText(1), QStringLiteral("Successful"), 10000);
        // The simulated module's own settings, all different from the defaults.
        QCOMPARE(Field("suiNumberEdit_RfFrequency")->text(), QStringLiteral("868.00"));
        QCOMPARE(List("suiComboBox_RfFactor")->currentText(), QStringLiteral("512"));
        QCOMPARE(List("suiComboBox1")->currentText(), QStringLiteral("Central"));
        QCOMPARE(List("suiComboBox_RFBW")->currentText(), QStringLiteral("250K"));
        QCOMPARE(Field("suiNumberEdit_CustID_H")->text(), QStringLiteral("4660"));
        QCOMPARE(Field("suiNumberEdit_NetID")->text(), QStringLiteral("17"));
        QCOMPARE(List("suiComboBox_Power")->currentText(), QStringLiteral("5"));
        QCOMPARE(List("suiComboBox_McuBaudRate")->currentText(), QStringLiteral("9600"));
        QCOMPARE(List("suiComboBox_McuParity")->currentText(), QStringLiteral("EVEN"));
        QCOMPARE(List("suiComboBox2")->currentText(), QStringLiteral("6s"));
        QCOMPARE(List("suiComboBox3")->currentText(), QStringLiteral("4ms"));
    }

    void WriteAllStoresWhatTheControlsShow() {
        QVERIFY(StartAndOpen({}));
        Field("suiNumberEdit_RfFrequency")->SetValue(433.92);
        List("suiComboBox_RfFactor")->setCurrentIndex(5);
        List("suiComboBox1")->setCurrentIndex(2);
        Field("suiNumberEdit_CustID_H")->SetValue(513);
        Field("suiNumberEdit_NetID")->SetValue(200);
        List("suiComboBox_Power")->setCurrentIndex(2);
        List("suiComboBox2")->setCurrentIndex(-1);
        const ModuleParams written = form->CollectParams();
        QTest::mouseClick(Button("btn_WriteAll"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form->StatusText(1), QStringLiteral("Successful"), 10000);
        ModuleParams stored = form->Serial()->LastReply();
        QCOMPARE(stored.command, kCommandWriteAll);
        stored.command = 0;
        QCOMPARE(stored, written);

        // A fresh window reads the same settings back.
        form.reset();
        form = std::make_unique<TMainForm>();
        form->show();
        QComboBox* port = List("suiComboBox_PcPort");
        port->setCurrentIndex(port->findText(QStringLiteral("COM%1").arg(sim->ComNumber())));
        QTest::mouseClick(Button("suiButton_OpenPort"), Qt::LeftButton);
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form->StatusText(1), QStringLiteral("Successful"), 10000);
        QCOMPARE(form->CollectParams(), written);
        QCOMPARE(List("suiComboBox2")->currentIndex(), -1);
    }

    void ASilentModuleTimesOutAndLeavesTheControls() {
        QVERIFY(StartAndOpen({"--mute"}));
        const ModuleParams before = form->CollectParams();
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        form->tmr1Timer();
        form->tmr1Timer();
        QCOMPARE(form->StatusText(1), QStringLiteral("......"));
        form->tmr1Timer();
        QCOMPARE(form->StatusText(1), QStringLiteral("Error:TimeOut!"));
        QCOMPARE(form->CollectParams(), before);
    }

    void UnpluggingTheModuleReturnsToClosed() {
        QVERIFY(StartAndOpen({}));
        sim->Kill(SIGKILL);
        QTRY_COMPARE_WITH_TIMEOUT(form->StatusText(0), QStringLiteral("Closed"), 10000);
        QCOMPARE(form->StatusText(1), QStringLiteral("Fail!"));
        QVERIFY(!form->Serial()->IsOpen());
        QVERIFY(List("suiComboBox_PcPort")->isEnabled());
        QVERIFY(!Button("btn_ReadAll")->isEnabled());
    }
};

}  // namespace vesk::ui

QTEST_MAIN(vesk::ui::MainFormSimTest)
#include "main_form_sim_test.moc"
