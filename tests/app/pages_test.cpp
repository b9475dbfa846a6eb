#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/banner.h"
#include "app/uninstall_dlg.h"
#include "app/process_list.h"
#include "controls/complete_dlg.h"
#include "removal/progress_dlg.h"
#include "res/resource.h"

namespace {

std::wstring TempFile(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId()) + L".jpg";
}

void WaitUntilFinished(HWND page, std::wstring& status) {
    for (int tries = 0; tries < 1000 && status != L"Please click the next button."; ++tries) {
        Sleep(20);
        wchar_t text[64] = {};
        GetDlgItemTextW(page, IDC_STATUS, text, 64);
        status = text;
    }
}

std::string Bytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(Banner, IsWrittenWholeDecodedOnceAndSurvivesBadFiles) {
    const std::wstring path = TempFile(L"banner_test_");
    std::ofstream(std::filesystem::path(path), std::ios::binary) << std::string(50000, 'x');
    WriteBannerFile(GetModuleHandleW(nullptr), path);
    const std::string written = Bytes(path);
    ASSERT_GT(written.size(), 1000u);
    EXPECT_LT(written.size(), 50000u) << "an older, longer file is truncated";
    EXPECT_EQ(written.substr(0, 3), std::string("\xFF\xD8\xFF"));

    BannerBitmap banner;
    ASSERT_TRUE(LoadBannerPicture(path, banner) && LoadBannerPicture(path, banner));
    EXPECT_EQ(banner.Width(), 160);
    EXPECT_EQ(banner.Height(), 310);

    // Not a picture, no file, an empty file: no bitmap, and no failure beyond that.
    for (const char* bytes : {"not a picture", static_cast<const char*>(nullptr), ""}) {
        DeleteFileW(path.c_str());
        if (bytes)
            std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
        EXPECT_FALSE(LoadBannerPicture(path, banner));
        EXPECT_EQ(banner.Bitmap(), nullptr);
    }
    DeleteFileW(path.c_str());
}

TEST(Pages, TerminalCheckMatchesTheBareNameExactlyIgnoringCase) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path = self, name = path.substr(path.find_last_of(L'\\') + 1);
    std::wstring upper = name;
    CharUpperW(upper.data());
    EXPECT_TRUE(IsProcessRunning(name) && IsProcessRunning(upper));
    // Not a longer name, not a shorter one, not a full path.
    EXPECT_FALSE(IsProcessRunning(L"x" + name) || IsProcessRunning(name.substr(0, 5)) ||
                 IsProcessRunning(path));
}

TEST(Pages, CompletionTextNamesTheProductAsAnArgument) {
    EXPECT_EQ(CompletionText(L"Demo %s Product"),
              L"The wizard has successfully uninstalled Demo %s Product from your computer. You "
              L"can re-install this product anytime using product setup file. Thank you for "
              L"using our product.Click Finish to continue.");
    EXPECT_EQ(CompletionText(L"").size(), 198u);
    EXPECT_NE(CompletionText(L"").find(L"{Product Name}"), std::wstring::npos);
}

namespace {
// Holds the worker before its last line so the test can try to leave the page meanwhile.
class HeldProgressPage : public CProgressDlg {
  public:
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE holding = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~HeldProgressPage() override {
        CloseHandle(release);
        CloseHandle(holding);
    }
    void AddLine(const std::wstring& line) override {
        if (line == L"Done.") {
            SetEvent(holding);
            WaitForSingleObject(release, INFINITE);
        }
        CProgressDlg::AddLine(line);
    }
};
} // namespace

TEST(Pages, TheProgressPageCannotBeLeftWhileTheRemovalRuns) {
    HeldProgressPage page;
    bool aliveWhileHeld = false;
    std::wstring statusAtEnd;
    std::thread user([&] {
        WaitForSingleObject(page.holding, 20000);
        HWND window = page.m_hWnd;
        PostMessageW(window, WM_COMMAND, IDOK, 0);     // Next before the worker disabled it
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0); // Escape
        PostMessageW(window, WM_CLOSE, 0, 0);          // the Close box
        Sleep(500);
        aliveWhileHeld = IsWindow(window) != FALSE;
        SetEvent(page.release);
        WaitUntilFinished(window, statusAtEnd);
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(page.DoModal(), IDOK);
    user.join();
    EXPECT_TRUE(aliveWhileHeld);
    EXPECT_EQ(statusAtEnd, L"Please click the next button.");
}
