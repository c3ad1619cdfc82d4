#include "app/accessible_texts.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <algorithm>
#include <cmath>

#include "app/preset_table.h"
#include "audio/smeter.h"

namespace accessible {

namespace {

constexpr float kAmBelow = 50.0f;

QString TrimmedNumber(double value, int decimals, int keep) {
    QString text = QString::number(value, 'f', decimals);
    while (decimals-- > keep && text.endsWith('0')) {
        text.chop(1);
    }
    if (text.endsWith('.')) {
        text.chop(1);
    }
    return text;
}

// The meter as a (read-only) progress bar: its value is the louder channel.
class MeterAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit MeterAccessible(SMeter* meter)
        : QAccessibleWidget(meter, QAccessible::ProgressBar, "Sound level") {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return Percent(Level());
        }
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return Level(); }
    void setCurrentValue(const QVariant&) override {}  // read only
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    int Level() const {
        auto* meter = static_cast<SMeter*>(widget());
        return meter->IsStereo() ? std::max(meter->Left().value(), meter->Right().value())
                                 : meter->Mono().value();
    }
};

QAccessibleInterface* MeterFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("SMeter") && object && object->isWidgetType()) {
        return new MeterAccessible(static_cast<SMeter*>(object));
    }
    return nullptr;
}

}  // namespace

QString Frequency(float mhz) {
    if (mhz < kAmBelow) {
        return QString::number(std::lround(double(mhz) * 1000.0)) + " kHz";
    }
    return TrimmedNumber(mhz, 2, 1) + " MHz";
}

QString PresetKey(int k, const QString& name, float mhz) {
    QString text = QString("preset %1: ").arg(k + 1);
    if (mhz < PresetTable::kProgrammedThreshold) {
        return text + "empty";
    }
    if (!name.trimmed().isEmpty()) {
        text += name.trimmed() + ", ";
    }
    return text + Frequency(mhz);
}

QString Percent(int percent) {
    return QString::number(percent) + " %";
}

void InstallMeterAccessibility() {
    static bool installed = false;
    if (!installed) {
        installed = true;
        QAccessible::installFactory(MeterFactory);
    }
}

}  // namespace accessible
