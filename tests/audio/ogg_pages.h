#pragma once

#include <QByteArray>

// Whole Ogg pages from the start of the data: their count, and in *end
// the offset after the last whole page; a page that is cut off or damaged
// ends the walk.
inline int WholeOggPages(const QByteArray& data, qsizetype* end,
                         bool* lastIsEndOfStream = nullptr) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    qsizetype at = 0;
    int pages = 0;
    bool eos = false;
    while (data.size() - at >= 27 && data.mid(at, 4) == "OggS") {
        const int segments = p[at + 26];
        if (data.size() - at < 27 + segments) {
            break;
        }
        qsizetype body = 0;
        for (int i = 0; i < segments; ++i) {
            body += p[at + 27 + i];
        }
        const qsizetype size = 27 + segments + body;
        if (data.size() - at < size) {
            break;
        }
        eos = (p[at + 5] & 0x04) != 0;
        at += size;
        ++pages;
    }
    *end = at;
    if (lastIsEndOfStream) {
        *lastIsEndOfStream = eos;
    }
    return pages;
}
