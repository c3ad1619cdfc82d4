#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <future>

#include "audio/swave_in.h"
#include "audio/wave_test_files.h"
#include "fake_rtl_tcp_server.h"
#include "platform/rtl_tcp_device.h"
#include "platform/sdr_device.h"
#include "platform/wave_device.h"
#include "radio/network_receiver_dialog.h"
#include "radio/no_radio.h"
#include "radio/radio_device_slot.h"
#include "radio/radio_factory.h"
#include "radio/radio_settings.h"
#include "radio/sdr_port_list.h"
#include "radio/set_radio_page.h"
#include "radio/ssdr_radio.h"
#include "support/alsa_test_devices.h"
#include "support/message_box_recorder.h"
#include "support/tone_analysis.h"

namespace {

// SoapySDR finds only the test module: no installed module is loaded (some
// search the network or the sound cards, which takes seconds).
const bool kSoapyIsolated = [] {
    setenv("SOAPY_SDR_ROOT", "/nonexistent/plumora-test-soapy-root", 1);
    setenv("SOAPY_SDR_PLUGIN_PATH", PLUMORA_TEST_SOAPY_MODULES, 1);
    return true;
}();

constexpr const char* kTestDevice = "soapy:driver=plumoratest,serial=PT0001";
const WaveFormat kCd = WaveFormat::Pcm(2, 44100, 16);

// The test module's controls, from the module SoapySDR loaded.
struct TestModule {
    TestModule() {
        EnumerateSdrDevices();  // SoapySDR loads its modules first
        handle = dlopen(PLUMORA_TEST_SOAPY_MODULES "/libplumoratest.so", RTLD_NOW);
        setStation =
            reinterpret_cast<void (*)(double, double)>(dlsym(handle, "plumoratest_set_station"));
        setRange =
            reinterpret_cast<void (*)(double, double)>(dlsym(handle, "plumoratest_set_range"));
        setRates =
            reinterpret_cast<void (*)(double, double)>(dlsym(handle, "plumoratest_set_rates"));
        setUnplugged = reinterpret_cast<void (*)(int)>(dlsym(handle, "plumoratest_set_unplugged"));
        centre = reinterpret_cast<double (*)(int*)>(dlsym(handle, "plumoratest_centre"));
    }
    ~TestModule() {
        setRange(24e6, 1766e6);
        setRates(0.9e6, 3.2e6);
        setUnplugged(0);
        dlclose(handle);
    }
    void* handle;
    void (*setStation)(double, double);
    void (*setRange)(double, double);
    void (*setRates)(double, double);
    void (*setUnplugged)(int);
    double (*centre)(int*);
};

SSdrRadio::Options Fast() {
    SSdrRadio::Options options;
    options.retryMs = 300;
    options.deemphasisUs = 50;  // as the synthetic station pre-emphasises
    return options;
}

// Records from the SDR capture device until `seconds` are in the file.
std::optional<WaveContents> Record(const QString& path, double seconds) {
    ProgressCounter owner;
    {
        SWaveIn recorder(&owner, path.toStdString(), kCd, kSdrCaptureDevice);
        if (!recorder.Start()) {
            return std::nullopt;
        }
        WaitUntil([&] { return recorder.GetBytesWritten() >= seconds * kCd.avgBytesPerSec; });
        recorder.Stop();
    }
    return ReadWaveFile(path);
}

std::vector<int16_t> Samples(const QByteArray& data) {
    std::vector<int16_t> pcm(static_cast<size_t>(data.size()) / 2);
    std::memcpy(pcm.data(), data.constData(), pcm.size() * 2);
    return pcm;
}

TEST(SdrPorts, PortTextsListsAndProtocolBytes) {
    using K = SdrPort::Kind;
    struct {
        const char* text;
        SdrPort want;
    } parses[] = {
        {"soapy:driver=rtlsdr,serial=01", {K::kSoapy, "driver=rtlsdr,serial=01", "", 0}},
        {"rtl_tcp:raspberrypi.local:1234", {K::kRtlTcp, "", "raspberrypi.local", 1234}},
        {"rtl_tcp:10.0.0.5", {K::kRtlTcp, "", "10.0.0.5", kRtlTcpDefaultPort}},
        {"rtl_tcp:[fe80::1]:7373", {K::kRtlTcp, "", "fe80::1", 7373}},
        {"rtl_tcp::1234", {}},
        {"rtl_tcp:pi:0", {}},
        {"rtl_tcp:pi:70000", {}},
        {"rtl_tcp:pi:12ab", {}},
        {"default", {}},
    };
    for (const auto& c : parses) {
        EXPECT_EQ(ParseSdrPort(c.text), c.want) << c.text;
    }
    EXPECT_EQ(ParseSdrPort(RtlTcpPortString("fe80::1", 7373)).host, "fe80::1");
    EXPECT_EQ(NetworkReceiverPort(" pi.local ", 1234), "rtl_tcp:pi.local:1234");
    EXPECT_FALSE(NetworkReceiverPort("", 1234));
    EXPECT_FALSE(NetworkReceiverPort("pi local", 1234));

    // List F: found devices, a stored one kept (marked when it is not
    // plugged in), the entry that asks for a network receiver last.
    const std::vector<SdrDeviceInfo> found = {{"Generic RTL2832U", "driver=rtlsdr,serial=01"},
                                              {"HackRF One", "driver=hackrf,serial=ab"}};
    struct {
        const char* stored;
        std::vector<QString> texts;
        int selected;
    } lists[] = {
        {"", {"Generic RTL2832U", "HackRF One", kNetworkReceiverEntry}, 0},
        {"soapy:driver=hackrf,serial=ab",
         {"Generic RTL2832U", "HackRF One", kNetworkReceiverEntry},
         1},
        {"soapy:serial=01", {"Generic RTL2832U", "HackRF One", kNetworkReceiverEntry}, 0},
        {"soapy:driver=rtlsdr,serial=02",
         {"Generic RTL2832U", "HackRF One", "driver=rtlsdr,serial=02 (not plugged in)",
          kNetworkReceiverEntry},
         2},
        {"rtl_tcp:pi:1234",
         {"Generic RTL2832U", "HackRF One", "rtl_tcp at pi:1234", kNetworkReceiverEntry},
         2},
    };
    for (const auto& c : lists) {
        const SdrPortListFill fill = FillSdrPortList(found, c.stored);
        std::vector<QString> texts;
        for (const PortChoice& entry : fill.entries) {
            texts.push_back(entry.text);
            EXPECT_EQ(entry.port, 0);
        }
        EXPECT_EQ(texts, c.texts) << c.stored;
        ASSERT_EQ(fill.selected, c.selected) << c.stored;
        if (*c.stored != '\0') {
            EXPECT_EQ(fill.entries[static_cast<size_t>(fill.selected)].StoredText(), c.stored);
        }
    }
    EXPECT_EQ(FillSdrPortList(found, "").entries[1].StoredText(), "soapy:driver=hackrf,serial=ab");

    using rtl_tcp::EncodeCommand;
    EXPECT_EQ(EncodeCommand(rtl_tcp::kSetFrequency, 99750000),
              (std::array<uint8_t, 5>{0x01, 0x05, 0xF2, 0x10, 0x70}));
    EXPECT_EQ(EncodeCommand(rtl_tcp::kSetSampleRate, 1024000),
              (std::array<uint8_t, 5>{0x02, 0x00, 0x0F, 0xA0, 0x00}));
    const auto greeting = rtl_tcp::ParseGreeting({'R', 'T', 'L', '0', 0, 0, 0, 5, 0, 0, 0, 29});
    ASSERT_TRUE(greeting);
    EXPECT_EQ(greeting->tuner, rtl_tcp::kR820t);
    EXPECT_EQ(greeting->gainCount, 29u);
    EXPECT_FALSE(rtl_tcp::ParseGreeting({'H', 'T', 'T', 'P', 0, 0, 0, 5, 0, 0, 0, 29}));
}

TEST(SdrModel, RadioPageListsWhileSearchingAndAsksForANetworkReceiver) {
    RadioSettings settings;
    settings.vendor = kSdrRadioModel;
    settings.portAddress = 0;
    settings.portString = "soapy:driver=rtlsdr,serial=02";  // not plugged in
    // The search hands over one module's devices, then waits for the test.
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    TSetRadio page(settings, 0, {}, [gate](const SdrDevicesFound& found) {
        found({{"Generic RTL2832U", "driver=rtlsdr,serial=01"}});
        gate.wait();
        found({{"HackRF One", "driver=hackrf,serial=ab"}});
    });
    auto* ports = page.findChild<QComboBox*>("ports");
    auto texts = [ports] {
        std::vector<QString> all;
        for (int i = 0; i < ports->count(); ++i) {
            all.push_back(ports->itemText(i));
        }
        return all;
    };
    const QString stored = "driver=rtlsdr,serial=02";
    const std::vector<QString> steps[] = {
        {stored, kSearchingEntry, kNetworkReceiverEntry},
        {"Generic RTL2832U", stored, kSearchingEntry, kNetworkReceiverEntry},
        {"Generic RTL2832U", "HackRF One", stored + " (not plugged in)", kNetworkReceiverEntry},
    };
    for (size_t step = 0; step < std::size(steps); ++step) {
        if (step == 2) {
            release.set_value();
        }
        EXPECT_TRUE(WaitUntil([&] { return texts() == steps[step]; })) << step;
        EXPECT_EQ(page.choice().portText, settings.portString) << "kept, never replaced";
        if (step == 1) {
            // The keys pass over the search entry to the one after it.
            QTest::keyClick(ports, Qt::Key_Down);
            EXPECT_NE(page.networkDialog(), nullptr);
            EXPECT_EQ(ports->currentIndex(), 1);
            if (page.networkDialog() != nullptr) {
                page.networkDialog()->reject();
            }
        }
    }

    ports->activated(3);  // "Network receiver (rtl_tcp)..."
    TNetworkReceiverDialog* dialog = page.networkDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ports->currentIndex(), 2) << "nothing chosen until the dialog is confirmed";
    dialog->findChild<QLineEdit*>("host")->setText("raspberrypi.local");
    dialog->findChild<QSpinBox*>("port")->setValue(1235);
    dialog->accept();
    EXPECT_EQ(ports->currentText(), "rtl_tcp at raspberrypi.local:1235");
    EXPECT_EQ(ports->itemText(ports->count() - 1), kNetworkReceiverEntry);
    page.Apply();
    EXPECT_EQ(settings.vendor, kSdrRadioModel);
    EXPECT_EQ(settings.portAddress, 0);
    EXPECT_EQ(settings.portString, "rtl_tcp:raspberrypi.local:1235");
}

