#include <gtest/gtest.h>

#include "app/action_block.h"
#include "app/radio_panel.h"
#include "app/settings_records.h"
#include "support/message_box_recorder.h"
#include "support/scoped_xdg_dirs.h"

namespace {

class RadioPanelTest : public ::testing::Test {
  protected:
    void MakePanel() {
        panel_ = std::make_unique<TAppDialog>(settings_, actions_, debug_);
        panel_->SetUp();
    }
    void Apply(uint32_t flags, const QByteArray& tune = {}) {
        ActionBlock block;
        block.flags = flags;
        block.SetTuneText(tune);
        actions_.Push(block);
        panel_->ApplyActions();
    }

    ScopedXdgDirs dirs_;
    SettingsRecords settings_;
    ActionInbox actions_;
    bool debug_ = false;
    std::unique_ptr<TAppDialog> panel_;
};

TEST_F(RadioPanelTest, StartMuteRule) {
    settings_.radio.vendor = 6;  // "<no radio>"
    settings_.radio.startMute = kStartNoMute;
    settings_.radioPanel.muted = true;
    MakePanel();
    EXPECT_FALSE(panel_->muted());
    EXPECT_FALSE(panel_->device().IsMuted()) << "a new device is unmuted when the state says so";

    settings_.radio.startMute = kStartMute;
    settings_.radioPanel.muted = false;
    MakePanel();
    EXPECT_TRUE(panel_->muted());

    settings_.radio.startMute = kStartLastState;
    settings_.radioPanel.muted = true;
    MakePanel();
    EXPECT_TRUE(panel_->muted());
    EXPECT_TRUE(panel_->device().IsMuted());
}

TEST_F(RadioPanelTest, MuteWinsOverUnmuteAndTuneFollows) {
    settings_.radio.vendor = 6;
    settings_.radio.startMute = kStartNoMute;
    MakePanel();
    Apply(kActionFlagMute | kActionFlagUnmute | kActionFlagTune, "95.5");
    EXPECT_TRUE(panel_->muted());
    EXPECT_FLOAT_EQ(panel_->frequency(), 95.5f);
    EXPECT_FLOAT_EQ(panel_->device().GetFrequency(), 95.5f);

    Apply(kActionFlagUnmute);
    EXPECT_FALSE(panel_->muted());

    Apply(kActionFlagTune, "0.3");
    EXPECT_FLOAT_EQ(panel_->frequency(), 95.5f) << "too low: nothing happens";
}

TEST_F(RadioPanelTest, DeviceWithoutAmGetsTheFallbackFrequency) {
    settings_.radio.vendor = 6;
    MakePanel();
    Apply(kActionFlagTune, "54a");
    EXPECT_FLOAT_EQ(panel_->device().GetFrequency(), 89.9f);
    EXPECT_FLOAT_EQ(panel_->frequency(), 89.9f);
    EXPECT_EQ(panel_->statusText(), "");
}

TEST_F(RadioPanelTest, DebugDisplayShowsTheTuneResult) {
    debug_ = true;
    settings_.radio.vendor = 6;
    MakePanel();
    panel_->TuneTo(101.0f);
    EXPECT_EQ(panel_->statusText(), "1");
}

TEST_F(RadioPanelTest, ExitRuleMutesOrAsksButKeepsTheRememberedState) {
    settings_.radio.vendor = 6;
    settings_.radio.startMute = kStartNoMute;
    MakePanel();
    panel_->ApplyExitRule(ExitMute::Mute);
    EXPECT_TRUE(panel_->device().IsMuted());
    EXPECT_FALSE(panel_->muted()) << "next start's last state is the state before exit";

    MessageBoxRecorder messages(IDNO);
    MakePanel();
    panel_->ApplyExitRule(ExitMute::None);
    EXPECT_FALSE(panel_->device().IsMuted());
    panel_->ApplyExitRule(ExitMute::Ask);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, "Turn off radio on program exit?");
    EXPECT_EQ(messages.calls()[0].caption, "Plumora");
    EXPECT_FALSE(panel_->device().IsMuted());

    messages.SetAnswer(IDYES);
    panel_->ApplyExitRule(ExitMute::Ask);
    EXPECT_TRUE(panel_->device().IsMuted());
    panel_->ApplyExitRule(ExitMute::Ask);
    EXPECT_EQ(messages.calls().size(), 2u) << "no question when already muted";
}

TEST_F(RadioPanelTest, TunerRequestMutesASoundingRadio) {
    settings_.radio.vendor = 15;  // shares group 4 with the TV application
    settings_.radio.startMute = kStartNoMute;
    MakePanel();
    EXPECT_FALSE(panel_->muted());
    EXPECT_EQ(panel_->AnswerTunerRequest(1), 0) << "another group";
    EXPECT_FALSE(panel_->muted());
    EXPECT_EQ(panel_->AnswerTunerRequest(4), 0);
    EXPECT_TRUE(panel_->muted());
}

}  // namespace
