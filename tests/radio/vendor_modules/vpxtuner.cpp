// Replacement of the Voodoo3 tuner library. Its function is known to the
// card's programs by the decorated name "_SetRadioFreq@4", which an ELF
// symbol table cannot hold ("@" separates a symbol version), so it is
// exported undecorated. The partial build (PARTIAL_MODULE) lacks it.
#define VENDOR_MODULE_NAME "vpxtuner"
#include "call_log.h"

#ifndef PARTIAL_MODULE
VENDOR_EXPORT int SetRadioFreq(int steps) {
    Record("SetRadioFreq %d", steps);
    return NextResult("SetRadioFreq");
}
#endif

// Keeps the partial build from being an empty module.
VENDOR_EXPORT int VendorModuleVersion() {
    return 1;
}
