#include "radio/sdr_device_search.h"

#include <QThreadPool>
#include <mutex>

// What the worker shares with the search object: the object to post to,
// cleared when it goes away.
struct SdrDeviceSearch::Link {
    std::mutex mutex;
    SdrDeviceSearch* target = nullptr;

    template <typename F>
    void Post(F f) {
        std::lock_guard lock(mutex);
        if (target != nullptr) {
            QMetaObject::invokeMethod(target, std::move(f), Qt::QueuedConnection);
        }
    }
};

SdrDeviceSearch::SdrDeviceSearch(Searcher searcher, QObject* parent)
    : QObject(parent), searcher_(std::move(searcher)), link_(std::make_shared<Link>()) {
    link_->target = this;
}

SdrDeviceSearch::~SdrDeviceSearch() {
    std::lock_guard lock(link_->mutex);
    link_->target = nullptr;
}

void SdrDeviceSearch::Start() {
    if (started_) {
        return;
    }
    started_ = true;
    if (!searcher_) {
        done_ = true;
        return;
    }
    // The global pool is waited for when the application ends, so the
    // search never outlives the program's libraries.
    QThreadPool::globalInstance()->start([link = link_, searcher = searcher_] {
        searcher([&link](std::vector<SdrDeviceInfo> batch) {
            link->Post([link, batch = std::move(batch)] {
                SdrDeviceSearch* self = link->target;
                self->devices_.insert(self->devices_.end(), batch.begin(), batch.end());
                emit self->changed();
            });
        });
        link->Post([link] {
            link->target->done_ = true;
            emit link->target->changed();
        });
    });
}