TEST(SdrModel, FactoryCaptureDeviceAndReceiverChange) {
    EXPECT_EQ(CaptureDeviceFor(kSdrRadioModel, "hw:1"), kSdrCaptureDevice);
    EXPECT_EQ(CaptureDeviceFor(4, "hw:1"), "hw:1");
    auto listed = [] {
        const std::vector<WaveDeviceCaps> inputs = ListWaveDevices(WaveDirection::kInput);
        return std::count_if(inputs.begin(), inputs.end(), [](const WaveDeviceCaps& caps) {
            return caps.name == kSdrCaptureDevice;
        });
    };
    {
        std::unique_ptr<SRadio> radio =
            CreateRadioForModel(kSdrRadioModel, 0, "rtl_tcp:127.0.0.1:9");
        ASSERT_NE(dynamic_cast<SSdrRadio*>(radio.get()), nullptr);
        EXPECT_TRUE(radio->StepVolume(true));
        EXPECT_EQ(listed(), 1);
    }
    EXPECT_EQ(listed(), 0);
    int result = kWaveOk;
    EXPECT_EQ(WaveDevice::Open(WaveDirection::kInput, kSdrCaptureDevice, kCd, nullptr, nullptr, 0,
                               &result),
              nullptr);
    EXPECT_EQ(result, kWaveBadDeviceId);

    // The port text names the receiver: another one makes a new device.
    int made = 0;
    RadioDeviceSlot slot([&](int, int, const QString&, const RadioCreateOptions&) {
        ++made;
        return std::unique_ptr<SRadio>(std::make_unique<SNoRadio>());
    });
    slot.Reset(kSdrRadioModel, 0, "rtl_tcp:a:1234");
    EXPECT_EQ(slot.Reset(kSdrRadioModel, 0, "rtl_tcp:a:1234"), RadioDeviceSlot::ResetResult::Kept);
    EXPECT_EQ(slot.Reset(kSdrRadioModel, 0, "rtl_tcp:b:1234"),
              RadioDeviceSlot::ResetResult::Created);
    EXPECT_EQ(made, 2);
}

