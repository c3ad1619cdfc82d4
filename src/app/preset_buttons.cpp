#include "app/preset_buttons.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QPushButton>
#include <cmath>

#include "app/accessible_texts.h"
#include "app/command_ids.h"
#include "app/preset_table.h"
#include "prefs/frequency_band.h"

namespace presets {

namespace {

constexpr int kFmBanks = 4;
constexpr int kAllBanks = 8;
constexpr float kHighlightWindow = 0.15f;

}  // namespace

int ValidBank(int bank, bool hasAm) {
    if (bank < 1 || bank > kAllBanks || (bank > kFmBanks && !hasAm)) {
        return 1;
    }
    return bank;
}

int NextBank(int bank, bool hasAm) {
    return ValidBank(bank + 1, hasAm);
}

int PreviousBank(int bank, bool hasAm) {
    const int previous = bank - 1;
    if (previous <= 0) {
        return hasAm ? kAllBanks : kFmBanks;
    }
    return ValidBank(previous, hasAm);
}

QString BankLabel(int bank) {
    return bank > kFmBanks ? QString("A&M%1").arg(bank - kFmBanks) : QString("F&M%1").arg(bank);
}

bool IsAmPreset(float frequency) {
    return band::IsAm(frequency, band::Context::kPreset);
}

QString ButtonText(float frequency, const QString& name, bool nameFits) {
    if (!name.isEmpty() && nameFits) {
        return name;
    }
    if (frequency > PresetTable::kProgrammedThreshold) {
        return QString::number(static_cast<double>(band::Shown(frequency, band::Context::kTuning)),
                               'f', 1);
    }
    return {};
}

int HighlightButton(const PresetTable& table, int bank, float frequency) {
    for (int k = 0; k < PresetTable::kPresetsPerBank; ++k) {
        float difference = frequency - table.GetFrequency(PresetTable::IndexOf(bank, k));
        if (band::IsAm(frequency, band::Context::kPreset)) {
            difference *= 20.0f;
        }
        if (difference >= -kHighlightWindow && difference <= kHighlightWindow) {
            return k;
        }
    }
    return -1;
}

}  // namespace presets

TPresetButtons::TPresetButtons(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(3);
    for (int k = 0; k < kButtons; ++k) {
        auto* button = new QPushButton(this);
        button->setObjectName(QString("Preset%1").arg(cmd::kPresetFirst + k));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::TabFocus);
        button->setMinimumWidth(44);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(button, &QPushButton::clicked, this, [this, k] {
            // The highlight, not the click, decides which button looks pressed.
            buttons_[static_cast<size_t>(k)]->setChecked(
                !buttons_[static_cast<size_t>(k)]->isChecked());
            emit presetClicked(k);
        });
        grid->addWidget(button, k / 4, k % 4);
        buttons_[static_cast<size_t>(k)] = button;
    }
}

void TPresetButtons::Refresh(const PresetTable& table, int bank) {
    for (int k = 0; k < kButtons; ++k) {
        RefreshButton(table, bank, k);
    }
}

void TPresetButtons::RefreshButton(const PresetTable& table, int bank, int k) {
    if (k < 0 || k >= kButtons) {
        return;
    }
    QPushButton* button = buttons_[static_cast<size_t>(k)];
    const int index = PresetTable::IndexOf(bank, k);
    const float frequency = table.GetFrequency(index);
    const QString name = table.GetName(index);
    const int room = std::max(button->width(), button->minimumWidth()) - 8;
    const bool fits = QFontMetrics(button->font()).horizontalAdvance(name) <= room;
    // Shown text never carries a mnemonic by accident.
    QString text = presets::ButtonText(frequency, name, fits);
    text.replace("&", "&&");
    button->setText(text);
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, presets::IsAmPreset(frequency)
                                               ? QColor(255, 0, 0)
                                               : this->palette().color(QPalette::ButtonText));
    button->setPalette(palette);
    button->setToolTip(name);
    button->setAccessibleName(accessible::PresetKey(k, name, frequency));
}

void TPresetButtons::Highlight(int pressed) {
    for (int k = 0; k < kButtons; ++k) {
        buttons_[static_cast<size_t>(k)]->setChecked(k == pressed);
    }
}
