#include <gtest/gtest.h>

#include "app/single_instance.h"
#include "platform/local_messaging.h"
#include "platform/window_messages.h"
#include "support/scoped_xdg_dirs.h"

namespace {

class InstanceServerTest : public ::testing::Test {
  protected:
    InstanceServerTest()
        : server_({[this](const ActionBlock& b) { received_.push_back(b); },
                   [this](const QByteArray& token) {
                       ++broughtToFront_;
                       token_ = token;
                   },
                   [this](int group) {
                       lastGroup_ = group;
                       return 15;
                   },
                   {}}) {}

    qint32 Send(quint32 msg, quint32 wParam, QByteArray data = {}) {
        return server_.Handle(LocalMessage{msg, wParam, 0, std::move(data)});
    }

    static QByteArray Block(uint32_t flags, const QByteArray& tune = {}) {
        ActionBlock block;
        block.flags = flags;
        block.SetTuneText(tune);
        return block.Serialize();
    }

    InstanceServer server_;
    std::vector<ActionBlock> received_;
    int broughtToFront_ = 0;
    QByteArray token_;
    int lastGroup_ = 0;
};

TEST_F(InstanceServerTest, AcceptsAWholeActionBlockWithItsTag) {
    EXPECT_EQ(Send(WM_COPYDATA, 42, Block(kActionFlagRecord | kActionFlagTune, "89.5")), 1);
    ASSERT_EQ(received_.size(), 1u);
    EXPECT_EQ(received_[0].flags, kActionFlagRecord | kActionFlagTune);
    EXPECT_EQ(received_[0].TuneText(), "89.5");
}

TEST_F(InstanceServerTest, MalformedHandOversChangeNothing) {
    const QByteArray good = Block(kActionFlagMute);
    EXPECT_EQ(Send(WM_COPYDATA, 41, good), 0) << "other tag";
    EXPECT_EQ(Send(WM_COPYDATA, 42, good.left(100)), 0) << "short";
    EXPECT_EQ(Send(WM_COPYDATA, 42, good + QByteArray(10, 'x')), 0) << "long";
    EXPECT_EQ(Send(WM_COPYDATA, 42, Block(0)), 0) << "no action";
    EXPECT_EQ(Send(WM_COPYDATA, 42), 0) << "no data";
    EXPECT_EQ(Send(12345, 42, good), 0) << "unknown message";
    EXPECT_TRUE(received_.empty());
    EXPECT_EQ(broughtToFront_, 0);
}

TEST_F(InstanceServerTest, UnterminatedTuneTextIsCutAtItsField) {
    QByteArray wire = Block(kActionFlagTune);
    wire.replace(4, 260, QByteArray(260, '9'));
    EXPECT_EQ(Send(WM_COPYDATA, 42, wire), 1);
    ASSERT_EQ(received_.size(), 1u);
    EXPECT_EQ(received_[0].TuneText(), QByteArray(259, '9'));
}

TEST_F(InstanceServerTest, RestoreAndTunerRequestsReachTheirHandlers) {
    EXPECT_EQ(Send(WM_TRAY_RESTORE, 0, "activation-token-1"), 0);
    EXPECT_EQ(broughtToFront_, 1);
    EXPECT_EQ(token_, "activation-token-1") << "the second start's token is passed on";
    EXPECT_EQ(Send(WM_TUNER_ARBITRATION, 4), 15);
    EXPECT_EQ(lastGroup_, 4);
}

TEST(HandOver, NoRunningInstanceMeansThisProcessBecomesTheProgram) {
    ScopedXdgDirs dirs;
    ActionBlock block;
    block.flags = kActionFlagRecord;
    EXPECT_FALSE(HandOverToRunningInstance(block).has_value());
}

}  // namespace

TEST(InstanceServerRadio, TuneAndVolumeMessagesOfOtherProgramsReachTheRadio) {
    std::vector<unsigned> messages;
    InstanceServer::Handlers handlers;
    handlers.radioMessage = [&](unsigned msg) { messages.push_back(msg); };
    InstanceServer server(std::move(handlers));
    for (quint32 msg : {WM_TUNE_UP, WM_TUNE_DOWN, WM_VOLUME_UP, WM_VOLUME_DOWN, WM_RADIO_RESET}) {
        EXPECT_EQ(server.Handle(LocalMessage{msg, 0, 0, {}}), 0);
    }
    EXPECT_EQ(messages, (std::vector<unsigned>{1159, 1160, 1156, 1157}));
}
