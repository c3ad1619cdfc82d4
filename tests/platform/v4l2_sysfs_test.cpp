#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/v4l2_tuner.h"

namespace {

// A small sysfs tree: device folders under devices/, class entries as
// symbolic links to them, as the kernel lays them out.
class SysfsTree {
  public:
    SysfsTree() {
        QDir().mkpath(Path("class/video4linux"));
        QDir().mkpath(Path("class/sound"));
    }

    QString root() const { return dir_.path(); }
    QString Path(const QString& relative) const { return dir_.filePath(relative); }

    void AddVideoNode(const QString& node, const QString& device) {
        QDir().mkpath(Path("devices/" + device));
        QDir().mkpath(Path("class/video4linux/" + node));
        QFile::link(Path("devices/" + device), Path("class/video4linux/" + node + "/device"));
    }

    // A sound card on a device with the given PCM entries ("pcmC1D0c"...).
    void AddSoundCard(int number, const QString& device, const QString& id,
                      const QStringList& pcms) {
        const QString card =
            Path(QStringLiteral("devices/%1/sound/card%2").arg(device).arg(number));
        QDir().mkpath(card);
        for (const QString& pcm : pcms) {
            QDir().mkpath(card + "/" + pcm);
        }
        if (!id.isNull()) {
            QFile file(card + "/id");
            file.open(QIODevice::WriteOnly);
            file.write(id.toUtf8() + "\n");
        }
        QFile::link(Path("devices/" + device), card + "/device");
        QFile::link(card, Path(QStringLiteral("class/sound/card%1").arg(number)));
    }

  private:
    QTemporaryDir dir_;
};

const QString kUsb = "pci0000:00/0000:00:14.0/usb1/1-2";

TEST(V4l2SysfsTest, FindsTheSoundOfAUsbReceiverOnAnotherInterface) {
    SysfsTree sys;
    sys.AddVideoNode("radio0", kUsb + "/1-2:1.0");
    sys.AddSoundCard(0, "pci0000:00/0000:00:1f.3", "PCH", {"pcmC0D0c", "pcmC0D0p"});
    sys.AddSoundCard(2, kUsb + "/1-2:1.1", "Radio", {"pcmC2D3c", "pcmC2D1c"});
    EXPECT_EQ(AlsaCaptureDeviceInSysfs(sys.root(), "radio0"), "plughw:CARD=Radio,DEV=1");
}

TEST(V4l2SysfsTest, FindsTheSoundOfAPciCardOnAnotherFunctionOfItsSlot) {
    SysfsTree sys;
    sys.AddVideoNode("video1", "pci0000:00/0000:00:1c.0/0000:03:00.0");
    sys.AddSoundCard(1, "pci0000:00/0000:00:1c.0/0000:03:00.1", QString(), {"pcmC1D0c"});
    // Without an id the card goes by its number.
    EXPECT_EQ(AlsaCaptureDeviceInSysfs(sys.root(), "video1"), "plughw:1,0");
}

TEST(V4l2SysfsTest, UnrelatedCardsAndCardsWithoutCaptureGiveNothing) {
    SysfsTree sys;
    sys.AddVideoNode("radio0", "pci0000:00/0000:00:1c.0/0000:03:00.0");
    sys.AddVideoNode("radio1", kUsb + "/1-2:1.0");
    // Another slot on the same bus, and another USB device on the same hub.
    sys.AddSoundCard(0, "pci0000:00/0000:00:1c.0/0000:04:00.0", "Other", {"pcmC0D0c"});
    sys.AddSoundCard(1, "pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0", "Headset", {"pcmC1D0c"});
    // The receiver's own card plays only.
    sys.AddSoundCard(2, kUsb + "/1-2:1.1", "Radio", {"pcmC2D0p"});
    EXPECT_EQ(AlsaCaptureDeviceInSysfs(sys.root(), "radio0"), "");
    EXPECT_EQ(AlsaCaptureDeviceInSysfs(sys.root(), "radio1"), "");
    EXPECT_EQ(AlsaCaptureDeviceInSysfs(sys.root(), "radio7"), "");
    EXPECT_EQ(AlsaCaptureDeviceInSysfs(sys.root(), "../radio1"), "");
}

}  // namespace
