#include "app/set_station_page.h"

#include <QApplication>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/preset_buttons.h"
#include "app/preset_table.h"
#include "platform/message_box.h"
#include "prefs/frequency_band.h"

namespace {

constexpr float kOccupied = 0.1f;

}  // namespace

QString StationPageBankLabel(int bank) {
    return bank <= 4 ? QString::asprintf("&FM%d", bank) : QString::asprintf("&AM%d", bank - 4);
}

QStringList StationRows(const PresetTable& table, int bank) {
    QStringList rows;
    for (int k = 0; k < PresetTable::kPresetsPerBank; ++k) {
        const int index = PresetTable::IndexOf(bank, k);
        const float f = table.GetFrequency(index);
        if (f < kOccupied) {
            rows << QString();
        } else {
            // Below 0.5 a value counts as FM here, as in the station dialog.
            const QString text = f >= band::kProgrammed ? band::Text(f, band::Context::kPreset)
                                                        : QString::number(f, 'f', 2);
            rows << text + "   " + table.GetName(index);
        }
    }
    return rows;
}

int NewStationRow(const PresetTable& table, int bank, int selectedRow) {
    if (selectedRow >= 0 && selectedRow < PresetTable::kPresetsPerBank &&
        table.GetFrequency(PresetTable::IndexOf(bank, selectedRow)) < kOccupied) {
        return selectedRow;
    }
    for (int k = 0; k < PresetTable::kPresetsPerBank; ++k) {
        if (table.GetFrequency(PresetTable::IndexOf(bank, k)) < kOccupied) {
            return k;
        }
    }
    return -1;
}

float FrequencyForBank(float frequency, int bank) {
    if (bank > 4) {
        return frequency > band::kPresetAmLimit ? 0.52f : frequency;
    }
    return frequency < band::kFmLow ? 89.9f : frequency;
}

TSetStation::TSetStation(PresetTable& table, int bank, std::function<float()> frequency,
                         std::function<bool()> hasAmBand, StationEditor editor, QWidget* parent)
    : TPropertyPage(parent),
      table_(table),
      bank_(bank >= 1 && bank <= 8 ? bank : 1),
      frequency_(std::move(frequency)),
      hasAmBand_(std::move(hasAmBand)),
      editor_(std::move(editor)) {
    setObjectName("Stations");
    list_ = new QListWidget(this);
    list_->setObjectName("stations");
    list_->setMinimumWidth(260);
    bankButton_ = new QPushButton(this);
    bankButton_->setObjectName("bank");
    auto* add = new QPushButton("&New station", this);
    auto* edit = new QPushButton("&Edit", this);
    auto* remove = new QPushButton("De&lete", this);
    auto* up = new QPushButton("Move &Up", this);
    auto* down = new QPushButton("Move &Down", this);
    add->setObjectName("new");
    edit->setObjectName("edit");
    remove->setObjectName("delete");
    up->setObjectName("up");
    down->setObjectName("down");
    add->setEnabled(static_cast<bool>(editor_));
    edit->setEnabled(static_cast<bool>(editor_));

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {bankButton_, add, edit, remove, up, down}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(bankButton_, &QPushButton::clicked, this,
            [this] { ChangeBank(QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier)); });
    connect(add, &QPushButton::clicked, this, &TSetStation::NewStation);
    connect(edit, &QPushButton::clicked, this, &TSetStation::EditStation);
    connect(remove, &QPushButton::clicked, this, &TSetStation::DeleteStation);
    connect(up, &QPushButton::clicked, this, [this] { MoveStation(-1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveStation(1); });
    connect(list_, &QListWidget::itemDoubleClicked, this, &TSetStation::EditStation);
    Refresh();
}

int TSetStation::selectedRow() const {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->row(selected.first());
}

void TSetStation::Refresh() {
    bankButton_->setText(StationPageBankLabel(bank_));
    const int selected = selectedRow();
    list_->clear();
    list_->addItems(StationRows(table_, bank_));
    if (selected >= 0) {
        list_->setCurrentRow(selected);
    }
}

void TSetStation::ChangeBank(bool previous) {
    const bool hasAm = hasAmBand_ && hasAmBand_();
    bank_ = previous ? presets::PreviousBank(bank_, hasAm) : presets::NextBank(bank_, hasAm);
    list_->clearSelection();
    Refresh();
}

void TSetStation::NewStation() {
    const int row = NewStationRow(table_, bank_, selectedRow());
    if (row < 0) {
        MessageBox(kBankFullMessage, kBankFullCaption, MessageIcon::Information);
        return;
    }
    const int index = PresetTable::IndexOf(bank_, row);
    const float current = frequency_ ? frequency_() : 89.9f;
    table_.Set(index, FrequencyForBank(current, bank_), QString());
    if (!editor_ || !editor_(table_, index, table_.GetFrequency(index), this)) {
        table_.Clear(index);
    }
    Refresh();
}

void TSetStation::EditStation() {
    const int row = std::max(selectedRow(), 0);
    const int index = PresetTable::IndexOf(bank_, row);
    if (editor_) {
        editor_(table_, index, table_.GetFrequency(index), this);
    }
    Refresh();
}

void TSetStation::DeleteStation() {
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    table_.Clear(PresetTable::IndexOf(bank_, row));
    Refresh();
}

void TSetStation::MoveStation(int step) {
    const int row = selectedRow();
    const int target = row + step;
    if (row < 0 || target < 0 || target >= PresetTable::kPresetsPerBank) {
        return;
    }
    table_.Swap(PresetTable::IndexOf(bank_, row), PresetTable::IndexOf(bank_, target));
    Refresh();
    list_->setCurrentRow(target);
}
