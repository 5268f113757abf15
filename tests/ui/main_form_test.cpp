// The main window on a scripted serial backend: layout, names, defaults, the
// port and request states, the time-out, and the notifications from the link.
#include <QAccessible>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "link/fake_serial_backend.h"
#include "link/frame_fixtures.h"
#include "ui/MainUnit.h"
#include "ui/application_title.h"
#include "ui/exception_display.h"

namespace vesk::ui {

// Receives the URLs the window hands to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

class MainFormTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<testing::FakeSerialBackend> backend;
    std::unique_ptr<TMainForm> form;

    template <typename T>
    T* Find(const char* name) const {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qFatal("no widget %s", name);
        }
        return widget;
    }
    QComboBox* List(const char* name) const { return Find<QComboBox>(name); }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
    NumberEdit* Field(const char* name) const { return Find<NumberEdit>(name); }

    void Open() {
        QTest::mouseClick(Button("suiButton_OpenPort"), Qt::LeftButton);
        QCOMPARE(form->StatusText(0), QStringLiteral("Opened"));
    }
    void Reply(const ModuleParams& params, bool goodChecksum = true) {
        Frame frame = BuildFrame(kCommandReadAll, params);
        if (!goodChecksum) {
            frame[offset::kChecksum] ^= 0x5A;
        }
        backend->Inject(testing::ToBytes(frame));
    }
    static ModuleParams ModuleSettings() {
        return {kCommandReadAll, 6, 2, 868.25, 9, 1, 8, 0x12, 0x34, 17, 5, 2, 1};
    }

  private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        backend = std::make_unique<testing::FakeSerialBackend>();
        backend->SetPresentPorts({3, 12});
        form = std::make_unique<TMainForm>(nullptr, *backend);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup() {
        form.reset();
        backend.reset();
    }

    void ControlsSitAtTheirPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        const auto row = [](const char* name, int x, int y, int w, int h) {
            QTest::newRow(name) << QString::fromLatin1(name) << QRect(x, y, w, h);
        };
        row("suiForm1", 0, 0, 389, 322);
        row("suiGroupBox_Usart", 0, 24, 129, 109);
        row("suiGroupBox_RF_frequency", 136, 24, 113, 40);
        row("suiGroupBox_RF_Factor", 264, 24, 121, 41);
        row("suiGroupBox_RF_Mode", 136, 72, 113, 51);
        row("suiGroupBox_RF_BW", 264, 72, 121, 51);
        row("suiGroupBox_NodeID", 136, 128, 57, 41);
        row("suiGroupBox_NetID", 200, 128, 57, 41);
        row("suiGroupBox_Breath", 269, 129, 116, 38);
        row("suiGroupBox_Power", 136, 172, 121, 38);
        row("suiGroupBox_WakeTimer", 268, 171, 117, 38);
        row("suiGroupBox_SerialPortConfiguration", 136, 214, 257, 46);
        row("btn_WriteAll", 144, 268, 97, 25);
        row("btn_ReadAll", 272, 266, 97, 27);
        row("img1", 2, 136, 131, 96);
        row("img2", -1, 235, 135, 61);
        row("suiStatusBar1", 0, 301, 389, 21);
    }
    void ControlsSitAtTheirPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        auto* widget = form->findChild<QWidget*>(name);
        QVERIFY(widget != nullptr);
        QCOMPARE(widget->mapTo(form.get(), QPoint(0, 0)), geometry.topLeft());
        QCOMPARE(widget->size(), geometry.size());
    }

    void WindowIsAFixedFramelessDialogWithItsOwnTitle() {
        QCOMPARE(form->size(), QSize(389, 322));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(form->windowTitle(), QStringLiteral("Vesk_R20 v3.1"));
        QCOMPARE(Find<TitleBar>("suiTitleBar")->Caption(), QStringLiteral("Vesk_R20 v3.1"));
        QCOMPARE(Find<QTimer>("tmr1")->interval(), 1000);
        QVERIFY(Find<ImagePanel>("img1")->pixmap().isNull() == false);
        QCOMPARE(Find<ImagePanel>("img2")->cursor().shape(), Qt::ArrowCursor);
    }

    void EveryControlHasAnAccessibleName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accessibleName");
        const auto row = [](const char* name, const char* accessible) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(accessible);
        };
        row("suiGroupBox_Usart", "Usart");
        row("suiComboBox_PcPort", "Com");
        row("suiComboBox_PcBaudRate", "BaudRate");
        row("suiComboBox_PcParity", "Parity");
        row("suiButton_OpenPort", "Open");
        row("suiButton1", "Refresh");
        row("suiNumberEdit_RfFrequency", "RF_frequency");
        row("suiComboBox_RfFactor", "RF_Factor");
        row("suiComboBox1", "Mode");
        row("suiComboBox_RFBW", "RF_BW");
        row("suiNumberEdit_CustID_H", "Node ID");
        row("suiNumberEdit_NetID", "Net ID");
        row("suiComboBox2", "Breath");
        row("suiComboBox_Power", "Power");
        row("suiComboBox3", "Wake Timer");
        row("suiComboBox_McuBaudRate", "BaudRate");
        row("suiComboBox_McuParity", "Parity");
        row("btn_WriteAll", "Write All");
        row("btn_ReadAll", "Read All");
        row("img2", "User guide");
        row("suiTitleBar_ControlBox", "Window menu");
        row("suiTitleBar_Close", "Close");
    }
    void EveryControlHasAnAccessibleName() {
        QFETCH(QString, name);
        QFETCH(QString, accessibleName);
        auto* widget = form->findChild<QWidget*>(name);
        QVERIFY(widget != nullptr);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(accessible != nullptr);
        QCOMPARE(accessible->text(QAccessible::Name), accessibleName);
    }

    void NoControlIsLeftUnnamed() {
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            const bool operable =
                qobject_cast<QComboBox*>(widget) || qobject_cast<QLineEdit*>(widget) ||
                qobject_cast<QAbstractButton*>(widget) || qobject_cast<QGroupBox*>(widget);
            if (operable && widget->isVisible()) {
                QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
            }
        }
    }

    void FirstShowListsPortsAndShowsClosed() {
        QComboBox* port = List("suiComboBox_PcPort");
        QCOMPARE(port->count(), 2);
        QCOMPARE(port->itemText(0), QStringLiteral("COM3"));
        QCOMPARE(port->itemText(1), QStringLiteral("COM12"));
        QCOMPARE(port->currentIndex(), 0);
        QCOMPARE(form->StatusText(0), QStringLiteral("Closed"));
        QCOMPARE(form->StatusText(1), QString());
        QVERIFY(!form->StatusText(2).isEmpty());
        QCOMPARE(Button("suiButton_OpenPort")->text(), QStringLiteral("Open"));
        QVERIFY(!Button("btn_ReadAll")->isEnabled());
        QVERIFY(!Button("btn_WriteAll")->isEnabled());
        QVERIFY(Find<QTimer>("tmr1")->isActive());
    }

    void RefreshListsThePortsAgain() {
        backend->SetPresentPorts({1, 255});
        QTest::mouseClick(Button("suiButton1"), Qt::LeftButton);
        QComboBox* port = List("suiComboBox_PcPort");
        QCOMPARE(port->count(), 2);
        QCOMPARE(port->itemText(0), QStringLiteral("COM1"));
        QCOMPARE(port->itemText(1), QStringLiteral("COM255"));
    }

    void DefaultsGiveTheDefaultWriteFrameOnTheWire() {
        Open();
        backend->ClearRecord();
        QTest::mouseClick(Button("btn_WriteAll"), Qt::LeftButton);
        QCOMPARE(backend->Written(), testing::ToBytes(testing::kDefaultWriteFrame));
        QCOMPARE(form->StatusText(1), QStringLiteral("......"));
        QCOMPARE(form->WaitTicks(), 0);
    }

    void ReadAllSendsTheReadRequest() {
        Open();
        backend->ClearRecord();
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        QCOMPARE(backend->Written(), testing::ToBytes(ReadRequest()));
        QCOMPARE(form->StatusText(1), QStringLiteral("......"));
    }

    void WriteAllSendsWhatTheControlsShow() {
        Open();
        List("suiComboBox_RfFactor")->setCurrentIndex(0);
        List("suiComboBox1")->setCurrentIndex(2);
        List("suiComboBox_RFBW")->setCurrentIndex(3);
        List("suiComboBox_McuBaudRate")->setCurrentIndex(7);
        List("suiComboBox_McuParity")->setCurrentIndex(1);
        List("suiComboBox_Power")->setCurrentIndex(0);
        List("suiComboBox2")->setCurrentIndex(4);
        List("suiComboBox3")->setCurrentIndex(-1);
        Field("suiNumberEdit_RfFrequency")->SetValue(868.25);
        Field("suiNumberEdit_CustID_H")->SetValue(4660);
        Field("suiNumberEdit_NetID")->SetValue(17);
        backend->ClearRecord();
        QTest::mouseClick(Button("btn_WriteAll"), Qt::LeftButton);
        const ModuleParams expected{0, 8, 1, 868.25, 7, 2, 9, 0x12, 0x34, 17, 1, 4, 0xFF};
        QCOMPARE(backend->Written(), testing::ToBytes(BuildWriteRequest(expected)));
    }

    void OpenAndCloseSwitchTheEnabledStates() {
        const QList<const char*> pcSide = {"suiComboBox_PcPort", "suiComboBox_PcBaudRate",
                                           "suiComboBox_PcParity"};
        List("suiComboBox_PcPort")->setCurrentIndex(1);  // COM12
        Open();
        QCOMPARE(form->Serial()->PortNumber(), 12u);
        QCOMPARE(form->Serial()->BaudRate(), 9600);
        for (const char* name : pcSide) {
            QVERIFY2(!List(name)->isEnabled(), name);
        }
        QVERIFY(!Button("suiButton1")->isEnabled());
        QVERIFY(Button("btn_ReadAll")->isEnabled());
        QVERIFY(Button("btn_WriteAll")->isEnabled());
        QCOMPARE(Button("suiButton_OpenPort")->text(), QStringLiteral("Close"));

        QTest::mouseClick(Button("suiButton_OpenPort"), Qt::LeftButton);
        QCOMPARE(form->StatusText(0), QStringLiteral("Closed"));
        QCOMPARE(form->StatusText(1), QStringLiteral(" "));
        for (const char* name : pcSide) {
            QVERIFY2(List(name)->isEnabled(), name);
        }
        QVERIFY(Button("suiButton1")->isEnabled());
        QVERIFY(!Button("btn_ReadAll")->isEnabled());
        QVERIFY(!Button("btn_WriteAll")->isEnabled());
        QCOMPARE(Button("suiButton_OpenPort")->text(), QStringLiteral("Open"));
    }

    void OpenWithNoPortListedStaysClosed() {
        backend->SetPresentPorts({});
        QTest::mouseClick(Button("suiButton1"), Qt::LeftButton);
        QCOMPARE(List("suiComboBox_PcPort")->count(), 0);
        QTest::mouseClick(Button("suiButton_OpenPort"), Qt::LeftButton);
        QVERIFY(!form->Serial()->IsOpen());
        QCOMPARE(form->StatusText(0), QStringLiteral("Closed"));
        QCOMPARE(form->StatusText(1), QStringLiteral(" "));
        QVERIFY(!List("suiComboBox_PcPort")->toolTip().isEmpty());
    }

    void RequestsOnAClosedPortFail() {
        form->btn_ReadAllClick();
        QCOMPARE(form->StatusText(1), QStringLiteral("Fail!"));
        form->SetStatus(QString(), 1);
        form->btn_WriteAllClick();
        QCOMPARE(form->StatusText(1), QStringLiteral("Fail!"));
        QCOMPARE(form->WaitTicks(), -1);
    }

    void SilentModuleTimesOutOnTheThirdTick() {
        Open();
        const ModuleParams before = form->CollectParams();
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        form->tmr1Timer();
        form->tmr1Timer();
        QCOMPARE(form->StatusText(1), QStringLiteral("......"));
        form->tmr1Timer();
        QCOMPARE(form->StatusText(1), QStringLiteral("Error:TimeOut!"));
        QCOMPARE(form->WaitTicks(), -1);
        QCOMPARE(form->CollectParams(), before);
    }

    void ANewRequestRestartsTheCount() {
        Open();
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        form->tmr1Timer();
        form->tmr1Timer();
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        form->tmr1Timer();
        form->tmr1Timer();
        QCOMPARE(form->StatusText(1), QStringLiteral("......"));
    }

    void ClosingDoesNotEndTheWait() {
        Open();
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        QTest::mouseClick(Button("suiButton_OpenPort"), Qt::LeftButton);
        QCOMPARE(form->StatusText(1), QStringLiteral(" "));
        form->tmr1Timer();
        form->tmr1Timer();
        form->tmr1Timer();
        QCOMPARE(form->StatusText(1), QStringLiteral("Error:TimeOut!"));
    }

    void AGoodReplyShowsEverySetting() {
        Open();
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        Reply(ModuleSettings());
        QTRY_COMPARE_WITH_TIMEOUT(form->StatusText(1), QStringLiteral("Successful"), 10000);
        QCOMPARE(form->WaitTicks(), -1);
        QCOMPARE(Field("suiNumberEdit_RfFrequency")->text(), QStringLiteral("868.25"));
        QCOMPARE(List("suiComboBox_RfFactor")->currentText(), QStringLiteral("512"));
        QCOMPARE(List("suiComboBox1")->currentText(), QStringLiteral("Central"));
        QCOMPARE(List("suiComboBox_RFBW")->currentText(), QStringLiteral("250K"));
        QCOMPARE(Field("suiNumberEdit_CustID_H")->text(), QStringLiteral("4660"));
        QCOMPARE(Field("suiNumberEdit_NetID")->text(), QStringLiteral("17"));
        QCOMPARE(List("suiComboBox_Power")->currentText(), QStringLiteral("5"));
        QCOMPARE(List("suiComboBox_McuBaudRate")->currentText(), QStringLiteral("38400"));
        QCOMPARE(List("suiComboBox_McuParity")->currentText(), QStringLiteral("EVEN"));
        QCOMPARE(List("suiComboBox2")->currentText(), QStringLiteral("6s"));
        QCOMPARE(List("suiComboBox3")->currentText(), QStringLiteral("4ms"));
        ModuleParams expected = ModuleSettings();
        expected.command = 0;
        QCOMPARE(form->CollectParams(), expected);
    }

    void AReplyAfterTheTimeOutIsStillShown() {
        Open();
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        form->tmr1Timer();
        form->tmr1Timer();
        form->tmr1Timer();
        QCOMPARE(form->StatusText(1), QStringLiteral("Error:TimeOut!"));
        Reply(ModuleSettings());
        QTRY_COMPARE_WITH_TIMEOUT(form->StatusText(1), QStringLiteral("Successful"), 10000);
        QCOMPARE(List("suiComboBox1")->currentText(), QStringLiteral("Central"));
    }

    void AChecksumMismatchEndsTheWaitAndKeepsTheControls() {
        Open();
        const ModuleParams before = form->CollectParams();
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        Reply(ModuleSettings(), false);
        QTRY_COMPARE_WITH_TIMEOUT(form->StatusText(1), QStringLiteral("Error:Checksum!"), 10000);
        QCOMPARE(form->WaitTicks(), -1);
        QCOMPARE(form->CollectParams(), before);
    }

    void ALostPortReturnsToClosed() {
        Open();
        QTest::mouseClick(Button("btn_ReadAll"), Qt::LeftButton);
        backend->HangUp();
        QTRY_COMPARE_WITH_TIMEOUT(form->StatusText(0), QStringLiteral("Closed"), 10000);
        QCOMPARE(form->StatusText(1), QStringLiteral("Fail!"));
        QVERIFY(!form->Serial()->IsOpen());
        QCOMPARE(Button("suiButton_OpenPort")->text(), QStringLiteral("Open"));
        QVERIFY(!Button("btn_ReadAll")->isEnabled());
        form->tmr1Timer();
        form->tmr1Timer();
        form->tmr1Timer();
        QCOMPARE(form->StatusText(1), QStringLiteral("Fail!"));
    }

    void ClosingTheWindowWithThePortOpenReleasesIt() {
        Open();
        QCOMPARE(backend->OpenDevices(), 1);
        form.reset();
        QCOMPARE(backend->OpenDevices(), 0);
    }

    void StatusPanelsBeyondTheThirdAreIgnored() {
        form->SetStatus(QStringLiteral("x"), 3);
        for (unsigned panel = 0; panel < 3; ++panel) {
            QVERIFY(form->StatusText(panel) != QStringLiteral("x"));
        }
    }

    void ClickingTheBannerOpensTheUserGuide() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
        QTest::mouseClick(Find<ImagePanel>("img2"), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls.size(), 1);
        QVERIFY(catcher.urls.front().isLocalFile());
        QVERIFY(catcher.urls.front().path().endsWith(QStringLiteral("guide/index.html")));
    }

    void DraggingTheTitleBarMovesTheWindow() {
        auto* title = Find<TitleBar>("suiTitleBar");
        const QPoint start = form->pos();
        QTest::mousePress(title, Qt::LeftButton, {}, QPoint(100, 10));
        QTest::mouseMove(title, QPoint(130, 30));
        QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(130, 30));
        QCOMPARE(form->pos(), start + QPoint(30, 20));
    }

    void TheControlBoxOpensTheWindowMenuAndCloseClosesTheWindow() {
        QTest::mouseClick(Find<QAbstractButton>("suiTitleBar_ControlBox"), Qt::LeftButton);
        QMenu* menu = Find<QMenu>("suiTitleBar_WindowMenu");
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 5000);
        QStringList items;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                items.append(action->text());
            }
        }
        QCOMPARE(items, (QStringList{QStringLiteral("&Move"), QStringLiteral("&Close")}));
        menu->close();
        QTest::mouseClick(Find<QAbstractButton>("suiTitleBar_Close"), Qt::LeftButton);
        QVERIFY(!form->isVisible());
    }

    void ApplicationTitleFollowsTheFileName_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << "/usr/bin/vesk-config"
                               << "Vesk-config";
        QTest::newRow("upper case") << "/opt/VESK-CONFIG"
                                    << "Vesk-config";
        QTest::newRow("up to the first full stop") << "/tmp/Vesk.Config.bin"
                                                   << "Vesk";
        QTest::newRow("lower case first letter") << "tool"
                                                 << "Tool";
    }
    void ApplicationTitleFollowsTheFileName() {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(ApplicationTitleFromPath(path), title);
    }

    void ExceptionMessagesGetAFullStopWhereOneIsMissing_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a letter at the end") << "Port busy"
                                             << "Port busy.";
        QTest::newRow("already a full stop") << "Done."
                                             << "Done.";
        QTest::newRow("a bracket sorts before the full stop") << "Code (3)"
                                                              << "Code (3)";
        QTest::newRow("a digit sorts after it") << "Code 3"
                                                << "Code 3.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void ExceptionMessagesGetAFullStopWhereOneIsMissing() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ExceptionMessageText(message), shown);
    }
};

}  // namespace vesk::ui

QTEST_MAIN(vesk::ui::MainFormTest)
#include "main_form_test.moc"
