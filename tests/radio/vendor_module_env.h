#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"
#include "support/fake_clock.h"
#include "support/message_box_recorder.h"

// Lines of a call log or message texts, compared as standard strings so
// that failures print readably.
using Lines = std::vector<std::string>;

// A fixture for drivers that load replacement vendor modules: chooses the
// module folder, collects the modules' call log and their scripted results,
// records message boxes and sleeps, and puts the environment back after
// each test.
class VendorModuleTest : public ::testing::Test {
  protected:
    static constexpr const char* kLogVariable = "PLUMORA_TEST_VENDOR_LOG";
    static constexpr const char* kResultsVariable = "PLUMORA_TEST_VENDOR_RESULTS";

    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        for (const char* name : {kVendorDirVariable, kLogVariable, kResultsVariable}) {
            if (qEnvironmentVariableIsSet(name)) {
                saved_[name] = qgetenv(name);
            } else {
                saved_[name] = std::nullopt;
            }
        }
        qputenv(kLogVariable, QFile::encodeName(LogPath()));
        qunsetenv(kResultsVariable);
        UseModules("complete");
    }

    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) {
                qputenv(name, *value);
            } else {
                qunsetenv(name);
            }
        }
    }

    static QString ModulesDir(const QString& variant) {
        return QStringLiteral(PLUMORA_TEST_VENDOR_MODULES) + "/" + variant;
    }

    // "complete" or "partial".
    void UseModules(const QString& variant) { UseFolder(ModulesDir(variant)); }
    void UseFolder(const QString& folder) {
        qputenv(kVendorDirVariable, QFile::encodeName(folder));
    }
    // A folder without any module.
    QString EmptyFolder() const { return temp_.filePath("empty"); }

    void SetResults(const char* results) { qputenv(kResultsVariable, results); }

    QString LogPath() const { return temp_.filePath("calls.log"); }
    // Every line logged by the modules since the last call.
    Lines TakeCalls() {
        // Emptied rather than removed: a loaded module keeps appending to
        // the file it opened.
        QFile log(LogPath());
        Lines lines;
        if (log.open(QIODevice::ReadWrite)) {
            for (const QString& line :
                 QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts)) {
                lines.push_back(line.toStdString());
            }
            log.resize(0);
        }
        return lines;
    }

    Lines Texts() const {
        Lines texts;
        for (const auto& call : messages.calls()) {
            texts.push_back(call.text.toStdString());
        }
        return texts;
    }

    QTemporaryDir temp_;
    FakeClock clock;
    MessageBoxRecorder messages;

  private:
    std::map<const char*, std::optional<QByteArray>> saved_;
};
