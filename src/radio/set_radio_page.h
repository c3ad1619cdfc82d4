#pragma once

#include <QStringList>
#include <functional>
#include <vector>

#include "platform/sdr_device.h"
#include "prefs/property_page.h"
#include "radio/radio_models.h"
#include "radio/sdr_device_search.h"

class QButtonGroup;
class QComboBox;
class QListWidget;
class QRadioButton;
class TNetworkReceiverDialog;
struct RadioSettings;

inline constexpr const char* kRadioHelpTopic = "PCRadios.html";
inline constexpr const char* kNoModelSelected = "Please select radio device.";
inline constexpr const char* kNoModelCaption = "Radio Select";

// Wizard buttons a page asks for when it becomes active.
enum WizardButtons : int { kWizardBack = 1, kWizardNext = 2, kWizardFinish = 4 };

// The names of the installed TV tuner devices (list E).
using TunerLister = std::function<QStringList()>;
TunerLister SystemTunerLister();
// Searches the local SDR receivers (list F) on a worker thread.
using SdrLister = SdrDeviceSearch::Searcher;
SdrLister SystemSdrLister();

struct ModelRow {
    QString name;
    int id;
};
// The model rows sorted by name, ignoring case.
std::vector<ModelRow> SortedModelRows();
// The row a configured model selects: its own, or "<no radio>" for a model
// without a row.
int ModelRowOf(const std::vector<ModelRow>& rows, int configuredModel);

struct PortListFill {
    std::vector<PortChoice> entries;
    int selected = -1;
};
// The port list of the model chosen on the page. A TV tuner model that is
// configured selects the tuner its port text begins with; other configured
// models select the last entry after the first whose value is the
// configured port, else the first entry. The SDR model lists the receivers
// found and selects the configured one, which stays listed when it is not
// plugged in.
PortListFill FillPortList(int chosenModel, const RadioSettings& configured,
                          const QStringList& tuners,
                          const std::vector<SdrDeviceInfo>& sdrDevices = {});

// What the Radio page shows when it is confirmed.
struct RadioPageChoice {
    int model = kNoRadioModel;
    int port = kNoPortValue;
    QString portText;
    int onExit = kOnExitMute;
    int startMute = kStartMute;
};

// "Radio": the radio model, its port, and what happens to the radio at
// program start and exit.
class TSetRadio : public TPropertyPage {
    Q_OBJECT
  public:
    // wizardButtons: 0 in the Options sheet; Back and Next in the first-run
    // wizard.
    TSetRadio(RadioSettings& settings, int wizardButtons = 0,
              TunerLister tuners = SystemTunerLister(), SdrLister sdrDevices = SystemSdrLister(),
              QWidget* parent = nullptr);

    void Apply() override;
    // Back or Next in the wizard: false, with the message, when no model is
    // chosen; else stores model, port and the exit rule.
    bool StoreForWizard();

    RadioPageChoice choice() const;
    int wizardButtons() const { return wizardButtons_; }
    bool modelChosen() const;

    // The dialog that asks for a network receiver, while it is open.
    TNetworkReceiverDialog* networkDialog() const { return networkDialog_; }

  private:
    void FillPorts();
    // List F as far as the search has come: the entry chosen so far (or
    // choose) stays chosen.
    void ShowSdrPorts(const QString& choose = {});
    // A port entry was chosen by the user: the network receiver entry asks
    // for host and port.
    void PortActivated(int index);
    void AddNetworkReceiver(const QString& portString);

    RadioSettings& settings_;
    int wizardButtons_;
    TunerLister tuners_;
    SdrLister sdrDevices_;
    SdrDeviceSearch* sdrSearch_ = nullptr;  // from the first time list F shows
    std::vector<QString> addedNetwork_;     // network receivers added here
    QListWidget* models_;
    QComboBox* ports_;
    std::vector<PortChoice> portEntries_;
    int lastPort_ = -1;
    TNetworkReceiverDialog* networkDialog_ = nullptr;
    QRadioButton* exitMute_;
    QRadioButton* exitNoMute_;
    QRadioButton* exitAsk_;
    QRadioButton* startMute_;
    QRadioButton* startNoMute_;
    QRadioButton* startLast_;
};
