// TMainForm, the program's only window: it owns the module endpoint, lets the
// user pick and open a COM port, sends the read-all and write-all requests,
// shows the module's settings and reports progress in the status bar. A
// one-second timer drives the clock and the reply time-out.
//
// Threading: every handler runs on the window's thread. The endpoint's reader
// thread reaches the window only through a registered window target whose
// sink posts a ReplyEvent to this object; the reply itself is fetched as a
// copy with LastReply while the event is handled.
#pragma once

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "link/protocol_endpoint.h"
#include "platform/serial_device.h"
#include "platform/window_message.h"
#include "ui/number_edit.h"
#include "ui/setting_choices.h"
#include "ui/skin_style.h"
#include "ui/skinned_frame.h"
#include "ui/status_bar.h"

namespace vesk::ui {

// A window message posted by the reader thread, carried into the event queue.
class ReplyEvent : public QEvent {
  public:
    ReplyEvent(std::uint32_t messageNumber, std::uintptr_t w, std::intptr_t l);
    static QEvent::Type EventType();

    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// A picture that reports clicks; the pointer stays an arrow over it.
class ImagePanel : public QLabel {
    Q_OBJECT
  public:
    explicit ImagePanel(QWidget* parent);
  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TMainForm : public QWidget {
    Q_OBJECT
  public:
    explicit TMainForm(QWidget* parent = nullptr,
                       platform::SerialBackend& backend = platform::SystemSerialBackend());
    ~TMainForm() override;

    static constexpr int kClientWidth = 389;
    static constexpr int kClientHeight = 322;

    void SetStatus(const QString& text, unsigned panel);
    QString StatusText(unsigned panel) const { return suiStatusBar1->PanelText(panel); }
    int WaitTicks() const { return waitTicks; }
    VeskSerial* Serial() const { return serial.get(); }

    // The selection state of the module settings, and the record built from it.
    ModuleSelection ReadSelection() const;
    ModuleParams CollectParams() const;
    void ShowParams(const ModuleParams& params);

  public slots:
    void FormShow();
    void suiButton1Click();
    void suiButton_OpenPortClick();
    void btn_ReadAllClick();
    void btn_WriteAllClick();
    void tmr1Timer();
    void img2Click();
    void suiNumberEdit_RfFrequencyChange();
    void suiNumberEdit_CustID_HChange();
    void suiNumberEdit_NetIDChange();
    void FormDestroy();

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void OnReply();
    void OnBadChecksum();
    void OnPortLost();
    void CreateControls();
    QGroupBox* AddGroup(const QString& caption, int left, int top, int width, int height);
    QLabel* AddLabel(QWidget* group, const QString& text, int left, int top);
    QComboBox* AddList(QWidget* group, const char* name, const ChoiceList& choices,
                       const QString& accessibleName, QRect geometry);
    NumberEdit* AddNumber(QWidget* group, const char* name, int decimals, const QColor& colour,
                          const QString& accessibleName, QRect geometry);
    void ListPorts();
    void ShowPortState();
    void UpdatePortTooltip();
    void ApplySelection(const ModuleSelection& selection);

    std::unique_ptr<SkinStyle> skin;  // outlives the controls: ~TMainForm deletes them first
    SkinnedFrame* suiForm1 = nullptr;
    QComboBox* suiComboBox_PcPort = nullptr;
    QComboBox* suiComboBox_PcBaudRate = nullptr;
    QComboBox* suiComboBox_PcParity = nullptr;
    QPushButton* suiButton_OpenPort = nullptr;
    QPushButton* suiButton1 = nullptr;
    NumberEdit* suiNumberEdit_RfFrequency = nullptr;
    QComboBox* suiComboBox_RfFactor = nullptr;
    QComboBox* suiComboBox1 = nullptr;
    QComboBox* suiComboBox_RFBW = nullptr;
    NumberEdit* suiNumberEdit_CustID_H = nullptr;
    NumberEdit* suiNumberEdit_NetID = nullptr;
    QComboBox* suiComboBox2 = nullptr;
    QComboBox* suiComboBox_Power = nullptr;
    QComboBox* suiComboBox3 = nullptr;
    QComboBox* suiComboBox_McuBaudRate = nullptr;
    QComboBox* suiComboBox_McuParity = nullptr;
    QPushButton* btn_WriteAll = nullptr;
    QPushButton* btn_ReadAll = nullptr;
    ImagePanel* img1 = nullptr;
    ImagePanel* img2 = nullptr;
    StatusBar* suiStatusBar1 = nullptr;
    QTimer* tmr1 = nullptr;

    platform::SerialBackend& portBackend;  // lists the ports; the endpoint opens them
    std::unique_ptr<VeskSerial> serial;
    std::uint32_t recvMessage = 0;
    std::int32_t waitTicks = -1;
    platform::WindowHandle windowTarget = 0;
    bool shown = false;
};

}  // namespace vesk::ui
