#include "ui/MainUnit.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QScreen>
#include <QTime>

#include "platform/com_port_map.h"
#include "ui/accessible_list.h"
#include "ui/jpeg_image.h"
#include "ui/port_details.h"
#include "ui/skin_style.h"
#include "ui/user_guide.h"

namespace vesk::ui {
namespace {

constexpr char kReplyMessageName[] = "QuondaSerial_MSG_RECV_1";

QPixmap LoadPicture(const QString& resourcePath) {
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QPixmap::fromImage(DecodeJpeg(file.readAll()));
}

QString ShortTimeOfDay() {
    return QLocale().toString(QTime::currentTime(), QLocale::ShortFormat);
}

// Black text, grey while disabled, so a user sees which buttons and lists are locked.
void SetTextColour(QPalette& palette, QPalette::ColorRole role,
                   const QColor& disabled = kDisabledTextColour) {
    palette.setColor(QPalette::Active, role, Qt::black);
    palette.setColor(QPalette::Inactive, role, Qt::black);
    palette.setColor(QPalette::Disabled, role, disabled);
}

}  // namespace

ReplyEvent::ReplyEvent(std::uint32_t messageNumber, std::uintptr_t w, std::intptr_t l)
    : QEvent(EventType()), message(messageNumber), wParam(w), lParam(l) {}

QEvent::Type ReplyEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

ImagePanel::ImagePanel(QWidget* parent) : QLabel(parent) {
    setScaledContents(true);
    setCursor(Qt::ArrowCursor);
}

void ImagePanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

TMainForm::TMainForm(QWidget* parent, platform::SerialBackend& backend)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint),
      skin(std::make_unique<SkinStyle>()),
      portBackend(backend) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Vesk_R20 v3.1"));
    setAccessibleName(windowTitle());
    setFixedSize(kClientWidth, kClientHeight);
    setFont(ControlFont());
    InstallListAccessibility();
    CreateControls();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    recvMessage = platform::RegisterWindowMessage(kReplyMessageName);
    serial = std::make_unique<VeskSerial>(backend);
    // The sink runs on the reader thread: it only queues an event.
    windowTarget = platform::RegisterWindowTarget(
        [this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
            QCoreApplication::postEvent(this, new ReplyEvent(message, wParam, lParam));
        });
    serial->SetNotify(windowTarget, recvMessage);
    waitTicks = -1;
}

TMainForm::~TMainForm() {
    FormDestroy();
    // The controls go before the style they are drawn with.
    delete suiForm1;
}

