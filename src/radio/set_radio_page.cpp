#include "radio/set_radio_page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/message_box.h"
#include "platform/v4l2_tuner.h"
#include "prefs/settings_values.h"
#include "radio/network_receiver_dialog.h"
#include "radio/radio_settings.h"
#include "radio/sdr_port_list.h"

namespace {

bool IsTunerModel(int id) {
    return id == 11 || id == 15 || id == 18 || id == 19;
}

}  // namespace

TunerLister SystemTunerLister() {
    return [] {
        QStringList names;
        for (const V4l2RadioTunerInfo& info : EnumerateRadioTuners(V4l2Layer::System())) {
            names << info.cardName;
        }
        return names;
    };
}

SdrLister SystemSdrLister() {
    return SdrDeviceSearch::System();
}

std::vector<ModelRow> SortedModelRows() {
    std::vector<ModelRow> rows;
    for (const RadioModel& model : RadioModels()) {
        rows.push_back({QString::fromLatin1(model.name), model.id});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ModelRow& a, const ModelRow& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return rows;
}

int ModelRowOf(const std::vector<ModelRow>& rows, int configuredModel) {
    for (int pass = 0; pass < 2; ++pass) {
        const int wanted = pass == 0 ? configuredModel : kNoRadioModelRow;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].id == wanted) {
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

PortListFill FillPortList(int chosenModel, const RadioSettings& configured,
                          const QStringList& tuners, const std::vector<SdrDeviceInfo>& sdrDevices) {
    PortListFill fill;
    const RadioModel* model = FindRadioModel(chosenModel);
    if (model == nullptr) {
        return fill;
    }
    if (model->ports == PortList::F) {
        SdrPortListFill sdr = FillSdrPortList(
            sdrDevices, configured.vendor == kSdrRadioModel ? configured.portString : QString());
        fill.entries = std::move(sdr.entries);
        fill.selected = sdr.selected;
        return fill;
    }
    fill.entries = PortChoicesFor(model->ports, tuners);
    if (fill.entries.empty()) {
        return fill;
    }
    fill.selected = 0;
    if (IsTunerModel(configured.vendor)) {
        if (model->ports == PortList::E && !configured.portString.isEmpty()) {
            for (size_t i = 0; i < fill.entries.size(); ++i) {
                if (fill.entries[i].text.startsWith(configured.portString, Qt::CaseInsensitive)) {
                    fill.selected = static_cast<int>(i);
                    break;
                }
            }
        }
        return fill;
    }
    for (size_t i = 1; i < fill.entries.size(); ++i) {
        if (fill.entries[i].port == configured.portAddress) {
            fill.selected = static_cast<int>(i);
        }
    }
    return fill;
}

TSetRadio::TSetRadio(RadioSettings& settings, int wizardButtons, TunerLister tuners,
                     SdrLister sdrDevices, QWidget* parent)
    : TPropertyPage(parent),
      settings_(settings),
      wizardButtons_(wizardButtons),
      tuners_(std::move(tuners)),
      sdrDevices_(std::move(sdrDevices)) {
    setObjectName("Radio");
    models_ = new QListWidget(this);
    models_->setObjectName("models");
    models_->setMinimumHeight(models_->fontMetrics().height() * 9);
    ports_ = new QComboBox(this);
    ports_->setObjectName("ports");
    ports_->setMinimumContentsLength(24);
    auto* modelLabel = new QLabel("Radio card &model", this);
    modelLabel->setBuddy(models_);
    auto* portLabel = new QLabel("&Port address or device for radio", this);
    portLabel->setBuddy(ports_);
    auto* help = new QPushButton("&Help", this);
    help->setObjectName("help");

    auto* exitGroup = new QGroupBox("On program &exit", this);
    exitMute_ = new QRadioButton("M&ute", exitGroup);
    exitNoMute_ = new QRadioButton("&No mute", exitGroup);
    exitAsk_ = new QRadioButton("&Ask", exitGroup);
    auto* exitLayout = new QVBoxLayout(exitGroup);
    for (QRadioButton* b : {exitMute_, exitNoMute_, exitAsk_}) {
        exitLayout->addWidget(b);
    }
    auto* startGroup = new QGroupBox("On program &start", this);
    startMute_ = new QRadioButton("Mute", startGroup);
    startNoMute_ = new QRadioButton("No mute", startGroup);
    startLast_ = new QRadioButton("Last state", startGroup);
    auto* startLayout = new QVBoxLayout(startGroup);
    for (QRadioButton* b : {startMute_, startNoMute_, startLast_}) {
        startLayout->addWidget(b);
    }
    exitMute_->setObjectName("exitMute");
    exitNoMute_->setObjectName("exitNoMute");
    exitAsk_->setObjectName("exitAsk");
    startMute_->setObjectName("startMute");
    startNoMute_->setObjectName("startNoMute");
    startLast_->setObjectName("startLast");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modelLabel);
    layout->addWidget(models_, 1);
    layout->addWidget(portLabel);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(ports_, 1);
    portRow->addWidget(help);
    layout->addLayout(portRow);
    auto* groups = new QHBoxLayout;
    groups->addWidget(exitGroup);
    groups->addWidget(startGroup);
    layout->addLayout(groups);
    layout->addWidget(
        new QLabel("All trademarks are the properties of their respective owners.", this));

    const std::vector<ModelRow> rows = SortedModelRows();
    for (const ModelRow& row : rows) {
        auto* item = new QListWidgetItem(row.name, models_);
        item->setData(Qt::UserRole, row.id);
    }
    models_->setCurrentRow(ModelRowOf(rows, settings_.vendor));
    FillPorts();
    (settings_.onExit == kOnExitMute     ? exitMute_
     : settings_.onExit == kOnExitNoMute ? exitNoMute_
                                         : exitAsk_)
        ->setChecked(true);
    (settings_.startMute == kStartMute     ? startMute_
     : settings_.startMute == kStartNoMute ? startNoMute_
                                           : startLast_)
        ->setChecked(true);

    connect(models_, &QListWidget::currentRowChanged, this, &TSetRadio::FillPorts);
    connect(ports_, &QComboBox::activated, this, &TSetRadio::PortActivated);
    connect(help, &QPushButton::clicked, this, [this] { emit helpRequested(kRadioHelpTopic); });
}

void TSetRadio::FillPorts() {
    ports_->clear();
    portEntries_.clear();
    lastPort_ = -1;
    const QListWidgetItem* item = models_->currentItem();
    if (item == nullptr || !item->isSelected()) {
        return;
    }
    const int model = item->data(Qt::UserRole).toInt();
    const RadioModel* row = FindRadioModel(model);
    if (row != nullptr && row->ports == PortList::F) {
        if (sdrSearch_ == nullptr) {
            sdrSearch_ = new SdrDeviceSearch(sdrDevices_, this);
            connect(sdrSearch_, &SdrDeviceSearch::changed, this, [this] {
                const QListWidgetItem* current = models_->currentItem();
                if (current != nullptr && current->isSelected() &&
                    current->data(Qt::UserRole).toInt() == kSdrRadioModel) {
                    ShowSdrPorts();
                }
            });
            sdrSearch_->Start();
        }
        ShowSdrPorts();
        return;
    }
    const QStringList tuners =
        row && row->ports == PortList::E && tuners_ ? tuners_() : QStringList();
    const PortListFill fill = FillPortList(model, settings_, tuners);
    portEntries_ = fill.entries;
    for (const PortChoice& entry : portEntries_) {
        ports_->addItem(entry.text);
    }
    ports_->setCurrentIndex(fill.selected);
    lastPort_ = fill.selected;
}

void TSetRadio::ShowSdrPorts(const QString& choose) {
    QString chosen = choose;
    if (chosen.isEmpty() && lastPort_ >= 0 && lastPort_ < static_cast<int>(portEntries_.size())) {
        chosen = portEntries_[static_cast<size_t>(lastPort_)].stored;
    }
    const SdrPortListFill fill =
        FillSdrPortList(sdrSearch_->devices(),
                        settings_.vendor == kSdrRadioModel ? settings_.portString : QString(),
                        sdrSearch_->searching(), addedNetwork_);
    int selected = fill.selected;
    for (size_t i = 0; i < fill.entries.size() && !chosen.isEmpty(); ++i) {
        if (fill.entries[i].stored == chosen) {
            selected = static_cast<int>(i);
        }
    }
    // The items change in place, so that an open list and the keyboard focus
    // stay where they are.
    portEntries_ = fill.entries;
    const int count = static_cast<int>(portEntries_.size());
    auto* items = qobject_cast<QStandardItemModel*>(ports_->model());
    for (int i = 0; i < count; ++i) {
        const PortChoice& entry = portEntries_[static_cast<size_t>(i)];
        if (i >= ports_->count()) {
            ports_->addItem(entry.text);
        } else if (ports_->itemText(i) != entry.text) {
            ports_->setItemText(i, entry.text);
        }
        // The search entry is passed over by the keys and the mouse.
        if (QStandardItem* item = items != nullptr ? items->item(i) : nullptr) {
            item->setEnabled(!IsSearchingEntry(entry));
        }
    }
    while (ports_->count() > count) {
        ports_->removeItem(ports_->count() - 1);
    }
    ports_->setCurrentIndex(selected);
    lastPort_ = selected;
}

void TSetRadio::PortActivated(int index) {
    if (index >= 0 && index < static_cast<int>(portEntries_.size()) &&
        IsSearchingEntry(portEntries_[static_cast<size_t>(index)])) {
        ports_->setCurrentIndex(lastPort_);  // nothing to choose yet
        return;
    }
    if (index < 0 || index >= static_cast<int>(portEntries_.size()) ||
        !IsNetworkReceiverEntry(portEntries_[static_cast<size_t>(index)])) {
        lastPort_ = index;
        return;
    }
    // Until a receiver is given, the entry chosen before stays chosen.
    ports_->setCurrentIndex(lastPort_);
    if (networkDialog_ != nullptr) {
        return;
    }
    networkDialog_ = new TNetworkReceiverDialog(this);
    networkDialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(networkDialog_, &QDialog::accepted, this,
            [this, dialog = networkDialog_] { AddNetworkReceiver(dialog->portString()); });
    connect(networkDialog_, &QObject::destroyed, this, [this] { networkDialog_ = nullptr; });
    networkDialog_->open();
}

void TSetRadio::AddNetworkReceiver(const QString& portString) {
    if (std::find(addedNetwork_.begin(), addedNetwork_.end(), portString) == addedNetwork_.end()) {
        addedNetwork_.push_back(portString);
    }
    ShowSdrPorts(portString);
}

bool TSetRadio::modelChosen() const {
    const QListWidgetItem* item = models_->currentItem();
    return item != nullptr && item->isSelected();
}

RadioPageChoice TSetRadio::choice() const {
    RadioPageChoice c;
    if (modelChosen()) {
        c.model = models_->currentItem()->data(Qt::UserRole).toInt();
    }
    const int port = ports_->currentIndex();
    c.portText = ports_->currentText();
    if (port >= 0 && port < static_cast<int>(portEntries_.size())) {
        const PortChoice& entry = portEntries_[static_cast<size_t>(port)];
        c.port = entry.port;
        c.portText = IsNetworkReceiverEntry(entry) || IsSearchingEntry(entry) ? QString()
                                                                              : entry.StoredText();
    }
    c.portText = c.portText.left(settings_values::kMaxTextLength);
    c.onExit = exitMute_->isChecked()  ? kOnExitMute
               : exitAsk_->isChecked() ? kOnExitAsk
                                       : kOnExitNoMute;
    c.startMute = startMute_->isChecked()   ? kStartMute
                  : startLast_->isChecked() ? kStartLastState
                                            : kStartNoMute;
    return c;
}

void TSetRadio::Apply() {
    const RadioPageChoice c = choice();
    if (c.model == kNoRadioModel) {
        return;  // nothing chosen: the configured radio stays
    }
    settings_.vendor = c.model;
    settings_.portAddress = c.port;
    settings_.portString = c.portText;
    settings_.onExit = c.onExit;
    settings_.startMute = c.startMute;
}

bool TSetRadio::StoreForWizard() {
    const RadioPageChoice c = choice();
    if (c.model == kNoRadioModel) {
        MessageBox(kNoModelSelected, kNoModelCaption, MessageIcon::Error);
        return false;
    }
    settings_.vendor = c.model;
    settings_.portAddress = c.port;
    if (c.model == kSdrRadioModel) {
        settings_.portString = c.portText;  // the port value alone names no receiver
    }
    settings_.onExit = c.onExit;
    return true;
}