class SoapySdrTest : public ::testing::Test {
  protected:
    TestModule module;
    MessageBoxRecorder messages;
    QTemporaryDir dir;
};

TEST_F(SoapySdrTest, ListsTunesAndRecordsTheStationThroughTheCaptureDevice) {
    const std::vector<SdrDeviceInfo> devices = EnumerateSdrDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].label, "Plumora test receiver");
    EXPECT_EQ(SoapyPortString(devices[0].args), kTestDevice);
    RadioSettings settings;
    settings.vendor = kSdrRadioModel;
    settings.portString = kTestDevice;
    TSetRadio page(settings);
    auto* ports = page.findChild<QComboBox*>("ports");
    EXPECT_TRUE(WaitUntil([&] { return ports->count() == 2; }));
    EXPECT_EQ(ports->currentText(), "Plumora test receiver");

    module.setStation(95.0e6, 30);
    // SoapySDR hands the same device to every radio that opens it: one at a
    // time, as the program has them.
    auto radio = std::make_unique<SSdrRadio>(kTestDevice, "", Fast());
    radio->SetFrequency(95.0f);
    ASSERT_TRUE(WaitUntil([&] { return radio->receiving(); }));
    EXPECT_TRUE(WaitUntil([&] { return module.centre(nullptr) == 94.75e6; }));
    EXPECT_FALSE(radio->HasAmBand());
    EXPECT_TRUE(radio->IsTuned());

    const std::optional<WaveContents> file = Record(dir.filePath("soapy.wav"), 1.5);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->format, kCd);
    const std::vector<int16_t> pcm = Samples(file->data);
    const size_t skip = 44100 / 4;  // the filters settle
    const auto left = tone_analysis::Measure(tone_analysis::Channel(pcm, 2, 0, skip), 44100, 1000);
    const auto right = tone_analysis::Measure(tone_analysis::Channel(pcm, 2, 1, skip), 44100, 1600);
    EXPECT_NEAR(left.hz, 1000, 1);
    EXPECT_NEAR(right.hz, 1600, 1);
    EXPECT_GT(left.snrDb, 25);
    EXPECT_GT(right.snrDb, 25);
    RecordProperty("left_snr_db", std::to_string(left.snrDb));
    RecordProperty("right_snr_db", std::to_string(right.snrDb));
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(SoapySdrTest, TunesBelowTheStationByTheRateAndRemembersAm) {
    // A device that runs at 0.6 MS/s at most: the station lies 150 kHz
    // above the centre, and is heard there.
    module.setRates(0.25e6, 0.6e6);
    module.setStation(95.0e6, 30);
    {
        SSdrRadio slow(kTestDevice, "", Fast());
        slow.SetFrequency(95.0f);
        ASSERT_TRUE(WaitUntil([&] { return slow.receiving(); }));
        EXPECT_TRUE(WaitUntil([&] { return module.centre(nullptr) == 94.85e6; }));
        EXPECT_TRUE(slow.IsTuned());
        EXPECT_FALSE(slow.HasAmBand());
    }
    module.setRates(0.9e6, 3.2e6);

    // A device that tunes medium wave offers AM once open, and from then on
    // before it opens, so that a stored AM frequency is kept at start.
    module.setRange(0.1e6, 1766e6);
    {
        RadioDeviceSlot slot;
        slot.Reset(kSdrRadioModel, 0, kTestDevice);
        EXPECT_FALSE(slot.hasAmBand()) << "nothing known yet";
        EXPECT_TRUE(WaitUntil([&] { return slot.device().HasAmBand(); }));
        LetWaitingMessagesRun();  // the answer is remembered
    }
    module.setUnplugged(1);
    for (const bool wide : {true, false}) {
        RadioDeviceSlot slot;
        slot.Reset(kSdrRadioModel, 0, kTestDevice);
        EXPECT_EQ(slot.hasAmBand(), wide) << "before the device opens";
        if (wide) {
            // The device opens again without medium wave: forgotten.
            module.setRange(24e6, 1766e6);
            module.setUnplugged(0);
            auto& radio = dynamic_cast<SSdrRadio&>(slot.device());
            EXPECT_TRUE(WaitUntil([&] { return radio.receiving() && !radio.HasAmBand(); }));
            LetWaitingMessagesRun();
        }
    }
}