void TMainForm::CreateControls() {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kFrameColour);
    palette.setColor(QPalette::Button, kFrameColour);
    SetTextColour(palette, QPalette::WindowText);
    SetTextColour(palette, QPalette::ButtonText);
    setPalette(palette);

    suiForm1 = new SkinnedFrame(this);
    suiForm1->setObjectName(QStringLiteral("suiForm1"));
    suiForm1->setGeometry(0, 0, kClientWidth, kClientHeight);
    suiForm1->Title()->SetCaption(windowTitle());
    suiForm1->Title()->SetIcon(QApplication::windowIcon());

    QGroupBox* usart = AddGroup(QStringLiteral("Usart"), 0, 24, 129, 109);
    AddLabel(usart, QStringLiteral("Com:"), 6, 20);
    AddLabel(usart, QStringLiteral("BaudRate:"), 6, 42);
    AddLabel(usart, QStringLiteral("Parity:"), 6, 64);
    suiComboBox_PcPort = AddList(usart, "suiComboBox_PcPort", ChoiceList{{}, kNoSelection},
                                 QStringLiteral("Com"), QRect(60, 16, 63, 20));
    suiComboBox_PcBaudRate = AddList(usart, "suiComboBox_PcBaudRate", kBaudRateChoices,
                                     QStringLiteral("BaudRate"), QRect(60, 38, 63, 20));
    suiComboBox_PcParity = AddList(usart, "suiComboBox_PcParity", kParityChoices,
                                   QStringLiteral("Parity"), QRect(60, 60, 63, 20));
    suiButton_OpenPort = new QPushButton(QStringLiteral("Open"), usart);
    suiButton_OpenPort->setObjectName(QStringLiteral("suiButton_OpenPort"));
    suiButton_OpenPort->setGeometry(6, 83, 56, 21);
    suiButton1 = new QPushButton(QStringLiteral("Refresh"), usart);
    suiButton1->setObjectName(QStringLiteral("suiButton1"));
    suiButton1->setGeometry(67, 83, 56, 21);

    QGroupBox* frequency = AddGroup(QStringLiteral("RF_frequency"), 136, 24, 113, 40);
    suiNumberEdit_RfFrequency =
        AddNumber(frequency, "suiNumberEdit_RfFrequency", 2, kFrequencyColour,
                  QStringLiteral("RF_frequency"), QRect(8, 17, 66, 17));
    suiNumberEdit_RfFrequency->SetValue(434.0);
    AddLabel(frequency, QStringLiteral("MHz"), 80, 19);

    QGroupBox* factor = AddGroup(QStringLiteral("RF_Factor"), 264, 24, 121, 41);
    suiComboBox_RfFactor = AddList(factor, "suiComboBox_RfFactor", kRfFactorChoices,
                                   QStringLiteral("RF_Factor"), QRect(8, 15, 72, 20));
    AddLabel(factor, QStringLiteral("Chips"), 86, 19);

    QGroupBox* mode = AddGroup(QStringLiteral("RF_Mode"), 136, 72, 113, 51);
    AddLabel(mode, QStringLiteral("Mode"), 6, 25);
    suiComboBox1 = AddList(mode, "suiComboBox1", kRfModeChoices, QStringLiteral("Mode"),
                           QRect(36, 21, 70, 20));

    QGroupBox* bandwidth = AddGroup(QStringLiteral("RF_BW"), 264, 72, 121, 51);
    suiComboBox_RFBW = AddList(bandwidth, "suiComboBox_RFBW", kBandwidthChoices,
                               QStringLiteral("RF_BW"), QRect(8, 21, 72, 20));
    AddLabel(bandwidth, QStringLiteral("Kbs"), 86, 25);

    QGroupBox* nodeId = AddGroup(QStringLiteral("Node ID"), 136, 128, 57, 41);
    suiNumberEdit_CustID_H = AddNumber(nodeId, "suiNumberEdit_CustID_H", 0, kIdFieldColour,
                                       QStringLiteral("Node ID"), QRect(6, 17, 45, 17));
    QGroupBox* netId = AddGroup(QStringLiteral("Net ID"), 200, 128, 57, 41);
    suiNumberEdit_NetID = AddNumber(netId, "suiNumberEdit_NetID", 0, kIdFieldColour,
                                    QStringLiteral("Net ID"), QRect(6, 17, 45, 17));

    QGroupBox* breath = AddGroup(QStringLiteral("Breath"), 269, 129, 116, 38);
    suiComboBox2 = AddList(breath, "suiComboBox2", kBreathChoices, QStringLiteral("Breath"),
                           QRect(8, 14, 100, 20));
    QGroupBox* power = AddGroup(QStringLiteral("Power"), 136, 172, 121, 38);
    suiComboBox_Power = AddList(power, "suiComboBox_Power", kPowerChoices, QStringLiteral("Power"),
                                QRect(8, 14, 105, 20));
    QGroupBox* wake = AddGroup(QStringLiteral("Wake Timer"), 268, 171, 117, 38);
    suiComboBox3 = AddList(wake, "suiComboBox3", kWakeTimerChoices, QStringLiteral("Wake Timer"),
                           QRect(8, 14, 101, 20));

    QGroupBox* module = AddGroup(QStringLiteral("Serial Port Configuration"), 136, 214, 257, 46);
    AddLabel(module, QStringLiteral("BaudRate"), 6, 22);
    suiComboBox_McuBaudRate = AddList(module, "suiComboBox_McuBaudRate", kBaudRateChoices,
                                      QStringLiteral("BaudRate"), QRect(56, 18, 68, 20));
    AddLabel(module, QStringLiteral("Parity"), 134, 22);
    suiComboBox_McuParity = AddList(module, "suiComboBox_McuParity", kParityChoices,
                                    QStringLiteral("Parity"), QRect(168, 18, 68, 20));

    btn_WriteAll = new QPushButton(QStringLiteral("Write All"), suiForm1);
    btn_WriteAll->setObjectName(QStringLiteral("btn_WriteAll"));
    btn_WriteAll->setGeometry(144, 268, 97, 25);
    btn_ReadAll = new QPushButton(QStringLiteral("Read All"), suiForm1);
    btn_ReadAll->setObjectName(QStringLiteral("btn_ReadAll"));
    btn_ReadAll->setGeometry(272, 266, 97, 27);

    img1 = new ImagePanel(suiForm1);
    img1->setObjectName(QStringLiteral("img1"));
    img1->setAccessibleName(QStringLiteral("Module picture"));
    img1->setGeometry(2, 136, 131, 96);
    img1->setPixmap(LoadPicture(QStringLiteral(":/vesk/images/module.jpg")));
    img2 = new ImagePanel(suiForm1);
    img2->setObjectName(QStringLiteral("img2"));
    img2->setAccessibleName(QStringLiteral("User guide"));
    img2->setToolTip(QStringLiteral("Open the user guide"));
    img2->setGeometry(-1, 235, 135, 61);
    img2->setPixmap(LoadPicture(QStringLiteral(":/vesk/images/logo.jpg")));

    suiStatusBar1 = new StatusBar(suiForm1);
    suiStatusBar1->setObjectName(QStringLiteral("suiStatusBar1"));
    suiStatusBar1->setGeometry(0, kClientHeight - StatusBar::kHeight, kClientWidth,
                               StatusBar::kHeight);

    tmr1 = new QTimer(this);
    tmr1->setObjectName(QStringLiteral("tmr1"));
    tmr1->setInterval(1000);

    for (QPushButton* button : {suiButton_OpenPort, suiButton1, btn_WriteAll, btn_ReadAll}) {
        button->setAccessibleName(button->text());
    }
    for (QWidget* child : suiForm1->findChildren<QWidget*>()) {
        child->setStyle(skin.get());
    }

    connect(suiButton1, &QPushButton::clicked, this, &TMainForm::suiButton1Click);
    connect(suiButton_OpenPort, &QPushButton::clicked, this, &TMainForm::suiButton_OpenPortClick);
    connect(btn_ReadAll, &QPushButton::clicked, this, &TMainForm::btn_ReadAllClick);
    connect(btn_WriteAll, &QPushButton::clicked, this, &TMainForm::btn_WriteAllClick);
    connect(tmr1, &QTimer::timeout, this, &TMainForm::tmr1Timer);
    connect(img2, &ImagePanel::clicked, this, &TMainForm::img2Click);
    connect(suiNumberEdit_RfFrequency, &NumberEdit::Changed, this,
            &TMainForm::suiNumberEdit_RfFrequencyChange);
    connect(suiNumberEdit_CustID_H, &NumberEdit::Changed, this,
            &TMainForm::suiNumberEdit_CustID_HChange);
    connect(suiNumberEdit_NetID, &NumberEdit::Changed, this, &TMainForm::suiNumberEdit_NetIDChange);
    connect(suiComboBox_PcPort, &QComboBox::currentIndexChanged, this,
            &TMainForm::UpdatePortTooltip);
}

