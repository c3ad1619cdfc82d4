// Opens any bytes as a WAVE file, reads its tags and audio, and changes it
// the way a recording does (append, tags, close).
#include <cstdint>
#include <vector>

#include "fuzz_file.h"
#include "media/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFile input(data, size, ".wav");
    std::vector<char> buffer(4096);
    {
        WaveFile file(input.path(), nullptr, kOpenRead);
        if (file.IsOpen()) {
            file.GetTag(kTimecodeTagName);
            file.GetTag("artist");
            file.GetTag("software", 7);
            file.Seek(file.GetLength() / 2 + 1);
            while (file.Read(buffer.data(), static_cast<int64_t>(buffer.size())) > 0) {
            }
        }
    }
    {
        WaveFile file(input.path(), nullptr, kOpenReadWrite);
        if (file.IsOpen()) {
            file.SetTag("comment", "fuzz");
            file.Write(buffer.data(), 33);
            file.SetTag(kTimecodeTagName, "SAMPLE\tTIMECODE\r\n0\t1\r\n");
            file.Update();
            file.GetTag(kTimecodeTagName);
        }
    }
    {
        WaveFile file(input.path(), nullptr, kOpenRead);
        if (file.IsOpen()) {
            file.GetTag(kTimecodeTagName);
            file.GetTag("comment");
        }
    }
    return 0;
}
