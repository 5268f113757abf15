// The skinned look of the window's standard controls, on top of Fusion:
// drop-down lists are lime with a black border and a black arrow on a button
// of the frame colour; everything else keeps Fusion's drawing with the
// window's palette.
#pragma once

#include <QColor>
#include <QFont>
#include <QProxyStyle>

namespace vesk::ui {

// 16514043 as a 0x00BBGGRR colour value.
inline const QColor kFrameColour = QColor(0xFB, 0xFB, 0xFB);
inline const QColor kListColour = QColor(0x00, 0xFF, 0x00);  // lime
inline const QColor kDisabledTextColour = QColor(0x80, 0x80, 0x80);
inline const QColor kDisabledListTextColour = QColor(0x48, 0x48, 0x48);
inline const QColor kFrequencyColour = QColor(0xC0, 0xDC, 0xC0);  // money green
inline const QColor kIdFieldColour = QColor(0xB9, 0xD1, 0xEA);    // gradient active caption
inline const QColor kTitleBarColour = QColor(0x2F, 0x5A, 0x8C);
inline const QColor kTitleBarLight = QColor(0x6A, 0x96, 0xC8);

// The controls' font: 11 pixels, "MS Sans Serif" where it is installed and the
// closest sans fonts otherwise.
QFont ControlFont();
// The title bar's font: bold "Tahoma" or its closest replacement.
QFont TitleFont();

class SkinStyle : public QProxyStyle {
  public:
    SkinStyle();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget = nullptr) const override;
};

}  // namespace vesk::ui