QGroupBox* TMainForm::AddGroup(const QString& caption, int left, int top, int width, int height) {
    auto* group = new QGroupBox(caption, suiForm1);
    group->setObjectName(QStringLiteral("suiGroupBox_") +
                         QString(caption).remove(QLatin1Char(' ')));
    group->setAccessibleName(caption);
    group->setGeometry(left, top, width, height);
    return group;
}

QLabel* TMainForm::AddLabel(QWidget* group, const QString& text, int left, int top) {
    auto* label = new QLabel(text, group);
    label->setObjectName(QStringLiteral("Label_") + QString(text).remove(QLatin1Char(':')));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QComboBox* TMainForm::AddList(QWidget* group, const char* name, const ChoiceList& choices,
                              const QString& accessibleName, QRect geometry) {
    auto* list = new QComboBox(group);
    list->setObjectName(QString::fromLatin1(name));
    list->setAccessibleName(accessibleName);
    list->setAccessibleDescription(group->accessibleName());
    for (const std::string_view text : choices.texts) {
        list->addItem(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    list->setCurrentIndex(choices.defaultIndex);
    list->setGeometry(geometry);
    list->setMaxVisibleItems(16);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, kListColour);
    palette.setColor(QPalette::Button, kFrameColour);
    // Darker than elsewhere, so a locked choice stays legible on lime.
    SetTextColour(palette, QPalette::Text, kDisabledListTextColour);
    SetTextColour(palette, QPalette::ButtonText, kDisabledListTextColour);
    list->setPalette(palette);
    // A label names the list for screen readers as it does for the eye.
    for (QLabel* label : group->findChildren<QLabel*>()) {
        if (label->text().startsWith(accessibleName)) {
            label->setBuddy(list);
        }
    }
    return list;
}

NumberEdit* TMainForm::AddNumber(QWidget* group, const char* name, int decimals,
                                 const QColor& colour, const QString& accessibleName,
                                 QRect geometry) {
    auto* field = new NumberEdit(decimals, group);
    field->setObjectName(QString::fromLatin1(name));
    field->setAccessibleName(accessibleName);
    field->setGeometry(geometry);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    SetTextColour(palette, QPalette::Text);
    field->setPalette(palette);
    return field;
}

void TMainForm::SetStatus(const QString& text, unsigned panel) {
    suiStatusBar1->SetStatus(text, panel);
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == ReplyEvent::EventType()) {
        const auto* reply = static_cast<ReplyEvent*>(event);
        // A failed registration gives 0, which never matches.
        if (recvMessage != 0 && reply->message == recvMessage) {
            switch (reply->wParam) {
                case VeskSerial::kReplyGood:
                    OnReply();
                    break;
                case VeskSerial::kReplyBadChecksum:
                    OnBadChecksum();
                    break;
                case VeskSerial::kPortLost:
                    OnPortLost();
                    break;
                default:
                    break;
            }
        }
        return true;
    }
    return QWidget::event(event);
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown) {
        shown = true;
        FormShow();
    }
}

