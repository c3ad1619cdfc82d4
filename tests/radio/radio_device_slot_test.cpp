#include <gtest/gtest.h>

#include <QStringList>

#include "radio/no_radio.h"
#include "radio/radio_device_slot.h"

namespace {

// A device that writes its life into a shared log.
class ProbeRadio : public SNoRadio {
  public:
    ProbeRadio(QString name, bool am, QStringList* log)
        : name_(std::move(name)), am_(am), log_(log) {
        log_->append("create " + name_);
    }
    ~ProbeRadio() override { log_->append("destroy " + name_); }
    bool HasAmBand() override { return am_; }

  private:
    QString name_;
    bool am_;
    QStringList* log_;
};

struct FactoryCall {
    int model;
    int port;
    QString portString;
    RadioCreateOptions options;
};

class RadioDeviceSlotTest : public ::testing::Test {
  protected:
    RadioDeviceSlot::Factory Factory() {
        return [this](int model, int port, const QString& portString,
                      const RadioCreateOptions& options) -> std::unique_ptr<SRadio> {
            calls_.push_back({model, port, portString, options});
            if (model == kReturnsNothing) {
                return nullptr;
            }
            return std::make_unique<ProbeRadio>(QString("%1/%2").arg(model).arg(port),
                                                model == kAmModel, &log_);
        };
    }

    static constexpr int kAmModel = 4;
    static constexpr int kReturnsNothing = 77;
    QStringList log_;
    std::vector<FactoryCall> calls_;
};

TEST_F(RadioDeviceSlotTest, NoModelGivesTheInertDeviceWithoutAskingTheFactory) {
    RadioDeviceSlot slot(Factory());
    EXPECT_NE(dynamic_cast<SNoRadio*>(&slot.device()), nullptr);
    EXPECT_EQ(slot.model(), kNoRadioModel);
    EXPECT_EQ(slot.Reset(kNoRadioModel, kNoPortValue, QString()),
              RadioDeviceSlot::ResetResult::CreatedWithoutModel);
    EXPECT_TRUE(calls_.empty());
    EXPECT_EQ(dynamic_cast<ProbeRadio*>(&slot.device()), nullptr);
}

TEST_F(RadioDeviceSlotTest, SameModelAndPortKeepTheDeviceEvenWithNewPortText) {
    RadioDeviceSlot slot(Factory());
    RadioCreateOptions options;
    options.diagnosticMode = true;
    options.waveOutDevice = "hw:1";
    EXPECT_EQ(slot.Reset(15, 0, "USB 2.0 TV/FM", options), RadioDeviceSlot::ResetResult::Created);
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_EQ(calls_[0].model, 15);
    EXPECT_EQ(calls_[0].port, 0);
    EXPECT_EQ(calls_[0].portString, "USB 2.0 TV/FM");
    EXPECT_TRUE(calls_[0].options.diagnosticMode);
    EXPECT_EQ(calls_[0].options.waveOutDevice, "hw:1");

    SRadio* first = &slot.device();
    EXPECT_EQ(slot.Reset(15, 0, "Hauppauge WinTV"), RadioDeviceSlot::ResetResult::Kept);
    EXPECT_EQ(calls_.size(), 1u);
    EXPECT_EQ(&slot.device(), first);
    EXPECT_EQ(log_, QStringList{"create 15/0"});
}

TEST_F(RadioDeviceSlotTest, ChangedPortOrModelReplacesTheDeviceOldOneFirst) {
    RadioDeviceSlot slot(Factory());
    slot.Reset(0, 0x30C, "Default (30c hex)");
    EXPECT_EQ(slot.Reset(0, 0x20C, "Alternate (20c hex)"), RadioDeviceSlot::ResetResult::Created);
    EXPECT_EQ(slot.Reset(1, 0x20C, "Alternate (20c hex)"), RadioDeviceSlot::ResetResult::Created);
    EXPECT_EQ(log_, (QStringList{"create 0/780", "destroy 0/780", "create 0/524", "destroy 0/524",
                                 "create 1/524"}));
    EXPECT_EQ(slot.model(), 1);
    EXPECT_EQ(slot.port(), 0x20C);
}

TEST_F(RadioDeviceSlotTest, AmAnswerIsTakenFromEachNewDevice) {
    RadioDeviceSlot slot(Factory());
    slot.Reset(kAmModel, 1, "Com1:");
    EXPECT_TRUE(slot.hasAmBand());
    slot.Reset(7, 1, "Com1:");
    EXPECT_FALSE(slot.hasAmBand());
    slot.Reset(kAmModel, 2, "Com2:");
    EXPECT_TRUE(slot.hasAmBand());
    // Falling back to no model must not leave the old device's answer.
    slot.Reset(kNoRadioModel, kNoPortValue, QString());
    EXPECT_FALSE(slot.hasAmBand());
    EXPECT_EQ(log_.last(), "destroy 4/2");
}

TEST_F(RadioDeviceSlotTest, ReleaseLetsGoOfTheDeviceAndForgetsModelAndPort) {
    RadioDeviceSlot slot(Factory());
    slot.Reset(kAmModel, 1, "Com1:");
    slot.Release();
    EXPECT_EQ(log_.last(), "destroy 4/1");
    EXPECT_NE(dynamic_cast<SNoRadio*>(&slot.device()), nullptr);
    EXPECT_FALSE(slot.hasAmBand());
    EXPECT_EQ(slot.Reset(kAmModel, 1, "Com1:"), RadioDeviceSlot::ResetResult::Created);
    EXPECT_EQ(log_.last(), "create 4/1");
}

TEST_F(RadioDeviceSlotTest, AFactoryWithoutResultLeavesTheInertDevice) {
    RadioDeviceSlot slot(Factory());
    EXPECT_EQ(slot.Reset(kReturnsNothing, 0, QString()), RadioDeviceSlot::ResetResult::Created);
    EXPECT_NE(dynamic_cast<SNoRadio*>(&slot.device()), nullptr);
    EXPECT_EQ(slot.device().SetFrequency(100.0f), 1);
}

TEST(RadioDeviceSlotDefaultTest, BuiltInFactoryGivesTheInertDeviceForTheListedDLinkAlternate) {
    RadioDeviceSlot slot;
    EXPECT_EQ(slot.Reset(22, 0, "default"), RadioDeviceSlot::ResetResult::Created);
    EXPECT_NE(dynamic_cast<SNoRadio*>(&slot.device()), nullptr);
    EXPECT_FALSE(slot.hasAmBand());
}

}  // namespace
