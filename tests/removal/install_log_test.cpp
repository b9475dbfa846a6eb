// Install.log files written as the installer does, and damaged ones, read back.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/removal/removal_fixture.h"
#include "tools/install_log_writer.h"

namespace {

struct LogFolder {
    std::wstring name = Unique(L"Log");
    fs::path folder = ProgramFiles() / name;
    InstallLogRecord log;
    LogFolder() {
        fs::create_directories(folder);
        std::memset(&log, 0x55, sizeof log); // what a page's memory may hold before the read
    }
    ~LogFolder() { fs::remove_all(folder); }
    const InstallLogRecord& Read(const InstallLogImage& image) {
        EXPECT_TRUE(WriteInstallLogImage((folder / L"Install.log").wstring(), image));
        ReadInstallLog(log, name);
        return log;
    }
};

TEST(InstallLog, ReadsWhatTheInstallerWrote) {
    LogFolder f;
    ASSERT_TRUE(WriteInstallLog((f.folder / L"Install.log").wstring(), {L"C:\\a.txt", L"C:\\b"}));
    ReadInstallLog(f.log, f.name);
    EXPECT_EQ(f.log.count, 2);
    EXPECT_EQ(LoggedEntry(f.log, 1).path, L"C:\\b");
    EXPECT_EQ(LoggedEntry(f.log, 2).path, L"");
    EXPECT_FALSE(WriteInstallLog(L"x.log", std::vector<std::wstring>(101, L"C:\\a")));
    EXPECT_FALSE(WriteInstallLog(L"x.log", {std::wstring(260, L'a')}));
}

TEST(InstallLog, DamagedLogsReadSafely) {
    LogFolder f;
    ReadInstallLog(f.log, f.name + L" missing");
    EXPECT_EQ(LoggedEntryCount(f.log), 0);
    EXPECT_EQ(LoggedEntry(f.log, 0).path, L"");

    EXPECT_EQ(f.Read({0, {}, 4}).count, 0);
    EXPECT_EQ(LoggedEntryCount(f.Read({3, {L"a", L"b", L"c", L"d", L"e"}})), 3);
    EXPECT_EQ(LoggedEntryCount(f.Read({150, {}})), 100);
    EXPECT_EQ(LoggedEntryCount(f.Read({-5, {}})), -5);

    // Cut in the middle of slot 1: its first 10 characters remain, the rest reads as zero.
    f.Read({3, {L"C:\\first", L"C:\\second-entry", L"C:\\third"}, 4 + 520 + 20});
    EXPECT_EQ(f.log.count, 3);
    EXPECT_EQ(LoggedEntry(f.log, 0).path, L"C:\\first");
    EXPECT_EQ(LoggedEntry(f.log, 1).path, L"C:\\second-");
    EXPECT_EQ(LoggedEntry(f.log, 2).path, L"");

    f.Read({1, {L"C:\\only"}, 60000});
    EXPECT_EQ(LoggedEntry(f.log, 0).path, L"C:\\only");
    EXPECT_EQ(LoggedEntry(f.log, 99).path, L""); // the bytes past the record are not read

    const LoggedFile unterminated = LoggedEntry(f.Read({1, {std::wstring(300, L'z')}}), 0);
    EXPECT_EQ(unterminated.path, std::wstring(260, L'z'));
    EXPECT_FALSE(unterminated.terminated);
    EXPECT_TRUE(LoggedEntry(f.log, 1).terminated);
}

} // namespace
