// Replacement of the Cadet card's library. Built once with all functions
// and once without "IsTuned" and "SetStereo" (PARTIAL_MODULE).
#define VENDOR_MODULE_NAME "cadetio"
#include "call_log.h"

VENDOR_EXPORT int AmBand() {
    Record("AmBand");
    return NextResult("AmBand");
}

VENDOR_EXPORT int FmBand() {
    Record("FmBand");
    return NextResult("FmBand");
}

VENDOR_EXPORT int Mute() {
    Record("Mute");
    return NextResult("Mute");
}

VENDOR_EXPORT int UnMute() {
    Record("UnMute");
    return NextResult("UnMute");
}

VENDOR_EXPORT int SetTunerFrequency(int kilohertz) {
    Record("SetTunerFrequency %d", kilohertz);
    return NextResult("SetTunerFrequency");
}

#ifndef PARTIAL_MODULE
VENDOR_EXPORT int IsTuned() {
    Record("IsTuned");
    return NextResult("IsTuned");
}

VENDOR_EXPORT int SetStereo() {
    Record("SetStereo");
    return NextResult("SetStereo");
}
#endif
