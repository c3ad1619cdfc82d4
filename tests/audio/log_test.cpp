#include "audio/log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "support/scoped_xdg_dirs.h"

namespace {

std::string ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
              static_cast<qint64>(bytes.size()));
}

// Splits a log into (time line, message) pairs; fails the test on any text
// that is not a whole entry.
std::vector<std::pair<std::string, std::string>> Entries(const std::string& log) {
    static const std::regex entry(
        "([A-Z][a-z]{2} [A-Z][a-z]{2} [ 123][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4})\r\n"
        "([^\r\n]*)\r\n");
    std::vector<std::pair<std::string, std::string>> result;
    auto position = log.cbegin();
    std::smatch match;
    while (position != log.cend() && std::regex_search(position, log.cend(), match, entry,
                                                       std::regex_constants::match_continuous)) {
        result.emplace_back(match[1].str(), match[2].str());
        position = match[0].second;
    }
    EXPECT_TRUE(position == log.cend())
        << "unparsable text at offset " << (position - log.cbegin());
    return result;
}

class DiagnosticLogTest : public ::testing::Test {
  protected:
    std::string LogFile() const { return dir_.filePath("plumora.log").toStdString(); }
    QTemporaryDir dir_;
};

TEST(LogPathTest, ReplacesOnlyTheExtensionOfTheFileName) {
    EXPECT_EQ(LogPathBesideExecutable("/usr/bin/plumora"), "/usr/bin/plumora.log");
    EXPECT_EQ(LogPathBesideExecutable("/opt/plumora.exe"), "/opt/plumora.log");
    EXPECT_EQ(LogPathBesideExecutable("/opt/plumora.tar.bin"), "/opt/plumora.tar.log");
    EXPECT_EQ(LogPathBesideExecutable("/opt/radio.tools/plumora"), "/opt/radio.tools/plumora.log");
    EXPECT_EQ(LogPathBesideExecutable("/opt/v1.2/plumora.bin"), "/opt/v1.2/plumora.log");
    EXPECT_EQ(LogPathBesideExecutable("/home/me/.plumora"), "/home/me/.plumora.log");
    EXPECT_EQ(LogPathBesideExecutable("plumora"), "plumora.log");
    EXPECT_EQ(LogPathBesideExecutable(""), "");
    EXPECT_EQ(LogPathBesideExecutable("/opt/plumora/"), "");
}

TEST(LogPathTest, FallsBackToStateHomeWhenTheFolderCannotBeWritten) {
    ScopedXdgDirs xdg;
    QTemporaryDir dir;
    const std::string exe = dir.filePath("plumora.bin").toStdString();
    EXPECT_EQ(ChooseLogPath(exe), dir.filePath("plumora.log").toStdString());

    const QString fallbackFolder = xdg.stateHome() + "/Plumora";
    ASSERT_FALSE(QFileInfo::exists(fallbackFolder));
    EXPECT_EQ(ChooseLogPath(dir.filePath("missing.d/plumora").toStdString()),
              (fallbackFolder + "/plumora.log").toStdString());
    EXPECT_TRUE(QFileInfo(fallbackFolder).isDir());

    // A "folder" that is a plain file cannot hold the log either.
    WriteAll(dir.filePath("plain").toStdString(), "x");
    EXPECT_EQ(ChooseLogPath(dir.filePath("plain/plumora").toStdString()),
              (fallbackFolder + "/plumora.log").toStdString());
    EXPECT_EQ(ChooseLogPath(""), "");
}

TEST(LogPathTest, FindsTheRunningExecutable) {
    const QString expected = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    EXPECT_EQ(RunningExecutablePath(), expected.toStdString());
}

TEST(LogTimeTest, MatchesTheStandardTextForm) {
    std::tm time{};
    time.tm_year = 2024 - 1900;
    time.tm_mon = 0;
    time.tm_mday = 3;
    time.tm_wday = 3;
    time.tm_hour = 4;
    time.tm_min = 5;
    time.tm_sec = 6;
    EXPECT_EQ(FormatLogTime(time), "Wed Jan  3 04:05:06 2024");

    // The C library's own form is fixed English; sweep about three years in
    // steps that reach every weekday, month and two-digit day.
    for (std::time_t t = 1700000000; t < 1800000000; t += 86400 * 5 + 3607) {
        std::tm parts{};
        ASSERT_NE(gmtime_r(&t, &parts), nullptr);
        char reference[32];
        ASSERT_NE(asctime_r(&parts, reference), nullptr);
        EXPECT_EQ(FormatLogTime(parts), std::string(reference, 24));
        EXPECT_EQ(FormatLogTime(parts).size(), 24u);
    }
}

TEST_F(DiagnosticLogTest, WritesTimeLineMessageAndLineEnds) {
    WriteAll(LogFile(), "earlier\r\n");
    DiagnosticLog log(LogFile());
    const std::time_t before = std::time(nullptr);
    log.Write("Record %s (%d)", "Morning_2024.wav", 7);
    const std::time_t after = std::time(nullptr);

    const std::string text = ReadAll(LogFile());
    ASSERT_EQ(text.rfind("earlier\r\n", 0), 0u);
    const auto entries = Entries(text.substr(9));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].second, "Record Morning_2024.wav (7)");
    std::tm localBefore{}, localAfter{};
    localtime_r(&before, &localBefore);
    localtime_r(&after, &localAfter);
    EXPECT_THAT(entries[0].first,
                ::testing::AnyOf(FormatLogTime(localBefore), FormatLogTime(localAfter)));
}

