// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessibility.h"

#include "clicklabel.h"
#include "gauge.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <cmath>

namespace qv::accessibility {
namespace {

class GaugeInterface : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit GaugeInterface(Gauge* gauge) : QAccessibleWidget(gauge, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        const QString words = gauge()->valueText ? gauge()->valueText() : QString();
        if (kind == QAccessible::Value)
            return words.isEmpty() ? QString::number(gauge()->value()) : words;
        if (kind == QAccessible::Description && !words.isEmpty() &&
            gauge()->accessibleDescription().isEmpty())
            return words;
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return gauge()->value(); }
    QVariant maximumValue() const override { return gauge()->maximum(); }
    QVariant minimumValue() const override { return gauge()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

    // Whole steps, as a press on the bar gives them; a value outside the
    // range (or none) is taken as its nearer end.
    void setCurrentValue(const QVariant& value) override {
        double wanted = value.toDouble();
        if (!std::isfinite(wanted))
            wanted = gauge()->minimum();
        const double bounded =
            std::clamp(wanted, double(gauge()->minimum()), double(gauge()->maximum()));
        emit gauge()->valueRequested(int(bounded));
    }

private:
    Gauge* gauge() const { return static_cast<Gauge*>(widget()); }
};

class LinkInterface : public QAccessibleWidget {
public:
    explicit LinkInterface(ClickLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && label()->accessibleName().isEmpty())
            return label()->text();
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            emit label()->clicked();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    ClickLabel* label() const { return static_cast<ClickLabel*>(widget()); }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1StringView("qv::Gauge"))
        return new GaugeInterface(static_cast<Gauge*>(object));
    if (className == QLatin1StringView("qv::ClickLabel"))
        return new LinkInterface(static_cast<ClickLabel*>(object));
    return nullptr;
}

} // namespace

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

void caption(QLabel* label, QWidget* field) {
    label->setBuddy(field);
    QString name = label->text();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    field->setAccessibleName(name);
    if (const auto* box = qobject_cast<QComboBox*>(field); box && box->lineEdit())
        box->lineEdit()->setAccessibleName(name);
}

} // namespace qv::accessibility
