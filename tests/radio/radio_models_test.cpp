#include <gtest/gtest.h>

#include <set>

#include "radio/radio_models.h"

namespace {

struct ExpectedRow {
    int id;
    const char* name;
    RadioDriver driver;
    PortList ports;
    std::set<int> groups;
};

// The supported models in the order the Radio page lists them.
const ExpectedRow kExpected[] = {
    {0, "RadioTrack  (Aims Lab, ISA)", RadioDriver::SRadioTrack2, PortList::A, {}},
    {1, "RadioTrack  (Aims Lab older model, ISA)", RadioDriver::SRadioTrack, PortList::A, {}},
    {2, "FM Radio Card  (Aztech/PackardBell, ISA)", RadioDriver::SAztechRadio, PortList::B, {}},
    {3, "RadioReveal  (Reveal, ISA)", RadioDriver::SRadioTrack, PortList::A, {}},
    {4, "RadioMan  (GemTek, RS232)", RadioDriver::SRadioMan, PortList::C, {}},
    {5, "WinTV/Radio PCI  (Hauppauge, PCI)", RadioDriver::SWinTV, PortList::Default, {2}},
    {11, "PCTV Studio USB  (Pinnacle, USB)", RadioDriver::STvDM, PortList::Default, {1, 4}},
    {8,
     "PCTV Studio USB  (Pinnacle,alternate, USB)",
     RadioDriver::SPCTVStudio,
     PortList::Default,
     {1}},
    {7, "Wizard  (GemTek, RS232)", RadioDriver::SWizard, PortList::C, {}},
    {9, "Radio21  (GemTek, USB)", RadioDriver::SUsbRadio, PortList::Usb, {}},
    {14, "USB PC Radio  (D-Link, USB)", RadioDriver::SUsbRadio, PortList::Usb, {}},
    {10, "Radio Card  (GemTek, ISA)", RadioDriver::SRadioCard, PortList::D, {}},
    {12, "Voodoo3 3500 TV  (3dfx, AGP)", RadioDriver::SVoodoo3500, PortList::Default, {3}},
    {15, "generic USB TV/FM  (several vendors, USB)", RadioDriver::STvDM, PortList::E, {4}},
    {16, "Radio Plus 108  (Zoltrix)", RadioDriver::SZoltrix108, PortList::A, {}},
    {17, "Cadet PC Radio  (ADS, ISA)", RadioDriver::SCadet, PortList::Default, {}},
    {18,
     "generic TV/FM tuner  (several vendors, PCI, WDM drivers)",
     RadioDriver::STvDM,
     PortList::E,
     {5}},
    {19, "WinTV USB/FM  (Hauppauge, USB)", RadioDriver::STvDM, PortList::E, {4}},
    {20, "PCI FM Radio Card  (GemTek,  PCI", RadioDriver::SUsbRadio, PortList::Default, {}},
    {21, "radioShark  (Griffin Technology, USB)", RadioDriver::SRadioShark, PortList::Usb, {}},
    {22, "USB PC Radio  (D-Link,alternate, USB)", RadioDriver::SNoRadio, PortList::Default, {}},
    {23, "InstantFM  (ADS Tech, USB)", RadioDriver::SSILabs, PortList::Usb, {}},
    {25, "PCear (USB)", RadioDriver::SSILabs, PortList::Default, {}},
    {26,
     "SDR receiver  (RTL-SDR, Airspy, HackRF and others)",
     RadioDriver::SSdrRadio,
     PortList::F,
     {}},
    {6, "<no radio>", RadioDriver::SNoRadio, PortList::None, {}},
};

TEST(RadioModelsTest, TableMatchesTheSupportedModelsRowByRow) {
    const auto models = RadioModels();
    ASSERT_EQ(models.size(), std::size(kExpected));
    for (size_t i = 0; i < models.size(); ++i) {
        const ExpectedRow& want = kExpected[i];
        const RadioModel& got = models[i];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(got.id, want.id);
        EXPECT_STREQ(got.name, want.name);
        EXPECT_EQ(got.driver, want.driver);
        EXPECT_EQ(got.ports, want.ports);
        for (int g = 0; g <= 7; ++g) {
            EXPECT_EQ(got.InSharingGroup(g), want.groups.count(g) == 1) << "group " << g;
        }
    }
}

TEST(RadioModelsTest, LookupFindsEveryRowAndNothingElse) {
    for (const ExpectedRow& row : kExpected) {
        const RadioModel* model = FindRadioModel(row.id);
        ASSERT_NE(model, nullptr) << row.id;
        EXPECT_STREQ(model->name, row.name);
    }
    for (int id : {-1, 13, 24, 27, 255, 1000}) {
        EXPECT_EQ(FindRadioModel(id), nullptr) << id;
    }
    EXPECT_STREQ(FindRadioModel(kNoRadioModelRow)->name, "<no radio>");
}

TEST(RadioModelsTest, TunerModelsOpenTheRightDeviceInTheRightMode) {
    const RadioModel* pctv = FindRadioModel(11);
    EXPECT_EQ(TunerDeviceName(*pctv, "anything chosen"), "Studio PCTV");
    EXPECT_FALSE(pctv->tunerRadioMode);
    for (int id : {15, 18}) {
        const RadioModel* generic = FindRadioModel(id);
        EXPECT_EQ(TunerDeviceName(*generic, "Hauppauge WinTV"), "Hauppauge WinTV") << id;
        EXPECT_FALSE(generic->tunerRadioMode) << id;
    }
    const RadioModel* wintvUsb = FindRadioModel(19);
    EXPECT_EQ(TunerDeviceName(*wintvUsb, "USB 2.0 tuner"), "USB 2.0 tuner");
    EXPECT_TRUE(wintvUsb->tunerRadioMode);
}

TEST(RadioModelsTest, SiliconLabsSticksCarryTheirUsbIds) {
    EXPECT_EQ(FindRadioModel(23)->usbVendorId, 0x06E1);
    EXPECT_EQ(FindRadioModel(23)->usbProductId, 0xA155);
    EXPECT_EQ(FindRadioModel(25)->usbVendorId, 0x10C5);
    EXPECT_EQ(FindRadioModel(25)->usbProductId, 0x819A);
}

TEST(RadioModelsTest, FixedPortListsHaveTheirTextsAndValues) {
    using V = std::vector<PortChoice>;
    EXPECT_EQ(PortChoicesFor(PortList::A),
              (V{{"Default (30c hex)", 0x30C}, {"Alternate (20c hex)", 0x20C}}));
    EXPECT_EQ(PortChoicesFor(PortList::B),
              (V{{"Default (350 hex)", 0x350}, {"Alternate (358 hex)", 0x358}}));
    EXPECT_EQ(PortChoicesFor(PortList::C), (V{{"Auto-Detect", 0},
                                              {"Com1:", 1},
                                              {"Com2:", 2},
                                              {"Com3:", 3},
                                              {"Com4:", 4},
                                              {"Com5:", 5},
                                              {"Com6:", 6}}));
    EXPECT_EQ(PortChoicesFor(PortList::D), (V{{"34c hex (Default)", 0x34C},
                                              {"30c hex", 0x30C},
                                              {"24c hex", 0x24C},
                                              {"20c hex", 0x20C}}));
    EXPECT_EQ(PortChoicesFor(PortList::Default), (V{{"default", 0}}));
    EXPECT_EQ(PortChoicesFor(PortList::Usb), (V{{"USB", 0}}));
    EXPECT_EQ(PortChoicesFor(PortList::None), (V{{"none", 0}}));
}

TEST(RadioModelsTest, TunerPortListIsTheDeviceNamesInOrderWithPortZero) {
    const QStringList devices{"Hauppauge WinTV 88x", "USB 2.0 TV/FM", "Hauppauge WinTV 88x"};
    const auto choices = PortChoicesFor(PortList::E, devices);
    ASSERT_EQ(choices.size(), 3u);
    for (size_t i = 0; i < choices.size(); ++i) {
        EXPECT_EQ(choices[i].text, devices[static_cast<qsizetype>(i)]);
        EXPECT_EQ(choices[i].port, 0);
    }
    EXPECT_TRUE(PortChoicesFor(PortList::E).empty());
    // The device names only matter for the tuner list.
    EXPECT_EQ(PortChoicesFor(PortList::A, devices).size(), 2u);
}

}  // namespace