TEST_F(DiagnosticLogTest, EmptiesALongLogOnlyAtTheFirstCall) {
    WriteAll(LogFile(), std::string(10001, 'x'));
    {
        DiagnosticLog log(LogFile());
        log.Write("start program");
        EXPECT_EQ(Entries(ReadAll(LogFile())).size(), 1u);
    }

    WriteAll(LogFile(), std::string(10000, 'x'));
    {
        DiagnosticLog log(LogFile());
        log.Write("start program");
        const std::string text = ReadAll(LogFile());
        EXPECT_EQ(text.substr(0, 10000), std::string(10000, 'x'));
        EXPECT_EQ(Entries(text.substr(10000)).size(), 1u);
    }

    // Growing past the limit during a session does not empty the log.
    WriteAll(LogFile(), std::string(9990, 'x'));
    DiagnosticLog log(LogFile());
    log.Write("start program");
    log.Write("record");
    const std::string text = ReadAll(LogFile());
    ASSERT_GT(text.size(), 10000u);
    const auto entries = Entries(text.substr(9990));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].second, "record");
}

TEST_F(DiagnosticLogTest, StopsAfterTheClosingNote) {
    DiagnosticLog log(LogFile());
    for (int i = 1; i <= 199; ++i) {
        log.Write("message %d", i);
    }
    std::string text = ReadAll(LogFile());
    auto entries = Entries(text);
    ASSERT_EQ(entries.size(), 199u);
    EXPECT_EQ(entries.back().second, "message 199");

    log.Write("message 200");
    text = ReadAll(LogFile());
    const std::string note = "\r\n\r\nMaximum warnings reported this session... ";
    ASSERT_GT(text.size(), note.size());
    EXPECT_EQ(text.substr(text.size() - note.size()), note);
    EXPECT_EQ(Entries(text.substr(0, text.size() - note.size())).size(), 199u);

    for (int i = 201; i <= 260; ++i) {
        log.Write("message %d", i);
    }
    EXPECT_EQ(ReadAll(LogFile()), text);
    EXPECT_EQ(log.count(), DiagnosticLog::kMaxCalls + 1);
}

TEST_F(DiagnosticLogTest, DroppedMessagesStillCount) {
    const QString folder = dir_.filePath("later");
    const std::string path = (folder + "/plumora.log").toStdString();
    DiagnosticLog log(path);
    for (int i = 1; i <= 199; ++i) {
        log.Write("lost %d", i);
    }
    EXPECT_EQ(log.count(), 199);
    EXPECT_FALSE(QFileInfo::exists(folder));

    ASSERT_TRUE(QDir().mkpath(folder));
    log.Write("too late");
    EXPECT_EQ(ReadAll(path), "\r\n\r\nMaximum warnings reported this session... ");

    // A directory where the file should be is dropped the same way.
    DiagnosticLog onFolder(folder.toStdString());
    onFolder.Write("nothing");
    EXPECT_EQ(onFolder.count(), 1);
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(DiagnosticLogTest, AsksForThePathUntilItHasOne) {
    int asked = 0;
    std::string answer;
    DiagnosticLog log([&] {
        ++asked;
        return answer;
    });
    log.Write("dropped");
    EXPECT_EQ(asked, 1);
    answer = LogFile();
    log.Write("kept");
    log.Write("kept again");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(log.path(), LogFile());
    const auto entries = Entries(ReadAll(LogFile()));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].second, "kept");
}

TEST_F(DiagnosticLogTest, EntriesFromManyThreadsStayWhole) {
    DiagnosticLog log(LogFile());
    constexpr int kThreads = 8;
    constexpr int kCalls = 24;  // 192 entries: all below the limit
    const std::string padding(700, '-');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, &padding, t] {
            for (int i = 0; i < kCalls; ++i) {
                log.Write("thread %d call %d %s end", t, i, padding.c_str());
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(log.count(), kThreads * kCalls);

    std::set<std::string> seen;
    for (const auto& entry : Entries(ReadAll(LogFile()))) {
        seen.insert(entry.second);
    }
    ASSERT_EQ(seen.size(), static_cast<size_t>(kThreads * kCalls));
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kCalls; ++i) {
            const std::string expected = "thread " + std::to_string(t) + " call " +
                                         std::to_string(i) + " " + padding + " end";
            EXPECT_EQ(seen.count(expected), 1u) << "thread " << t << " call " << i;
        }
    }
}

TEST(LogWarningTest, WritesBesideTheTestProgram) {
    const std::string path = ChooseLogPath(RunningExecutablePath());
    ASSERT_FALSE(path.empty());
    const std::string marker = "log check " + std::to_string(::getpid());
    LogWarning("%s", marker.c_str());
    EXPECT_NE(ReadAll(path).find(marker + "\r\n"), std::string::npos) << path;
}

}  // namespace
