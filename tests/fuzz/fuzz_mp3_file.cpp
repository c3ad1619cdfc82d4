// Opens any bytes as an MP3 file, reads its tags (through id3lib) and audio,
// and adds tags and audio the way a recording does.
#include <cstdint>
#include <vector>

#include "fuzz_file.h"
#include "media/mp3_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFile input(data, size, ".mp3");
    std::vector<char> buffer(4096);
    {
        Mp3File file(input.path(), nullptr, kOpenRead);
        if (file.IsOpen()) {
            file.GetTag(kTimecodeTagName);
            file.GetTag("title");
            file.GetTag("comment", 5);
            file.Seek(file.GetLength() / 3);
            while (file.Read(buffer.data(), static_cast<int64_t>(buffer.size())) > 0) {
            }
        }
    }
    {
        Mp3File file(input.path(), nullptr, kOpenReadWrite);
        if (file.IsOpen()) {
            file.Write(buffer.data(), 17);
            file.SetTag(kTimecodeTagName, "SAMPLE\tTIMECODE\r\n0\t1\r\n");
            file.SetTag("title", "fuzz");
            file.GetTag(kTimecodeTagName);
        }
    }
    return 0;
}
