#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/settings_hive.h"
#include "support/scoped_xdg_dirs.h"

// The per-user settings key in fresh XDG folders. Values go in through a
// writable key; Reader() closes it, so that they reach the file, and opens
// the file afresh the way the program reads it at start.
class SettingsStoreTest : public ::testing::Test {
  protected:
    SettingsKey& Writer() {
        if (!writer_) {
            writer_ = SettingsKey::Create(SettingsKey::Hive::PerUser);
        }
        EXPECT_NE(writer_, nullptr);
        return *writer_;
    }

    const SettingsKey& Reader() {
        writer_.reset();
        reader_ = SettingsKey::OpenPerUserReadOnly();
        return *reader_;
    }

    ScopedXdgDirs dirs_;

  private:
    std::unique_ptr<SettingsKey> writer_;
    std::unique_ptr<SettingsKey> reader_;
};
