// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

namespace qv {

// Draws what a skin adds to the application's own style: buttons and group
// boxes with rounded borders, and (with extended borders) list frames, every
// colour taken from the application palette. It draws them exactly as the
// style sheet rules that did this before; a style sheet engine keeps rules
// and a palette for every widget it polishes, which is most of the memory a
// skinned program has at rest.
//
//   QPushButton: background Button, border Light, radius 3 px, no padding;
//     inside a dialog padding 3 px 12 px and a text area at least 40 px
//     wide; Dark when pressed or checked; with glowing, Midlight with a
//     Highlight border under the mouse.
//   QGroupBox: border Light, radius 4 px, 2ex above the frame, 2 px inside
//     its top; the title 8 px from the left with 3 px on either side.
//   QAbstractScrollArea, with extended borders: a 2 px frame in Mid.
//
// Borders are 2 px wide with extended borders, otherwise 1 px.
class SkinStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Takes the base style over.
    SkinStyle(QStyle* base, bool extendedBorders, bool glowing);

    bool extendedBorders() const { return extendedBorders_; }
    bool glowing() const { return glowing_; }

    void polish(QWidget* widget) override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget) const override;

private:
    bool framesScrollArea(const QWidget* widget) const;

    const int border_;
    const bool extendedBorders_;
    const bool glowing_;
};

} // namespace qv
