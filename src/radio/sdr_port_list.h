#pragma once

#include <QString>
#include <vector>

#include "platform/sdr_device.h"
#include "radio/radio_models.h"

// The entries of port list F, the receivers of the SDR radio model.

// The last entry: choosing it asks for the host and port of a network
// receiver.
inline constexpr const char* kNetworkReceiverEntry = "Network receiver (rtl_tcp)...";

// What the list shows for a stored port: an rtl_tcp server by its address, a
// local device by its arguments. absent marks a local device that is not
// plugged in.
QString SdrPortLabel(const QString& portString, bool absent = false);

// Every local device found (label shown, "soapy:<arguments>" stored), then a
// stored receiver that is not among them (kept, marked when it is a local
// device), then kNetworkReceiverEntry. selected: the stored receiver, else
// entry 0.
struct SdrPortListFill {
    std::vector<PortChoice> entries;
    int selected = 0;
};
SdrPortListFill FillSdrPortList(const std::vector<SdrDeviceInfo>& devices,
                                const QString& storedPort);

// Whether the entry is the one that asks for a network receiver.
bool IsNetworkReceiverEntry(const PortChoice& entry);