void TMainForm::ListPorts() {
    for (unsigned n = platform::kFirstPort; n <= platform::kLastPort; ++n) {
        // PortExists(n) asks the system backend; asking ours keeps tests on their fakes.
        if (portBackend.Exists(n)) {
            suiComboBox_PcPort->addItem(QStringLiteral("COM%1").arg(n));
        }
    }
    if (suiComboBox_PcPort->count() > 0) {
        suiComboBox_PcPort->setCurrentIndex(0);
    }
    UpdatePortTooltip();
}

void TMainForm::UpdatePortTooltip() {
    if (suiComboBox_PcPort->count() == 0) {
        const QString why = NoPortExplanation();
        suiComboBox_PcPort->setToolTip(why.isEmpty() ? QStringLiteral("No serial port found")
                                                     : why);
        return;
    }
    suiComboBox_PcPort->setToolTip(
        PortDescription(PortNumberFromText(suiComboBox_PcPort->currentText().toStdString())));
}

void TMainForm::FormShow() {
    ListPorts();
    SetStatus(QStringLiteral("Closed"), 0);
    suiComboBox_PcPort->setEnabled(true);
    suiComboBox_PcBaudRate->setEnabled(true);
    suiComboBox_PcParity->setEnabled(true);
    btn_WriteAll->setEnabled(false);
    btn_ReadAll->setEnabled(false);
    suiButton_OpenPort->setText(QStringLiteral("Open"));
    SetStatus(ShortTimeOfDay(), 2);
    tmr1->start();
}

void TMainForm::suiButton1Click() {
    suiComboBox_PcPort->clear();
    ListPorts();
}

void TMainForm::ShowPortState() {
    const bool open = serial->IsOpen();
    SetStatus(open ? QStringLiteral("Opened") : QStringLiteral("Closed"), 0);
    suiComboBox_PcPort->setEnabled(!open);
    suiComboBox_PcBaudRate->setEnabled(!open);
    suiComboBox_PcParity->setEnabled(!open);
    suiButton1->setEnabled(!open);
    btn_WriteAll->setEnabled(open);
    btn_ReadAll->setEnabled(open);
    if (!open) {
        SetStatus(QStringLiteral(" "), 1);
    }
    suiButton_OpenPort->setText(open ? QStringLiteral("Close") : QStringLiteral("Open"));
}

void TMainForm::suiButton_OpenPortClick() {
    if (serial->IsOpen()) {
        serial->Close();
    } else {
        const unsigned port = PortNumberFromText(suiComboBox_PcPort->currentText().toStdString());
        const int speed = BaudRateFromText(suiComboBox_PcBaudRate->currentText().toStdString());
        serial->Configure(port, speed, suiComboBox_PcParity->currentIndex());
    }
    ShowPortState();
}

void TMainForm::btn_ReadAllClick() {
    if (!serial->IsOpen()) {
        SetStatus(QStringLiteral("Fail!"), 1);
        return;
    }
    serial->ReadAll();
    waitTicks = 0;
    SetStatus(QStringLiteral("......"), 1);
}

void TMainForm::btn_WriteAllClick() {
    if (!serial->IsOpen()) {
        SetStatus(QStringLiteral("Fail!"), 1);
        return;
    }
    const ModuleParams params = CollectParams();
    serial->WriteAll(&params);
    waitTicks = 0;
    SetStatus(QStringLiteral("......"), 1);
}