TEST_F(SoapySdrTest, ScanStopsOnTheStationAndNotOnNoise) {
    module.setStation(95.0e6, 30);
    SSdrRadio radio(kTestDevice, "", Fast());
    radio.SetFrequency(94.6f);
    ASSERT_TRUE(WaitUntil([&] { return radio.receiving(); }));
    // The scan's step: 50 kHz on, then ask whether a station is there.
    auto scan = [&](float from, float to, float step) {
        for (float f = from; step > 0 ? f <= to : f >= to; f += step) {
            radio.SetFrequency(f);
            if (radio.IsTuned()) {
                return f;
            }
        }
        return 0.0f;
    };
    // On the station itself, not 50 kHz before it where its edge is heard.
    const float up = scan(94.6f, 95.4f, 0.05f);
    EXPECT_NEAR(up, 95.0f, 0.011f);
    EXPECT_NEAR(scan(95.4f, 94.6f, -0.05f), 95.0f, 0.011f);
    RecordProperty("scan_stop_mhz", std::to_string(up));
    EXPECT_EQ(scan(96.0f, 96.6f, 0.05f), 0.0f) << "noise alone is no station";
}

TEST(RtlTcpReceiver, TunesRecordsEndsTheRecordingOnADropAndReconnects) {
    MessageBoxRecorder messages;
    QTemporaryDir dir;
    FakeRtlTcpServer server(100.0e6, 30);
    SSdrRadio radio(QString::fromStdString(RtlTcpPortString("127.0.0.1", server.port())), "",
                    Fast());
    radio.SetFrequency(100.0f);
    ASSERT_TRUE(WaitUntil([&] { return radio.receiving(); }));
    using C = FakeRtlTcpServer::Command;
    auto sent = [&](C command) {
        const auto all = server.commands();
        return std::count(all.begin(), all.end(), command);
    };
    EXPECT_TRUE(WaitUntil([&] { return sent(C{0x01, 99750000}) == 1; }));
    EXPECT_EQ(sent(C{0x02, 1024000}), 1);
    EXPECT_EQ(sent(C{0x03, 0}), 1) << "automatic gain";

    const QString path = dir.filePath("network.wav");
    ProgressCounter owner;
    int64_t written = 0;
    {
        SWaveIn recorder(&owner, path.toStdString(), kCd, kSdrCaptureDevice);
        ASSERT_TRUE(recorder.Start());
        ASSERT_TRUE(WaitUntil([&] { return recorder.GetBytesWritten() >= kCd.avgBytesPerSec; }));
        server.Drop();
        ASSERT_TRUE(WaitUntil([&] { return recorder.HasFailed(); }, 6000));
        EXPECT_FALSE(recorder.GetFailure().empty());
        recorder.Stop();
        written = recorder.GetBytesWritten();
    }
    const std::optional<WaveContents> file = ReadWaveFile(path);
    ASSERT_TRUE(file) << "the recording ends as a complete file";
    EXPECT_EQ(file->data.size(), written);
    const auto tone = tone_analysis::Measure(
        tone_analysis::Channel(Samples(file->data), 2, 0, 44100 / 4), 44100, 1000);
    EXPECT_NEAR(tone.hz, 1000, 1);
    EXPECT_GT(tone.snrDb, 25);

    ASSERT_TRUE(WaitUntil([&] { return server.connections() == 2 && radio.receiving(); }, 8000));
    EXPECT_TRUE(WaitUntil([&] { return sent(C{0x01, 99750000}) == 2; })) << "tuned again";
    LetWaitingMessagesRun();
    ASSERT_EQ(messages.calls().size(), 1u) << "reported once";
    EXPECT_TRUE(messages.calls()[0].text.startsWith(kReceiverLost))
        << messages.calls()[0].text.toStdString();
}

