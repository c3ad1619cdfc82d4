#pragma once

#include <QString>
#include <QStringList>

// A shared library loaded at run time, released when the object goes away.
class DynamicLibrary {
  public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the library file at an absolute path, releasing any library held
    // before. A relative path is refused, so neither the current directory
    // nor the system's library search path is ever consulted.
    bool Load(const QString& absolutePath);
    void Unload();
    bool loaded() const { return handle_ != nullptr; }
    const QString& path() const { return path_; }
    // Why the last Load failed (the loader's own words); empty after success.
    const QString& error() const { return error_; }

    // Address of an exported function; nullptr when it is missing or nothing
    // is loaded. A name decorated as "_Name@N" (argument bytes after the @),
    // which an ELF symbol table cannot hold, is also found undecorated as
    // "Name".
    void* Symbol(const char* name) const;

    template <typename Function>
    Function Find(const char* name) const {
        return reinterpret_cast<Function>(Symbol(name));
    }

  private:
    void* handle_ = nullptr;
    QString path_;
    QString error_;
};

// The folder of the program's own modules: <prefix>/lib/plumora, prefix
// being the folder above the executable's folder (so in the build tree the
// program, the tests and the benchmarks share one); empty when the
// executable cannot be found.
QString ProgramModuleDirectory();

// Environment variable that replaces the vendor module folders by one
// folder of its own (absolute paths only).
inline constexpr const char* kVendorDirVariable = "PLUMORA_VENDOR_DIR";

// The folders radio makers' modules are looked for in, in order:
// $PLUMORA_VENDOR_DIR when it is set to an absolute path; otherwise
// <prefix>/lib/plumora/vendor (prefix = the folder above the executable's
// folder) and <executable's folder>/vendor.
QStringList VendorModuleDirectories();

// The folders of VendorModuleDirectories as one text for messages, one per
// line after the first, indented by four spaces.
QString VendorModuleDirectoryText();

// Loads a module by plain file name from the first vendor folder that holds
// it. A name with a folder in it is refused.
bool LoadVendorModule(DynamicLibrary& library, const QString& fileName);
