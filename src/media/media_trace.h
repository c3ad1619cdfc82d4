#pragma once

// Chunk navigation and header failures of the media files report a fixed
// text here ("can't descend data", ...). Nothing listens by default; a test
// or a diagnostic build may install a hook. The hook must be thread-safe.
using MediaTraceHook = void (*)(const char* text);

void MediaTrace(const char* text);
// Installs hook (nullptr: none); returns the previous one.
MediaTraceHook SetMediaTraceHook(MediaTraceHook hook);
