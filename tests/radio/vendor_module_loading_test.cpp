#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>

#include "platform/dynamic_library.h"
#include "radio/vendor_library_radios.h"
#include "vendor_module_env.h"

namespace {

using VendorModuleLoadingTest = VendorModuleTest;

// Runs the test body with another current directory.
class CurrentDirectory {
  public:
    explicit CurrentDirectory(const QString& path) : previous_(QDir::currentPath()) {
        EXPECT_TRUE(QDir::setCurrent(path));
    }
    ~CurrentDirectory() { QDir::setCurrent(previous_); }

  private:
    QString previous_;
};

TEST_F(VendorModuleLoadingTest, AModuleInTheCurrentDirectoryIsNeverLoaded) {
    const QString here = temp_.filePath("here");
    ASSERT_TRUE(QDir().mkpath(here));
    ASSERT_TRUE(QFile::copy(ModulesDir("complete") + "/cadetio.dll", here + "/cadetio.dll"));
    CurrentDirectory cd(here);

    // The installation's own folders do not hold it.
    qunsetenv(kVendorDirVariable);
    for (const QString& folder : VendorModuleDirectories()) {
        EXPECT_TRUE(QDir::isAbsolutePath(folder)) << folder.toStdString();
        EXPECT_NE(QDir(folder).canonicalPath(), QDir(here).canonicalPath());
    }
    {
        SCadet radio(clock);
        EXPECT_FALSE(radio.loaded());
    }
    // A relative folder in the variable would mean the current directory.
    for (const char* relative : {".", "./", "here/..", "vendor"}) {
        qputenv(kVendorDirVariable, relative);
        EXPECT_TRUE(VendorModuleDirectories().empty()) << relative;
        SCadet radio(clock);
        EXPECT_FALSE(radio.loaded()) << relative;
    }
    // Neither a bare file name nor a relative path loads from here.
    DynamicLibrary library;
    EXPECT_FALSE(library.Load("cadetio.dll"));
    EXPECT_FALSE(library.Load("./cadetio.dll"));
    EXPECT_TRUE(TakeCalls().empty());
    EXPECT_EQ(messages.calls().size(), 5u);
}

TEST_F(VendorModuleLoadingTest, ModuleNamesCannotReachOutOfTheVendorFolder) {
    UseFolder(ModulesDir("partial"));
    DynamicLibrary library;
    EXPECT_FALSE(LoadVendorModule(library, "../complete/cadetio.dll"));
    EXPECT_FALSE(LoadVendorModule(library, ""));
    EXPECT_FALSE(LoadVendorModule(library, ".."));
    EXPECT_FALSE(library.loaded());
    EXPECT_TRUE(LoadVendorModule(library, "cadetio.dll"));
    EXPECT_EQ(library.path(), ModulesDir("partial") + "/cadetio.dll");
    EXPECT_FALSE(LoadVendorModule(library, "missing.dll"));
    EXPECT_FALSE(library.loaded());  // a failed load leaves nothing loaded
}

TEST_F(VendorModuleLoadingTest, FunctionsAreFoundByPlainAndDecoratedNames) {
    DynamicLibrary library;
    ASSERT_TRUE(LoadVendorModule(library, "vpxtuner.dll"));
    EXPECT_NE(library.Symbol("SetRadioFreq"), nullptr);
    EXPECT_EQ(library.Symbol("_SetRadioFreq@4"), library.Symbol("SetRadioFreq"));
    // Only the "_Name@digits" form is undecorated.
    EXPECT_EQ(library.Symbol("SetRadioFreq@4"), nullptr);
    EXPECT_EQ(library.Symbol("_SetRadioFreq@"), nullptr);
    EXPECT_EQ(library.Symbol("_SetRadioFreq@x"), nullptr);
    EXPECT_EQ(library.Symbol("_Missing@4"), nullptr);
    // Internal helpers of the module are not exported.
    EXPECT_EQ(library.Symbol("NextResult"), nullptr);

    DynamicLibrary moved = std::move(library);
    EXPECT_FALSE(library.loaded());
    EXPECT_EQ(library.Symbol("SetRadioFreq"), nullptr);
    EXPECT_NE(moved.Symbol("SetRadioFreq"), nullptr);
    moved.Unload();
    EXPECT_EQ(moved.Symbol("SetRadioFreq"), nullptr);
    EXPECT_EQ(TakeCalls(), (Lines{"vpxtuner load", "vpxtuner unload"}));
}

TEST_F(VendorModuleLoadingTest, DefaultFoldersLieBesideTheExecutable) {
    qunsetenv(kVendorDirVariable);
    const QString executableDir =
        QFileInfo("/proc/self/exe").canonicalFilePath().section('/', 0, -2);
    const QString installed = QDir::cleanPath(executableDir + "/../lib/plumora/vendor");
    EXPECT_EQ(VendorModuleDirectories().join('|').toStdString(),
              (installed + "|" + executableDir + "/vendor").toStdString());
    EXPECT_EQ(VendorModuleDirectoryText().toStdString(),
              (installed + "\n    " + executableDir + "/vendor").toStdString());
}

}  // namespace
