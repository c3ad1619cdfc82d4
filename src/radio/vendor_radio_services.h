#pragma once

#include "platform/v4l2_tuner.h"
#include "platform/window_automation.h"
#include "radio/progress_dialog.h"

// What the drivers of vendor programs and TV tuners reach besides the
// hardware of RadioHardware. Every null or empty entry means the real one.
struct VendorRadioServices {
    WindowAutomation* automation = nullptr;  // the makers' radio programs
    V4l2Layer* v4l2 = nullptr;               // Video4Linux2 radio tuners
    ProgressDialogFactory progressDialog;    // shown while a program starts

    WindowAutomation& Automation() const {
        return automation ? *automation : WindowAutomation::System();
    }
    V4l2Layer& V4l2() const { return v4l2 ? *v4l2 : V4l2Layer::System(); }
};
