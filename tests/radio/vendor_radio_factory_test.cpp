#include <gtest/gtest.h>

#include "fake_v4l2.h"
#include "fake_window_automation.h"
#include "radio/pctv_studio_radio.h"
#include "radio/radio_factory.h"
#include "radio/recording_ports.h"
#include "radio/tv_tuner_radio.h"
#include "radio/vendor_library_radios.h"
#include "radio/wintv_radio.h"
#include "radio/zoltrix108.h"
#include "vendor_module_env.h"

namespace {

// The factory's rows for the vendor-library, vendor-program and TV tuner
// radios, with the machine replaced by fakes.
class VendorRadioFactoryTest : public VendorModuleTest {
  protected:
    RadioCreateOptions Options(bool diagnosticMode = false) {
        RadioCreateOptions options;
        options.diagnosticMode = diagnosticMode;
        options.waveOutDevice = "hw:2,0";
        options.hardware.clock = &clock;
        options.vendor.automation = &desktop;
        options.vendor.v4l2 = &layer;
        return options;
    }

    FakeWindowAutomation desktop{clock};
    FakeV4l2Layer layer;
};

template <typename Driver>
Driver* As(const std::unique_ptr<SRadio>& radio) {
    return dynamic_cast<Driver*>(radio.get());
}

TEST_F(VendorRadioFactoryTest, VendorLibraryModelsGetTheirDrivers) {
    const auto cadet = CreateRadioForModel(17, 0, "default", Options());
    ASSERT_NE(As<SCadet>(cadet), nullptr);
    EXPECT_TRUE(cadet->HasAmBand());
    cadet->SetFrequency(1.0f);
    EXPECT_EQ(clock.sleeps, std::vector<int>{200});  // the factory's clock

    for (int id : {9, 14, 20}) {
        const auto radio = CreateRadioForModel(id, 0, "USB", Options());
        EXPECT_NE(As<SUsbRadio>(radio), nullptr) << id;
        EXPECT_TRUE(radio->IsMuted());
    }
    EXPECT_NE(As<SVoodoo3500>(CreateRadioForModel(12, 0, "default", Options())), nullptr);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(VendorRadioFactoryTest, VendorProgramModelsUseTheGivenDesktop) {
    desktop.Add(0, "TForm1", "WinTV Radio", "form");
    const auto wintv = CreateRadioForModel(5, 0, "default", Options());
    ASSERT_NE(As<SWinTV>(wintv), nullptr);
    wintv->SetMute(false);
    EXPECT_EQ(desktop.TakeLog().front(), "move form to 100,100 size 200x100");

    bool progressShown = false;
    RadioCreateOptions options = Options();
    options.vendor.progressDialog = [&]() -> std::unique_ptr<ProgressDialog> {
        progressShown = true;
        return MakeWindowlessProgress();
    };
    desktop.onStart = [](const QString&, const QString&, bool) { return true; };
    const auto pctv = CreateRadioForModel(8, 0, "default", options);
    ASSERT_NE(As<SPCTVStudio>(pctv), nullptr);
    pctv->SetMute(false);
    EXPECT_TRUE(progressShown);
}

TEST_F(VendorRadioFactoryTest, TvTunerModelsOpenTheirDeviceByFilterOrPortText) {
    struct Case {
        int id;
        const char* portString;
        const char* deviceName;
        bool radioMode;
    };
    for (const Case& c : {Case{11, "default", "Studio PCTV", false},
                          Case{15, "USB TV Stick", "USB TV Stick", false},
                          Case{18, "Bt878 video", "Bt878 video", false},
                          Case{19, "WinTV USB", "WinTV USB", true}}) {
        const auto radio = CreateRadioForModel(c.id, 0, c.portString, Options());
        const STvDM* tuner = As<STvDM>(radio);
        ASSERT_NE(tuner, nullptr) << c.id;
        EXPECT_EQ(tuner->DeviceName(), c.deviceName) << c.id;
        EXPECT_EQ(tuner->radioMode(), c.radioMode) << c.id;
        EXPECT_TRUE(tuner->quiet());
        EXPECT_EQ(tuner->PlaybackDevice(), "hw:2,0");
    }
    const auto diagnostic = CreateRadioForModel(15, 0, "", Options(true));
    EXPECT_FALSE(As<STvDM>(diagnostic)->quiet());

    // The device is looked for in the given layer.
    auto card = layer.Add(FakeTunerCard::Radio("/dev/radio0", "Studio PCTV USB"));
    const auto pctv = CreateRadioForModel(11, 0, "default", Options());
    pctv->SetMute(false);
    EXPECT_EQ(card->frequencies.size(), 1u);
}

TEST_F(VendorRadioFactoryTest, ZoltrixCardIsTunedThroughItsProgram) {
    const WindowHandle dialog = desktop.Add(0, "#32770", "Radio Plus", "Radio Plus");
    for (int digit = 0; digit < 10; ++digit) {
        desktop.Add(dialog, "Button", QString::number(digit), "key " + QString::number(digit));
    }
    desktop.Add(dialog, "Button", "Enter", "key Enter");
    desktop.Add(dialog, "Button", "Freq", "key Freq");
    RecordingPorts ports;
    RadioCreateOptions options = Options();
    options.hardware.ports = &ports;

    const auto radio = CreateRadioForModel(16, 0x20C, "Alternate (20c hex)", options);
    ASSERT_NE(As<SZoltrix108>(radio), nullptr);
    desktop.TakeLog();
    radio->SetFrequency(89.9f);
    const auto log = desktop.TakeLog();
    ASSERT_FALSE(log.empty()) << "the keypad of the maker's program is used";
    EXPECT_EQ(log.front(), "command 1027 to Radio Plus from key Freq");
    EXPECT_TRUE(messages.calls().empty());
}

}  // namespace