void TMainForm::tmr1Timer() {
    SetStatus(ShortTimeOfDay(), 2);
    if (waitTicks < 0) {
        return;
    }
    waitTicks += 1;
    if (waitTicks >= 3) {
        waitTicks = -1;
        SetStatus(QStringLiteral("Error:TimeOut!"), 1);
    }
}

void TMainForm::OnReply() {
    waitTicks = -1;
    if (!serial) {
        return;
    }
    SetStatus(QStringLiteral("Successful"), 1);
    ShowParams(serial->LastReply());
}

// A frame arrived but failed its checksum: the request is answered, badly.
// The controls keep what they show.
void TMainForm::OnBadChecksum() {
    waitTicks = -1;
    SetStatus(QStringLiteral("Error:Checksum!"), 1);
}

// The device went away (unplugged adapter, simulator ended): release it and
// show Closed, with the request marked as failed.
void TMainForm::OnPortLost() {
    if (!serial) {
        return;
    }
    serial->Close();
    waitTicks = -1;
    ShowPortState();
    SetStatus(QStringLiteral("Fail!"), 1);
}

void TMainForm::img2Click() {
    OpenUserGuide();
}

void TMainForm::suiNumberEdit_RfFrequencyChange() {
    if (const auto value = ClampFrequency(suiNumberEdit_RfFrequency->Value())) {
        suiNumberEdit_RfFrequency->SetValue(*value);
    }
}

void TMainForm::suiNumberEdit_CustID_HChange() {
    if (const auto value = ClampNodeId(suiNumberEdit_CustID_H->Value())) {
        suiNumberEdit_CustID_H->SetValue(*value);
    }
}

void TMainForm::suiNumberEdit_NetIDChange() {
    if (const auto value = ClampNetId(suiNumberEdit_NetID->Value())) {
        suiNumberEdit_NetID->SetValue(*value);
    }
}

void TMainForm::FormDestroy() {
    if (tmr1 != nullptr) {
        tmr1->stop();
    }
    // Deleting the endpoint closes the port and joins the reader, so nothing
    // posts any more when the target goes.
    serial.reset();
    if (windowTarget != 0) {
        platform::UnregisterWindowTarget(windowTarget);
        windowTarget = 0;
    }
}

ModuleSelection TMainForm::ReadSelection() const {
    const auto field = [](const NumberEdit* edit) {
        return NumberField{edit->Decimals(), edit->Value(), edit->text().toStdString()};
    };
    ModuleSelection selection;
    selection.frequency = field(suiNumberEdit_RfFrequency);
    selection.rfFactor = suiComboBox_RfFactor->currentIndex();
    selection.rfMode = suiComboBox1->currentIndex();
    selection.bandwidth = suiComboBox_RFBW->currentIndex();
    selection.baudRate = suiComboBox_McuBaudRate->currentIndex();
    selection.parity = suiComboBox_McuParity->currentIndex();
    selection.power = suiComboBox_Power->currentIndex();
    selection.nodeId = field(suiNumberEdit_CustID_H);
    selection.netId = field(suiNumberEdit_NetID);
    selection.breath = suiComboBox2->currentIndex();
    selection.wakeTimer = suiComboBox3->currentIndex();
    return selection;
}

ModuleParams TMainForm::CollectParams() const {
    return ui::CollectParams(ReadSelection());
}

void TMainForm::ShowParams(const ModuleParams& params) {
    ModuleSelection selection = ReadSelection();
    ui::ShowParams(params, selection, NumberEdit::LocaleFormat());
    ApplySelection(selection);
}

// Puts a selection into the controls in the order the settings are shown:
// frequency, spreading factor, mode, bandwidth, node ID, net ID, power,
// module speed, module parity, breath, wake timer.
void TMainForm::ApplySelection(const ModuleSelection& selection) {
    suiNumberEdit_RfFrequency->SetValue(selection.frequency.value);
    suiComboBox_RfFactor->setCurrentIndex(selection.rfFactor);
    suiComboBox1->setCurrentIndex(selection.rfMode);
    suiComboBox_RFBW->setCurrentIndex(selection.bandwidth);
    suiNumberEdit_CustID_H->SetValue(selection.nodeId.value);
    suiNumberEdit_NetID->SetValue(selection.netId.value);
    suiComboBox_Power->setCurrentIndex(selection.power);
    suiComboBox_McuBaudRate->setCurrentIndex(selection.baudRate);
    suiComboBox_McuParity->setCurrentIndex(selection.parity);
    suiComboBox2->setCurrentIndex(selection.breath);
    suiComboBox3->setCurrentIndex(selection.wakeTimer);
}

}  // namespace vesk::ui
