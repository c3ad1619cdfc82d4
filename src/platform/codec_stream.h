#pragma once

#include <QByteArray>
#include <memory>

#include "platform/wave_format.h"

namespace codec {

// True when the installed libraries encode and decode the tag (PCM always).
bool TagPossible(uint16_t tag);

// A conversion stream between 8- or 16-bit PCM and one compressed format,
// in either direction (PCM to PCM of another width as well). Source bytes
// that do not fill a whole block or frame are kept for the next call, so the
// output always consists of whole blocks unless the stream is told to end.
class CodecStream {
  public:
    enum Flag : unsigned {
        // Convert whole blocks only; without it a part block is padded with
        // silence and converted now.
        kBlockAlign = 1,
        // First conversion of a new run: whatever an earlier run left in
        // the stream is dropped.
        kStart = 2,
        // Last conversion: the kept part block and everything the codec
        // still holds (an encoder's final frames) come out. The next
        // conversion starts a new run.
        kEnd = 4,
    };

    // Nothing, with *result set (kResultNotPossible or kResultInvalidParam),
    // when the conversion is not available.
    static std::unique_ptr<CodecStream> Open(const WaveFormat& source, const WaveFormat& target,
                                             int* result = nullptr);
    ~CodecStream();
    CodecStream(const CodecStream&) = delete;
    CodecStream& operator=(const CodecStream&) = delete;

    // Converts size source bytes and appends the output to out. kResultOk,
    // or an error code when the codec fails (the stream should then be
    // reset).
    int Convert(const char* data, int size, unsigned flags, QByteArray& out);
    // Drops kept source bytes and the codec's state.
    void Reset();
    // Source bytes kept for the next conversion.
    int KeptBytes() const;

    const WaveFormat& Source() const;
    const WaveFormat& Target() const;

  private:
    struct Impl;
    explicit CodecStream(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace codec
