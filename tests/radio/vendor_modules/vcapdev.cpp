// Replacement of the Voodoo3 capture library. The partial build
// (PARTIAL_MODULE) lacks "MuteAudio".
#define VENDOR_MODULE_NAME "vcapdev"
#include "call_log.h"

VENDOR_EXPORT int InitAudio() {
    Record("InitAudio");
    return NextResult("InitAudio");
}

VENDOR_EXPORT int SetTunerMode(int mode) {
    Record("SetTunerMode %d", mode);
    return 0;
}

#ifndef PARTIAL_MODULE
VENDOR_EXPORT int MuteAudio(int mute) {
    Record("MuteAudio %d", mute);
    return NextResult("MuteAudio");
}
#endif
