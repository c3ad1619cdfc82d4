#include <gtest/gtest.h>

#include "radio/fake_hid.h"
#include "radio/radio_factory.h"
#include "radio/radio_man.h"
#include "radio/radio_models.h"
#include "radio/radio_port.h"
#include "radio/radio_shark.h"
#include "radio/recording_ports.h"
#include "radio/silabs_radio.h"
#include "radio/zoltrix108.h"
#include "support/message_box_recorder.h"

namespace {

// Hardware where nothing answers: ports allowed but empty, no COM devices,
// no USB devices.
class QuietHardware {
  public:
    QuietHardware() : serial([](int) { return std::string("/nonexistent/tty"); }) {
        options.hardware.ports = &ports;
        options.hardware.serial = &serial;
        options.hardware.hid = &hid;
        options.hardware.clock = &clock;
    }

    RecordingPorts ports;
    TermiosSerialPorts serial;
    FakeHidLayer hid;
    FakeClock clock;
    RadioCreateOptions options;
};

template <typename T>
bool Is(const std::unique_ptr<SRadio>& radio) {
    return dynamic_cast<T*>(radio.get()) != nullptr;
}

TEST(RadioFactoryDrivers, EachHardwareRowGetsItsDriverOnItsPort) {
    MessageBoxRecorder messages;
    struct Row {
        int model;
        int port;
        std::function<bool(const std::unique_ptr<SRadio>&)> isRight;
    };
    const std::vector<Row> rows = {
        {0, 0x30C, Is<SRadioTrack2>}, {1, 0x20C, Is<SRadioTrack>}, {3, 0x30C, Is<SRadioTrack>},
        {2, 0x358, Is<SAztechRadio>}, {10, 0x24C, Is<SRadioCard>}, {16, 0x20C, Is<SZoltrix108>},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model);
        QuietHardware hw;
        const auto radio = CreateRadioForModel(row.model, row.port, "", hw.options);
        EXPECT_TRUE(row.isRight(radio));
        EXPECT_EQ(hw.ports.requests, (std::vector<std::pair<int, int>>{{row.port, 4}}));
        EXPECT_TRUE(radio->IsMuted());
        EXPECT_FALSE(radio->HasAmBand());
    }
    // A card without a configured port sits on its model's default address.
    for (const auto& [model, address] : {std::pair{2, 0x350}, std::pair{10, 0x34C}}) {
        for (int port : {kNoPortValue, 0}) {
            QuietHardware hw;
            CreateRadioForModel(model, port, "", hw.options);
            EXPECT_EQ(hw.ports.requests, (std::vector<std::pair<int, int>>{{address, 4}}));
        }
    }
    // Only the Zoltrix card complains: it is tuned through its maker's
    // program, which this machine cannot run.
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_TRUE(messages.calls()[0].text.startsWith("Can't start RadioPlus108 program"));
}

TEST(RadioFactoryDrivers, SerialAndUsbRowsGetTheirDrivers) {
    QuietHardware hw;
    {
        MessageBoxRecorder messages;
        const auto man = CreateRadioForModel(4, 2, "Com2:", hw.options);
        EXPECT_TRUE(Is<SRadioMan>(man));
        EXPECT_FALSE(Is<SWizard>(man));
        EXPECT_TRUE(man->HasAmBand());
        ASSERT_EQ(messages.calls().size(), 1u);
        EXPECT_EQ(messages.calls()[0].text, "Can't open serial port COM2 to detect radio device.");
    }
    {
        MessageBoxRecorder messages;
        const auto wizard = CreateRadioForModel(7, 0, "Auto-Detect", hw.options);
        EXPECT_TRUE(Is<SWizard>(wizard));
        EXPECT_FALSE(wizard->HasAmBand());
    }

    MessageBoxRecorder messages;
    const auto shark = CreateRadioForModel(21, 0, "USB", hw.options);
    EXPECT_TRUE(Is<SRadioShark>(shark));
    EXPECT_TRUE(hw.hid.enumerated.empty());  // opened only on unmute

    const auto instant = CreateRadioForModel(23, 0, "USB", hw.options);
    const auto pcear = CreateRadioForModel(25, 0, "default", hw.options);
    EXPECT_TRUE(Is<SSILabs>(instant));
    EXPECT_TRUE(Is<SSILabs>(pcear));
    EXPECT_EQ(hw.hid.enumerated,
              (std::vector<std::pair<int, int>>{{0x06E1, 0xA155}, {0x10C5, 0x819A}}));
    EXPECT_TRUE(messages.calls().empty());
}

}  // namespace
