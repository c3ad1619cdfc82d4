#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "platform/sdr_device.h"

// Searches the local SDR receivers on a worker thread, so that the thread
// that asks never waits for the modules; the devices come back to the
// asking thread in batches as they become known.
class SdrDeviceSearch : public QObject {
    Q_OBJECT
  public:
    // Runs on the worker thread and hands each batch to found.
    using Searcher = std::function<void(const SdrDevicesFound& found)>;
    static Searcher System() { return SearchSdrDevices; }

    explicit SdrDeviceSearch(Searcher searcher, QObject* parent = nullptr);
    // Batches still on their way are dropped; a search under way finishes
    // on its own.
    ~SdrDeviceSearch() override;

    // Starts the search once; later calls do nothing.
    void Start();
    bool searching() const { return started_ && !done_; }
    bool done() const { return done_; }
    // What was found so far, in the order it came.
    const std::vector<SdrDeviceInfo>& devices() const { return devices_; }

  signals:
    // Devices came, or the search is done.
    void changed();

  private:
    struct Link;

    Searcher searcher_;
    std::shared_ptr<Link> link_;
    bool started_ = false;
    bool done_ = false;
    std::vector<SdrDeviceInfo> devices_;
};
