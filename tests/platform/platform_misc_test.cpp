#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <atomic>
#include <thread>

#include "platform/auto_reset_event.h"
#include "platform/autostart.h"
#include "platform/post_message.h"
#include "platform/wave_format.h"
#include "support/scoped_xdg_dirs.h"

namespace {

TEST(WaveFormat, SerializesLittleEndianAndParsesBack) {
    WaveFormat mp3;
    mp3.formatTag = WaveFormat::kTagMpegLayer3;
    mp3.samplesPerSec = 16000;
    mp3.avgBytesPerSec = 4000;
    mp3.bitsPerSample = 16;
    mp3.extra = QByteArray("\x01\x02\x03", 3);
    const QByteArray bytes = mp3.Serialize();
    ASSERT_EQ(bytes.size(), 21);
    EXPECT_EQ(bytes.left(4), QByteArray("\x55\x00\x01\x00", 4));
    EXPECT_EQ(bytes.mid(4, 4), QByteArray("\x80\x3e\x00\x00", 4));
    EXPECT_EQ(bytes.mid(16, 2), QByteArray("\x03\x00", 2));
    EXPECT_EQ(WaveFormat::Parse(bytes), mp3);
    // Trailing bytes beyond the extra size are not part of the record.
    EXPECT_EQ(WaveFormat::Parse(bytes + "junk"), mp3);
}

TEST(WaveFormat, ShortDataIsRefused) {
    const QByteArray bytes = WaveFormat::Pcm(2, 44100, 16).Serialize();
    EXPECT_FALSE(WaveFormat::Parse(bytes.left(17)).has_value());
    QByteArray claimsExtra = bytes;
    claimsExtra[16] = 4;  // four extra bytes announced, none present
    EXPECT_FALSE(WaveFormat::Parse(claimsExtra).has_value());
}

TEST(WaveFormat, PcmComputesAlignmentAndRate) {
    const WaveFormat f = WaveFormat::Pcm(2, 44100, 16);
    EXPECT_EQ(f.blockAlign, 4);
    EXPECT_EQ(f.avgBytesPerSec, 176400u);
}

TEST(AutoResetEvent, WakesOneWaitAndResets) {
    AutoResetEvent event;
    EXPECT_FALSE(event.Wait(10));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0)) << "reset after one wait";

    std::atomic<bool> woke = false;
    std::thread waiter([&] { woke = event.Wait(5000); });
    event.Set();
    waiter.join();
    EXPECT_TRUE(woke);
}

TEST(Autostart, EntryRunsTheQuotedProgram) {
    ScopedXdgDirs dirs;
    ASSERT_TRUE(
        autostart::WriteEntry(autostart::Scope::PerUser, "Plumora", "/opt/my radio/plumora", "-m"));
    EXPECT_EQ(autostart::ReadExec(autostart::Scope::PerUser, "Plumora"),
              "\"/opt/my radio/plumora\" -m");
    EXPECT_FALSE(autostart::ReadExec(autostart::Scope::MachineWide, "Plumora").has_value());
    EXPECT_TRUE(autostart::RemoveEntry(autostart::Scope::PerUser, "Plumora"));
    EXPECT_FALSE(QFile::exists(autostart::EntryPath(autostart::Scope::PerUser, "Plumora")));
    EXPECT_TRUE(autostart::RemoveEntry(autostart::Scope::PerUser, "Plumora")) << "already gone";
}

TEST(Autostart, EntryShowsTheInstalledProgramsNameAndIconAndIsValid) {
    ScopedXdgDirs dirs;
    ASSERT_TRUE(
        autostart::WriteEntry(autostart::Scope::PerUser, "Plumora", "/usr/bin/plumora", "-m"));
    const QString path = autostart::EntryPath(autostart::Scope::PerUser, "Plumora");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    EXPECT_TRUE(lines.contains("Name=Plumora"));
    EXPECT_TRUE(lines.contains("Icon=com.quillmoor.Plumora"));

    QProcess validate;
    validate.start("desktop-file-validate", {path});
    ASSERT_TRUE(validate.waitForFinished(60000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
}

TEST(Autostart, QuotingEscapesShellCharacters) {
    EXPECT_EQ(autostart::QuoteExecArgument("/usr/bin/plumora"), "/usr/bin/plumora");
    EXPECT_EQ(autostart::QuoteExecArgument("/a$b"), "\"/a\\\\$b\"");
    EXPECT_EQ(autostart::QuoteExecArgument("/a\"b"), "\"/a\\\\\"b\"");
}

class Receiver : public QObject {
  public:
    bool event(QEvent* e) override {
        if (const WindowMessage* m = AsWindowMessage(e)) {
            received.push_back({m->msg, m->wParam, m->lParam});
            return true;
        }
        return QObject::event(e);
    }
    struct Message {
        unsigned msg;
        quintptr wParam;
        qintptr lParam;
    };
    std::vector<Message> received;
};

TEST(PostMessage, MessagesArriveLaterInOrderFromAnyThread) {
    Receiver receiver;
    PostMessage(&receiver, 1102, 1, -2);
    std::thread([&] { PostMessage(&receiver, 1193, 3, 4); }).join();
    EXPECT_TRUE(receiver.received.empty()) << "posted, not sent";
    LetWaitingMessagesRun();
    ASSERT_EQ(receiver.received.size(), 2u);
    EXPECT_EQ(receiver.received[0].msg, 1102u);
    EXPECT_EQ(receiver.received[0].lParam, -2);
    EXPECT_EQ(receiver.received[1].msg, 1193u);
    PostMessage(nullptr, 1);  // no receiver: nothing happens
}

}  // namespace
