// SPDX-License-Identifier: GPL-3.0-or-later
#include "skinstyle.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyleOption>

namespace qv {
namespace {

constexpr int kButtonRadius = 3;
constexpr int kGroupBoxRadius = 4;
constexpr int kScrollAreaBorder = 2;
constexpr int kGroupBoxPaddingTop = 2;
constexpr int kTitleLeft = 8;
constexpr int kTitlePadding = 3;
constexpr int kDialogButtonMinTextWidth = 40;
const QMargins kDialogButtonPadding(12, 3, 12, 3);

// The skin's colours are the application palette's, whatever palette a
// widget has of its own (a red warning text keeps its red; its button keeps
// the skin's background).
QColor skinColour(QPalette::ColorRole role) {
    return QGuiApplication::palette().color(role);
}

// A radius that does not fit into the rectangle is dropped.
qreal fittingRadius(const QRect& rect, int radius) {
    return 2 * radius > rect.width() || 2 * radius > rect.height() ? 0 : radius;
}

// The outline through the middle of a rounded border; what lies inside it
// gets the background.
QPainterPath insideOfBorder(const QRect& r, int width, int radius) {
    const qreal rad = fittingRadius(r, radius);
    QPainterPath path;
    if (rad == 0)
        return path;
    const QRectF rect(r);
    const qreal half = width / 2.0;
    qreal y = rect.y() + half;
    path.moveTo(rect.x() + rad, y);
    path.lineTo(rect.right() - rad, y);
    qreal x = rect.right() - half;
    path.arcTo(x - 2 * rad + width, y, rad * 2 - width, rad * 2 - width, 90, -90);
    path.lineTo(x, rect.bottom() - rad);
    y = rect.bottom() - half;
    path.arcTo(x - 2 * rad + width, y - 2 * rad + width, rad * 2 - width, rad * 2 - width, 0, -90);
    path.lineTo(rect.x() + rad, y);
    x = rect.left() + half;
    path.arcTo(x, rect.bottom() - 2 * rad + half, rad * 2 - width, rad * 2 - width, 270, -90);
    path.lineTo(x, rect.top() + rad);
    path.arcTo(x, rect.top() + half, rad * 2 - width, rad * 2 - width, 180, -90);
    path.closeSubpath();
    return path;
}

void fillInside(QPainter* p, const QRect& rect, int width, int radius, const QColor& colour) {
    const QPainterPath path = insideOfBorder(rect, width, radius);
    if (path.isEmpty()) {
        p->fillRect(rect, colour);
        return;
    }
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->fillPath(path, colour);
    p->restore();
}

// A solid border of one colour, each edge a bar between the corners and each
// corner two arcs, in the order bottom, right, left, top: the painting of a
// style sheet border, so that the pixels stay the same.
void drawBorder(QPainter* p, const QRect& r, int width, int radius, const QColor& colour) {
    const qreal rad = fittingRadius(r, radius);
    const QRectF br(r);
    const qreal w = width;
    const qreal half = w / 2;
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    const auto bar = [&](qreal x1, qreal y1, qreal x2, qreal y2) {
        p->setPen(Qt::NoPen);
        p->setBrush(colour);
        p->drawRect(QRectF(x1, y1, x2 - x1, y2 - y1));
    };
    const auto arc = [&](qreal x, qreal y, int start, int span) {
        if (rad == 0)
            return;
        QPen pen(colour, w, Qt::SolidLine, Qt::SquareCap);
        p->setPen(pen);
        p->setBrush(Qt::NoBrush);
        p->drawArc(QRectF(x, y, 2 * rad - w, 2 * rad - w), start * 16, span * 16);
    };
    // Bottom.
    qreal x1 = br.x() + rad, y1 = br.y() + br.height() - w;
    qreal x2 = br.x() + br.width() - rad, y2 = br.y() + br.height();
    bar(x1, y1, x2, y2);
    arc(x1 - rad + half, y2 - 2 * rad + half, -90, -45);
    arc(x2 - rad + half, y2 - 2 * rad + half, -90, 45);
    // Right.
    x1 = br.x() + br.width() - w, y1 = br.y() + rad;
    x2 = br.x() + br.width(), y2 = br.y() + br.height() - rad;
    bar(x1, y1, x2, y2);
    arc(x2 - 2 * rad + half, y1 - rad + half, 45, -45);
    arc(x2 - 2 * rad + half, y2 - rad + half, 315, 45);
    // Left.
    x1 = br.x(), y1 = br.y() + rad;
    x2 = br.x() + w, y2 = br.y() + br.height() - rad;
    bar(x1, y1, x2, y2);
    arc(x1 + half, y1 - rad + half, 135, 45);
    arc(x1 + half, y2 - rad + half, 180, 45);
    // Top.
    x1 = br.x() + rad, y1 = br.y();
    x2 = br.x() + br.width() - rad, y2 = br.y() + w;
    bar(x1, y1, x2, y2);
    arc(x1 - rad + half, y1 + half, 135, -45);
    arc(x2 - rad + half, y1 + half, 45, 45);
    p->restore();
}

bool isPushButton(const QWidget* widget) {
    return qobject_cast<const QPushButton*>(widget) != nullptr;
}

bool isGroupBox(const QWidget* widget) {
    return qobject_cast<const QGroupBox*>(widget) != nullptr;
}

bool insideDialog(const QWidget* widget) {
    for (const QObject* o = widget ? widget->parent() : nullptr; o; o = o->parent()) {
        if (qobject_cast<const QDialog*>(o))
            return true;
    }
    return false;
}

// The space between a button's border and its text.
QMargins buttonPadding(const QWidget* button) {
    return insideDialog(button) ? kDialogButtonPadding : QMargins();
}

// The space above a group box's frame: 2ex of the application's font.
int groupBoxTop() {
    return 2 * QFontMetrics(QFont()).xHeight();
}

} // namespace

SkinStyle::SkinStyle(QStyle* base, bool extendedBorders, bool glowing)
    : QProxyStyle(base), border_(extendedBorders ? 2 : 1), extendedBorders_(extendedBorders),
      glowing_(glowing) {}

bool SkinStyle::framesScrollArea(const QWidget* widget) const {
    return extendedBorders_ && qobject_cast<const QAbstractScrollArea*>(widget);
}

void SkinStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    // The glow follows the mouse.
    if (glowing_ && isPushButton(widget))
        widget->setAttribute(Qt::WA_Hover);
}

void SkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
    switch (element) {
    case CE_PushButton:
        if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
            button && isPushButton(widget)) {
            drawControl(CE_PushButtonBevel, button, painter, widget);
            QStyleOptionButton label(*button);
            label.rect = subElementRect(SE_PushButtonContents, button, widget);
            drawControl(CE_PushButtonLabel, &label, painter, widget);
            if (button->state & State_HasFocus) {
                QStyleOptionFocusRect focus;
                focus.QStyleOption::operator=(*button);
                focus.rect = subElementRect(SE_PushButtonFocusRect, button, widget);
                drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
            }
            return;
        }
        break;
    case CE_PushButtonBevel:
        if (isPushButton(widget)) {
            const State state = option->state;
            QColor background = skinColour(QPalette::Button);
            QColor border = skinColour(QPalette::Light);
            if (state & (State_Sunken | State_On))
                background = skinColour(QPalette::Dark);
            if (glowing_ && (state & State_Enabled) && (state & State_MouseOver)) {
                background = skinColour(QPalette::Midlight);
                border = skinColour(QPalette::Highlight);
            }
            fillInside(painter, option->rect, border_, kButtonRadius, background);
            drawBorder(painter, option->rect, border_, kButtonRadius, border);
            return;
        }
        break;
    case CE_ShapedFrame:
        if (framesScrollArea(widget)) {
            drawBorder(painter, option->rect, kScrollAreaBorder, 0, skinColour(QPalette::Mid));
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void SkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
    switch (element) {
    case PE_Frame:
        if (framesScrollArea(widget)) {
            drawBorder(painter, option->rect, kScrollAreaBorder, 0, skinColour(QPalette::Mid));
            return;
        }
        break;
    case PE_FrameGroupBox:
        if (isGroupBox(widget)) {
            drawBorder(painter, option->rect, border_, kGroupBoxRadius,
                       skinColour(QPalette::Light));
            return;
        }
        break;
    case PE_FrameDefaultButton:
        if (isPushButton(widget))
            return;
        break;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void SkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box || !isGroupBox(widget) ||
        (box->subControls & SC_GroupBoxCheckBox)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // The frame is broken where the title sits.
    QRect label;
    bool clipped = false;
    if (!box->text.isEmpty()) {
        label = subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
        const QSize withSpace(
            box->fontMetrics.size(Qt::TextShowMnemonic, box->text + QLatin1Char(' ')).width(),
            box->fontMetrics.height());
        label.setSize(label.size().expandedTo(withSpace));
        painter->save();
        painter->setClipRegion(QRegion(box->rect) -
                               label.adjusted(-kTitlePadding, 0, kTitlePadding, 0));
        clipped = true;
    }
    QStyleOptionFrame frame;
    frame.QStyleOption::operator=(*box);
    frame.features = box->features;
    frame.lineWidth = box->lineWidth;
    frame.midLineWidth = box->midLineWidth;
    frame.rect = subControlRect(CC_GroupBox, box, SC_GroupBoxFrame, widget);
    drawPrimitive(PE_FrameGroupBox, &frame, painter, widget);
    if (clipped)
        painter->restore();
    if (!box->text.isEmpty()) {
        int alignment = Qt::AlignCenter | Qt::TextShowMnemonic;
        if (!styleHint(SH_UnderlineShortcut, box, widget, nullptr))
            alignment |= Qt::TextHideMnemonic;
        QPalette palette = box->palette;
        if (box->textColor.isValid())
            palette.setColor(QPalette::WindowText, box->textColor);
        drawItemText(painter, label, alignment, palette, box->state & State_Enabled, box->text,
                     QPalette::WindowText);
    }
}

int SkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const {
    switch (metric) {
    case PM_ButtonShiftHorizontal:
    case PM_ButtonShiftVertical:
    case PM_ButtonMargin:
    case PM_ButtonDefaultIndicator:
        if (isPushButton(widget))
            return 0;
        break;
    case PM_DefaultFrameWidth:
        if (framesScrollArea(widget))
            return kScrollAreaBorder;
        break;
    case PM_ScrollView_ScrollBarSpacing:
        if (framesScrollArea(widget))
            return 0;
        break;
    default:
        break;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int SkinStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const {
    // A combo box's list brings its own frame: the popup around it has none.
    if (hint == SH_ComboBox_PopupFrameStyle && extendedBorders_ &&
        qobject_cast<const QComboBox*>(widget))
        return QFrame::NoFrame;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QSize SkinStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const {
    if (type == CT_PushButton && isPushButton(widget)) {
        QSize contents = size;
        if (insideDialog(widget))
            contents.setWidth(std::max(contents.width(), kDialogButtonMinTextWidth));
        const QMargins padding = buttonPadding(widget);
        return contents.grownBy(padding) + QSize(2 * border_, 2 * border_);
    }
    if (type == CT_GroupBox && isGroupBox(widget))
        return size + QSize(2 * border_, groupBoxTop() + 2 * border_ + kGroupBoxPaddingTop);
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

QRect SkinStyle::subElementRect(SubElement element, const QStyleOption* option,
                                const QWidget* widget) const {
    switch (element) {
    case SE_PushButtonContents:
    case SE_PushButtonFocusRect:
        if (isPushButton(widget)) {
            const QRect inside = option->rect.marginsRemoved(buttonPadding(widget))
                                     .adjusted(border_, border_, -border_, -border_);
            return visualRect(option->direction, option->rect, inside);
        }
        break;
    case SE_PushButtonBevel:
        if (isPushButton(widget))
            return option->rect;
        break;
    case SE_FrameContents:
    case SE_ShapedFrameContents:
        if (framesScrollArea(widget))
            return option->rect.adjusted(kScrollAreaBorder, kScrollAreaBorder, -kScrollAreaBorder,
                                         -kScrollAreaBorder);
        break;
    default:
        break;
    }
    return QProxyStyle::subElementRect(element, option, widget);
}

QRect SkinStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                SubControl subControl, const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box || !isGroupBox(widget) ||
        (box->subControls & SC_GroupBoxCheckBox))
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const QRect& r = option->rect;
    const int top = groupBoxTop();
    switch (subControl) {
    case SC_GroupBoxFrame:
        return r.adjusted(0, top, 0, 0);
    case SC_GroupBoxContents:
        return r.adjusted(border_, top + border_ + kGroupBoxPaddingTop, -border_, -border_);
    default: {
        const QRect label(r.x() + kTitleLeft + kTitlePadding, r.y(),
                          box->fontMetrics.horizontalAdvance(box->text), box->fontMetrics.height());
        return visualRect(option->direction, r, label);
    }
    }
}

} // namespace qv
