#include "media/media_trace.h"

#include <atomic>

namespace {
std::atomic<MediaTraceHook> g_hook{nullptr};
}

void MediaTrace(const char* text) {
    if (MediaTraceHook hook = g_hook.load()) {
        hook(text);
    }
}

MediaTraceHook SetMediaTraceHook(MediaTraceHook hook) {
    return g_hook.exchange(hook);
}
