#include "ui/skin_style.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>
#include <QStyleOptionComboBox>

namespace vesk::ui {
namespace {

constexpr int kArrowButtonWidth = 15;

constexpr int kCaptionIndent = 8;

// An etched frame whose top edge runs through the middle of the caption, the
// caption on the frame colour.
void DrawGroupBox(const QStyleOptionGroupBox* option, QPainter* painter) {
    if (option == nullptr) {
        return;
    }
    painter->save();
    const QFontMetrics metrics(painter->font());
    const int captionMiddle = metrics.height() / 2;
    const QRect frame = option->rect.adjusted(0, captionMiddle, -2, -2);
    painter->setPen(QColor(0xA0, 0xA0, 0xA0));
    painter->drawRect(frame);
    painter->setPen(Qt::white);
    painter->drawRect(frame.translated(1, 1));
    if (!option->text.isEmpty()) {
        const QRect caption(option->rect.left() + kCaptionIndent - 2, option->rect.top(),
                            metrics.horizontalAdvance(option->text) + 4, metrics.height());
        painter->fillRect(caption, kFrameColour);
        painter->setPen(Qt::black);
        painter->drawText(caption, Qt::AlignCenter, option->text);
    }
    painter->restore();
}

}  // namespace

// The first of `families` that is installed. Fontconfig would quietly
// substitute a missing name with its default font, so look first.
QFont FirstInstalled(const QStringList& families, int pixelSize, bool bold) {
    const QStringList installed = QFontDatabase::families();
    QFont font;
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFont ControlFont() {
    return FirstInstalled(
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
         QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")},
        11, false);
}

QFont TitleFont() {
    return FirstInstalled({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"),
                           QStringLiteral("Liberation Sans")},
                          11, true);
}

SkinStyle::SkinStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

QRect SkinStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                SubControl subControl, const QWidget* widget) const {
    if (control == CC_ComboBox) {
        const QRect frame = option->rect;
        switch (subControl) {
            case SC_ComboBoxArrow:
                return QRect(frame.right() - kArrowButtonWidth, frame.top() + 1, kArrowButtonWidth,
                             frame.height() - 2);
            case SC_ComboBoxEditField:
                return QRect(frame.left() + 3, frame.top() + 1,
                             frame.width() - kArrowButtonWidth - 5, frame.height() - 2);
            case SC_ComboBoxFrame:
            case SC_ComboBoxListBoxPopup:
                return frame;
            default:
                break;
        }
    }
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

void SkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
    if (control == CC_GroupBox) {
        DrawGroupBox(qstyleoption_cast<const QStyleOptionGroupBox*>(option), painter);
        return;
    }
    if (control != CC_ComboBox) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    painter->save();
    const QRect frame = option->rect.adjusted(0, 0, -1, -1);
    painter->fillRect(option->rect, kListColour);
    const QRect button = subControlRect(control, option, SC_ComboBoxArrow, widget);
    painter->fillRect(button, kFrameColour);
    painter->setPen(Qt::black);
    painter->drawRect(frame);
    painter->drawLine(button.left() - 1, frame.top(), button.left() - 1, frame.bottom());
    // A solid black triangle pointing down, grey while the list is disabled.
    const bool enabled = option->state & State_Enabled;
    const QPointF centre = QRectF(button).center();
    QPainterPath arrow;
    arrow.moveTo(centre.x() - 3.5, centre.y() - 1.5);
    arrow.lineTo(centre.x() + 3.5, centre.y() - 1.5);
    arrow.lineTo(centre.x(), centre.y() + 2.0);
    arrow.closeSubpath();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(arrow, enabled ? QColor(Qt::black) : QColor(Qt::darkGray));
    if (option->state & State_HasFocus) {
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter->drawRect(
            subControlRect(control, option, SC_ComboBoxEditField, widget).adjusted(-1, 1, 0, -2));
    }
    painter->restore();
}

}  // namespace vesk::ui
