#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <string>

// Bytes of files and RIFF pieces for the media tests.
QByteArray ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const QByteArray& bytes);
QByteArray Le16(uint16_t value);
QByteArray Le32(uint32_t value);
// A chunk: id, size, contents, pad byte when the size is odd.
QByteArray RiffPiece(const char* id, const QByteArray& contents);
// The "JUNK" chunk a new WAVE file starts with: room for "ds64".
QByteArray Ds64Room();
// "RIFF" size "WAVE" followed by the given chunks.
QByteArray WaveContainer(const QByteArray& chunks);
// Audio bytes that differ from position to position.
QByteArray AudioPattern(int size, int seed = 0);

// A committed test file (tests/fixtures/media).
std::string FixturePath(const char* name);

// Runs a program of the machine (sox, ffprobe, mid3v2, ffmpeg).
struct ToolRun {
    bool started = false;
    int exitCode = -1;
    QString output;  // standard output and error
};
bool HaveTool(const QString& program);
ToolRun RunTool(const QString& program, const QStringList& arguments, int timeoutMs = 60000);

// A fresh folder for one test.
class TestDir {
  public:
    std::string Path(const std::string& name) const {
        return (dir_.path() + "/").toStdString() + name;
    }
    std::string Root() const { return dir_.path().toStdString(); }

  private:
    QTemporaryDir dir_;
};
