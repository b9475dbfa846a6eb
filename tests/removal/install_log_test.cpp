#include "removal/install_log.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <tuple>

#include "tests/test_support.h"
#include "tools/install_log_writer.h"

namespace {

using Strings = std::vector<std::wstring>;

// Install.log in a product folder of its own below the installer's Program Files.
class InstallLog : public testing::Test {
  protected:
    const std::wstring productDir = L"Corvina Log " + test::kPid;
    const test::fs::path file = test::kInstallerFiles / productDir / L"Install.log";
    void SetUp() override { test::fs::create_directories(file.parent_path()); }
    void TearDown() override { test::RemoveTree(file.parent_path()); }
};

} // namespace

TEST_F(InstallLog, ReadsWhatTheFileHoldsAndZeroPastItsEnd) {
    const Strings two = {L"C:\\a.ex4", L"C:\\b"};
    // No image: no file. Images cut to a length, or padded past the record's 52004 bytes.
    for (const auto& [image, count, entries] :
         {std::tuple{std::optional<InstallLogImage>{}, 0, Strings{L"", L""}},
          {InstallLogImage{2, two}, 2, two},
          {InstallLogImage{2, two, 52004 + 100}, 2, two},
          {InstallLogImage{2, two, 4 + 6}, 2, {L"C:\\", L""}},
          {InstallLogImage{0x0102, {}, 1}, 2, {L"", L""}}}) {
        SCOPED_TRACE(image ? image->length : 0);
        DeleteFileW(file.c_str());
        if (image) {
            ASSERT_TRUE(WriteInstallLogImage(file.wstring(), *image));
        }
        const auto record = std::make_unique<InstallLogRecord>();
        std::memset(record.get(), 0xAB, sizeof *record);
        ReadInstallLog(*record, productDir);
        EXPECT_EQ(record->count, count);
        EXPECT_EQ((Strings{LoggedEntry(*record, 0).path, LoggedEntry(*record, 1).path}), entries);
    }
}
