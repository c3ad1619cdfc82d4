#pragma once

#include <cstdint>
#include <string>

// Ends an Ogg stream that was cut off (its writer killed): the last whole
// page whose checksum holds becomes the end-of-stream page. A packet it
// leaves unfinished is taken off it, so the page's granule position, which
// belongs to its last finished packet, stays right; pages that finish no
// packet go. Only the last page is rewritten and the file cut behind it.
struct OggEndResult {
    enum Outcome {
        kEnded,          // the file now ends on an end-of-stream page
        kAlreadyEnded,   // it did already; nothing was changed
        kNotRepairable,  // no whole page of audio, or not one stream: left as it is
        kFailed,         // it could not be opened or written
    };
    Outcome outcome = kFailed;
    int64_t granule = 0;   // of the end-of-stream page
    int64_t bytesCut = 0;  // taken off the end of the file
    std::string reason;    // for kNotRepairable and kFailed
};

OggEndResult EndOggStream(const std::string& path);

// The checksum of an Ogg page (its checksum field counted as zero).
uint32_t OggPageChecksum(const unsigned char* page, std::size_t size);
