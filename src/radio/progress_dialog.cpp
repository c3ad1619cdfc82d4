#include "radio/progress_dialog.h"

#include <QCoreApplication>

namespace {

class WindowlessProgress : public ProgressDialog {
  public:
    void Open(const QString&) override {}
    bool Step(int) override {
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::processEvents();
        }
        return true;
    }
    void Close() override {}
};

}  // namespace

std::unique_ptr<ProgressDialog> MakeWindowlessProgress() {
    return std::make_unique<WindowlessProgress>();
}