TEST(SdrLoudspeaker, PlaysTheStationWhileUnmutedAndStopsOnMute) {
    AlsaTestDevices alsa;
    MessageBoxRecorder messages;
    FakeRtlTcpServer server(100.0e6, 30);
    SSdrRadio radio(QString::fromStdString(RtlTcpPortString("127.0.0.1", server.port())),
                    AlsaTestDevices::kPlayback, Fast());
    radio.SetFrequency(100.0f);
    ASSERT_TRUE(WaitUntil([&] { return radio.receiving(); }));
    const QString path = alsa.Path("playback.raw");
    const qint64 frameBytes = 4;  // 16-bit stereo at the receiver's audio rate
    radio.SetMute(false);
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(path).size() >= kSdrAudioRate * frameBytes; }));
    radio.SetMute(true);
    const qint64 muted = QFileInfo(path).size();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(QFileInfo(path).size(), muted) << "mute stops the loudspeaker";

    const std::vector<int16_t> pcm = Samples(alsa.PlaybackOutput());
    const auto tone = tone_analysis::Measure(tone_analysis::Channel(pcm, 2, 0, kSdrAudioRate / 4),
                                             kSdrAudioRate, 1000);
    EXPECT_NEAR(tone.hz, 1000, 1);
    EXPECT_GT(tone.snrDb, 25);
    EXPECT_TRUE(messages.calls().empty());
}

}  // namespace
