#include "media/media_test_support.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

QByteArray ReadFileBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

void WriteFileBytes(const std::string& path, const QByteArray& bytes) {
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

QByteArray Le16(uint16_t value) {
    QByteArray b(2, '\0');
    b[0] = static_cast<char>(value & 0xFF);
    b[1] = static_cast<char>(value >> 8);
    return b;
}

QByteArray Le32(uint32_t value) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return b;
}

QByteArray RiffPiece(const char* id, const QByteArray& contents) {
    QByteArray piece = QByteArray(id, 4) + Le32(static_cast<uint32_t>(contents.size())) + contents;
    if (contents.size() % 2) {
        piece.append('\0');
    }
    return piece;
}

QByteArray Ds64Room() {
    return RiffPiece("JUNK", QByteArray(28, '\0'));
}

QByteArray WaveContainer(const QByteArray& chunks) {
    return "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

QByteArray AudioPattern(int size, int seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + seed * 13 + (i >> 8)) & 0xFF);
    }
    return bytes;
}

std::string FixturePath(const char* name) {
    return std::string(MEDIA_FIXTURES_DIR "/") + name;
}

bool HaveTool(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

ToolRun RunTool(const QString& program, const QStringList& arguments, int timeoutMs) {
    ToolRun run;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) {
        return run;
    }
    run.started = true;
    process.waitForFinished(timeoutMs);
    run.output = QString::fromLocal8Bit(process.readAll());
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}
