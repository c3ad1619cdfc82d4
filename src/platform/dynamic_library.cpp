#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <string>
#include <utility>

namespace {

QString ExecutableDirectory() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0) {
        return {};
    }
    return QFileInfo(QString::fromLocal8Bit(buffer, length)).absolutePath();
}

// "_Name@12" -> "Name"; anything else -> empty.
std::string Undecorated(const char* name) {
    static const QRegularExpression decorated(QStringLiteral("^_([A-Za-z_][A-Za-z0-9_]*)@\\d+$"));
    const auto match = decorated.match(QString::fromLatin1(name));
    return match.hasMatch() ? match.captured(1).toStdString() : std::string();
}

}  // namespace

DynamicLibrary::~DynamicLibrary() {
    Unload();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool DynamicLibrary::Load(const QString& absolutePath) {
    Unload();
    if (absolutePath.isEmpty() || !QDir::isAbsolutePath(absolutePath)) {
        error_ = QStringLiteral("not an absolute path: %1").arg(absolutePath);
        return false;
    }
    const QByteArray file = QFile::encodeName(absolutePath);
    handle_ = dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) {
        path_ = absolutePath;
    } else {
        const char* reason = dlerror();
        error_ = reason != nullptr ? QString::fromLocal8Bit(reason) : QString();
    }
    return handle_ != nullptr;
}

void DynamicLibrary::Unload() {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
    path_.clear();
    error_.clear();
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) {
        return nullptr;
    }
    if (void* address = dlsym(handle_, name)) {
        return address;
    }
    const std::string plain = Undecorated(name);
    return plain.empty() ? nullptr : dlsym(handle_, plain.c_str());
}

QString ProgramModuleDirectory() {
    const QString executableDir = ExecutableDirectory();
    return executableDir.isEmpty() ? QString() : QDir::cleanPath(executableDir + "/../lib/plumora");
}

QStringList VendorModuleDirectories() {
    const QString overridden = qEnvironmentVariable(kVendorDirVariable);
    if (!overridden.isEmpty()) {
        // A relative folder would be looked up from the current directory.
        return QDir::isAbsolutePath(overridden) ? QStringList{QDir::cleanPath(overridden)}
                                                : QStringList{};
    }
    const QString executableDir = ExecutableDirectory();
    if (executableDir.isEmpty()) {
        return {};
    }
    return {ProgramModuleDirectory() + "/vendor", QDir::cleanPath(executableDir + "/vendor")};
}

QString VendorModuleDirectoryText() {
    return VendorModuleDirectories().join(QStringLiteral("\n    "));
}

bool LoadVendorModule(DynamicLibrary& library, const QString& fileName) {
    library.Unload();
    if (fileName.isEmpty() || fileName.contains('/') || fileName == "." || fileName == "..") {
        return false;
    }
    for (const QString& directory : VendorModuleDirectories()) {
        const QString path = QDir(directory).filePath(fileName);
        if (QFileInfo(path).isFile() && library.Load(path)) {
            return true;
        }
    }
    return false;
}
