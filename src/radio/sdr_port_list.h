#pragma once

#include <QString>
#include <vector>

#include "platform/sdr_device.h"
#include "radio/radio_models.h"

// The entries of port list F, the receivers of the SDR radio model.

// The last entry: choosing it asks for the host and port of a network
// receiver.
inline constexpr const char* kNetworkReceiverEntry = "Network receiver (rtl_tcp)...";

// Shown while the local devices are still being searched; choosing it
// changes nothing.
inline constexpr const char* kSearchingEntry = "Searching for receivers...";

// What the list shows for a stored port: an rtl_tcp server by its address, a
// local device by its arguments. absent marks a local device that is not
// plugged in.
QString SdrPortLabel(const QString& portString, bool absent = false);

// Every local device found (label shown, "soapy:<arguments>" stored), then a
// stored receiver that is not among them (kept; a local device is marked as
// not plugged in once the search is done), then the network receivers added
// on the page, then kSearchingEntry while searching, then
// kNetworkReceiverEntry. selected: the stored receiver, else entry 0.
struct SdrPortListFill {
    std::vector<PortChoice> entries;
    int selected = 0;
};
SdrPortListFill FillSdrPortList(const std::vector<SdrDeviceInfo>& devices,
                                const QString& storedPort, bool searching = false,
                                const std::vector<QString>& added = {});

// Whether the entry is the one that asks for a network receiver.
bool IsNetworkReceiverEntry(const PortChoice& entry);
// Whether the entry stands for the search under way.
bool IsSearchingEntry(const PortChoice& entry);
