// The window through the faults a user meets: the module unplugged while a
// request is outstanding, coming back on the same COM number, and a module that
// stops reading until the line is full.
#include <signal.h>
#include <unistd.h>

#include <QComboBox>
#include <QPushButton>
#include <QtTest>
#include <memory>
#include <vector>

#include "platform/com_port_map.h"
#include "support/pty_module.h"
#include "support/sim_process.h"
#include "ui/MainUnit.h"

namespace vesk::ui {

class WindowReliabilityTest : public QObject {
    Q_OBJECT

  private:
    static constexpr unsigned kPort = 7;

    std::unique_ptr<testing::ScopedRuntimeDir> runtimeDir;
    std::unique_ptr<testing::SimProcess> sim;
    std::unique_ptr<testing::PtyModule> pty;
    std::unique_ptr<TMainForm> form;

    QPushButton* Button(const char* name) const {
        return form->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    // Lists the ports again and opens COM7.
    bool ListAndOpen() {
        QTest::mouseClick(Button("suiButton1"), Qt::LeftButton);
        QComboBox* port = form->findChild<QComboBox*>(QStringLiteral("suiComboBox_PcPort"));
        const int index = port->findText(QStringLiteral("COM%1").arg(kPort));
        if (index < 0) {
            qWarning("COM%u is not listed", kPort);
            return false;
        }
        port->setCurrentIndex(index);
        QTest::mouseClick(Button("suiButton_OpenPort"), Qt::LeftButton);
        return form->StatusText(0) == QStringLiteral("Opened");
    }

    bool StartSim(const std::vector<std::string>& extraArgs) {
        std::vector<std::string> args = {"--com", std::to_string(kPort), "--no-line-time"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        sim = testing::SimProcess::Start(args);
        return sim != nullptr;
    }

  private slots:
    void initTestCase() { runtimeDir = std::make_unique<testing::ScopedRuntimeDir>(); }
    void init() {
        form = std::make_unique<TMainForm>();
        form->show();
    }
    void cleanup() {
        form.reset();
        sim.reset();
        pty.reset();
        unlink(platform::VirtualPortPath(kPort).c_str());
    }
    void cleanupTestCase() { runtimeDir.reset(); }

    void UnpluggingDuringARequestClosesAndTheModuleCanBeUsedWhenItComesBack_data() {
        QTest::addColumn<bool>("killSimulator");
        QTest::newRow("the pty master closes") << false;
        QTest::newRow("vesk-sim is killed") << true;
    }

    void UnpluggingDuringARequestClosesAndTheModuleCanBeUsedWhenItComesBack() {
        QFETCH(bool, killSimulator);
        if (killSimulator) {
            // The reply is held back long enough to pull the plug on it.
            QVERIFY(StartSim({"--reply-delay", "5000"}));
        } else {
            pty = std::make_unique<testing::PtyModule>(kPort);
            QVERIFY(pty->IsReady());
        }
        QVERIFY(ListAndOpen());
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        QCOMPARE(form->StatusText(1), QStringLiteral("......"));
        if (killSimulator) {
            sim->Kill(SIGKILL);
        } else {
            QCOMPARE(pty->Read(kFrameSize).size(), kFrameSize);
            pty->Unplug();
        }
        QTRY_COMPARE_WITH_TIMEOUT(form->StatusText(0), QStringLiteral("Closed"), 10000);
        QCOMPARE(form->StatusText(1), QStringLiteral("Fail!"));
        // The outstanding request is over: later ticks do not turn it into a time-out.
        for (int tick = 0; tick < 4; ++tick) {
            form->tmr1Timer();
        }
        QCOMPARE(form->StatusText(1), QStringLiteral("Fail!"));

        // Back on the same number: the dead entry goes, a live module takes its place.
        if (sim) {
            sim->Stop();
        }
        pty.reset();
        unlink(platform::VirtualPortPath(kPort).c_str());
        QVERIFY(StartSim({}));
        QVERIFY(ListAndOpen());
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form->StatusText(1), QStringLiteral("Successful"), 10000);
    }

    void AModuleThatStopsReadingTimesOutAndTheWindowStillCloses() {
        QVERIFY(StartSim({"--stall"}));
        QVERIFY(ListAndOpen());
        // Fill the line the way a long run of unanswered requests would.
        const std::vector<std::uint8_t> block(64 * 1024, 0x55);
        form->Serial()->Send(block.data(), block.size());
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        QCOMPARE(form->StatusText(1), QStringLiteral("......"));
        for (int tick = 0; tick < 3; ++tick) {
            form->tmr1Timer();
        }
        QCOMPARE(form->StatusText(1), QStringLiteral("Error:TimeOut!"));
        QTest::mouseClick(Button("suiButton_OpenPort"), Qt::LeftButton);
        QCOMPARE(form->StatusText(0), QStringLiteral("Closed"));
    }
};

}  // namespace vesk::ui

QTEST_MAIN(vesk::ui::WindowReliabilityTest)
#include "window_reliability_test.moc"
