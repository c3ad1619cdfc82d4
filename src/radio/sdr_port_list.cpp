#include "radio/sdr_port_list.h"

#include <algorithm>

QString SdrPortLabel(const QString& portString, bool absent) {
    const SdrPort port = ParseSdrPort(portString.toStdString());
    switch (port.kind) {
        case SdrPort::Kind::kRtlTcp:
            return QStringLiteral("rtl_tcp at %1:%2")
                .arg(QString::fromStdString(port.host))
                .arg(port.port);
        case SdrPort::Kind::kSoapy:
            return QString::fromStdString(port.args) +
                   (absent ? QStringLiteral(" (not plugged in)") : QString());
        case SdrPort::Kind::kNone:
            break;
    }
    return portString;
}

SdrPortListFill FillSdrPortList(const std::vector<SdrDeviceInfo>& devices,
                                const QString& storedPort, bool searching,
                                const std::vector<QString>& added) {
    SdrPortListFill fill;
    const SdrPort stored = ParseSdrPort(storedPort.toStdString());
    int match = -1;
    for (const SdrDeviceInfo& device : devices) {
        if (match < 0 && stored.kind == SdrPort::Kind::kSoapy &&
            SameSdrDevice(stored.args, device.args)) {
            match = static_cast<int>(fill.entries.size());
        }
        fill.entries.push_back({QString::fromStdString(device.label), 0,
                                QString::fromStdString(SoapyPortString(device.args))});
    }
    if (match >= 0) {
        // The stored arguments may name the device more narrowly than the
        // enumeration does; they stay as they were.
        fill.entries[static_cast<size_t>(match)].stored = storedPort;
    } else if (stored.kind != SdrPort::Kind::kNone) {
        match = static_cast<int>(fill.entries.size());
        fill.entries.push_back(
            {SdrPortLabel(storedPort, !searching && stored.kind == SdrPort::Kind::kSoapy), 0,
             storedPort});
    }
    for (const QString& port : added) {
        const bool listed =
            std::any_of(fill.entries.begin(), fill.entries.end(),
                        [&port](const PortChoice& entry) { return entry.stored == port; });
        if (!listed) {
            fill.entries.push_back({SdrPortLabel(port), 0, port});
        }
    }
    if (searching) {
        fill.entries.push_back({QString::fromLatin1(kSearchingEntry), 0, {}});
    }
    fill.entries.push_back({QString::fromLatin1(kNetworkReceiverEntry), 0, {}});
    fill.selected = match >= 0 ? match : 0;
    return fill;
}

bool IsNetworkReceiverEntry(const PortChoice& entry) {
    return entry.stored.isEmpty() && entry.text == QLatin1String(kNetworkReceiverEntry);
}

bool IsSearchingEntry(const PortChoice& entry) {
    return entry.stored.isEmpty() && entry.text == QLatin1String(kSearchingEntry);
}
