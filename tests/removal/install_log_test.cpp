#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>

#include "removal/install_log.h"
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
    const InstallLogImage two{2, {L"C:\\a.ex4", L"C:\\b"}};
    struct Case {
        const char* file;
        std::optional<InstallLogImage> image;
        int32_t count;
        Strings entries;
    };
    for (const auto& [name, image, count, entries] :
         {Case{"missing", std::nullopt, 0, {L"", L""}},
          {"whole", two, 2, two.slots},
          {"padded past the record", InstallLogImage{2, two.slots, 52004 + 100}, 2, two.slots},
          {"cut in the first slot", InstallLogImage{2, two.slots, 4 + 6}, 2, {L"C:\\", L""}},
          {"cut in the count", InstallLogImage{0x0102, {}, 1}, 2, {L"", L""}}}) {
        SCOPED_TRACE(name);
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
