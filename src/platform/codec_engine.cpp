#include "platform/codec_engine.h"

#include <QDir>
#include <QFileInfo>
#include <mutex>

#include "platform/dynamic_library.h"

namespace codec {
namespace {

struct LoadedEngine {
    DynamicLibrary library;
    const CodecEngine* engine = nullptr;
    QString error;
};

LoadedEngine LoadModule() {
    LoadedEngine loaded;
    const QString directory = ProgramModuleDirectory();
    const QString path = QDir(directory).filePath(kCodecModuleFile);
    QString reason;
    if (directory.isEmpty()) {
        reason = QStringLiteral("the program's folder is unknown");
    } else if (!QFileInfo(path).isFile()) {
        reason = QStringLiteral("there is no such file");
    } else if (!loaded.library.Load(path)) {
        reason = loaded.library.error();
    } else {
        using EntryPoint = const CodecEngine* (*)();
        const auto entry = loaded.library.Find<EntryPoint>(kCodecEngineSymbol);
        const CodecEngine* engine = entry != nullptr ? entry() : nullptr;
        if (engine == nullptr || engine->version != kCodecEngineVersion) {
            reason = QStringLiteral("it belongs to another version of the program");
        } else {
            loaded.engine = engine;
            return loaded;
        }
    }
    loaded.library.Unload();
    loaded.error = QStringLiteral(
                       "The codec module %1 cannot be loaded (%2); MP3 and the other compressed "
                       "WAVE formats can be neither recorded nor played.")
                       .arg(QDir::toNativeSeparators(path), reason);
    qWarning("Plumora: %s", qUtf8Printable(loaded.error));
    return loaded;
}

// Loaded once and kept: cores the module made may live until the end.
const LoadedEngine& Loaded() {
    static const LoadedEngine* loaded = nullptr;
    static std::once_flag once;
    std::call_once(once, [] { loaded = new LoadedEngine(LoadModule()); });
    return *loaded;
}

}  // namespace

const CodecEngine* Engine() {
    return Loaded().engine;
}

QString EngineError() {
    return Loaded().error;
}

}  // namespace codec
