#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include "audio/smixer.h"
#include "panel_fakes.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

class MixerWindow : public QObject {
  public:
    int changes = 0;

  protected:
    bool event(QEvent* event) override {
        if (const WindowMessage* m = AsWindowMessage(event)) {
            changes += m->msg == WM_MIXER_CONTROL_CHANGE ? 1 : 0;
            return true;
        }
        return QObject::event(event);
    }
};

TEST(MixerEvents, ChangesReachTheWindowUntilTheCardGoesAway) {
    FakePanelMixer fake(3);
    fake.AddPlaybackLine({"Line", "Line", MixerLineType::kLineIn}, 100, 10);
    MixerWindow window;
    SMixer mixer(
        SMixer::Kind::kWaveIn, "<default>", SMixer::DeviceLister(),
        [&](const std::string&) { return std::unique_ptr<MixerBackend>(new MixerView(fake)); },
        &window);
    ASSERT_TRUE(mixer.IsOpen());

    fake.ChangeFromOutside(0, 50);
    QTRY_COMPARE_WITH_TIMEOUT(window.changes, 1, 10000);
    EXPECT_EQ(mixer.GetLineVolume("Line"), 50 * 127 / 100);

    fake.failing = true;
    fake.ChangeFromOutside(0, 60);
    QTRY_VERIFY_WITH_TIMEOUT(fake.takes >= 2, 10000);
    const int takes = fake.takes;
    QTest::qWait(100);
    QCoreApplication::processEvents();
    EXPECT_EQ(fake.takes, takes) << "a failed mixer is not asked again and again";
    EXPECT_EQ(window.changes, 1);
    EXPECT_EQ(mixer.GetLineVolume("Line"), 60 * 127 / 100) << "the mixer itself still answers";

    SMixer silent(
        SMixer::Kind::kWaveIn, "<default>", SMixer::DeviceLister(),
        [&](const std::string&) { return std::unique_ptr<MixerBackend>(new MixerView(fake)); });
    EXPECT_TRUE(silent.IsOpen()) << "without a window nothing is watched";
}

}  // namespace
