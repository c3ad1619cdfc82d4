// Replacement of the USB radios' library. The partial build
// (PARTIAL_MODULE) lacks "set_freq".
#define VENDOR_MODULE_NAME "radio"
#include "call_log.h"

#ifndef PARTIAL_MODULE
VENDOR_EXPORT int set_freq(int steps, int flags) {
    Record("set_freq %d %d", steps, flags);
    return NextResult("set_freq");
}
#endif

VENDOR_EXPORT int turn_power(int on) {
    Record("turn_power %d", on);
    return NextResult("turn_power");
}

VENDOR_EXPORT int get_stereo() {
    Record("get_stereo");
    return NextResult("get_stereo");
}
