#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>
#include <vector>

#include "app/app.h"
#include "app/frame.h"
#include "app/radio_panel.h"
#include "app/tray_icon.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "support/message_box_recorder.h"
#include "support/scoped_xdg_dirs.h"

// Records the WM_COMMAND ids a window receives; keeps them from the window
// when asked to (commands that would open dialogs).
class CommandSpy : public QObject {
  public:
    explicit CommandSpy(QObject* watched, bool swallow = false) : swallow_(swallow) {
        watched->installEventFilter(this);
    }
    std::vector<unsigned> ids;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (const WindowMessage* m = AsWindowMessage(event); m && m->msg == WM_COMMAND) {
            ids.push_back(static_cast<unsigned>(m->wParam));
            return swallow_;
        }
        return false;
    }

  private:
    bool swallow_;
};

// A real program (settings in their own folders, "<no radio>" as the radio)
// with its frame, not yet shown.
class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override { app_ = std::make_unique<App>(CommandLine{}); }
    void TearDown() override {
        frame_.reset();
        app_.reset();
        SetTrayAvailability({});
    }

    void MakeFrame(bool trayIcon = false, bool showMenu = true) {
        app_->settings().radio.vendor = 6;
        app_->settings().general.trayIcon = trayIcon;
        app_->settings().general.showMenu = showMenu;
        frame_ = std::make_unique<SDIDecFrame>(*app_);
        LetWaitingMessagesRun();
    }
    void ShowFrame() {
        frame_->show();
        frame_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
        LetWaitingMessagesRun();
    }

    ScopedXdgDirs dirs_;
    MessageBoxRecorder boxes_;
    std::unique_ptr<App> app_;
    std::unique_ptr<SDIDecFrame> frame_;
};
