#include <windows.h>
#include <gtest/gtest.h>

#include "app/banner.h"
#include "app/process_list.h"
#include "controls/complete_dlg.h"
#include "removal/progress_dlg.h"
#include "tests/framework/shown_dialog.h"

namespace {

// Holds the worker before its last line, so that the test can try to leave the page meanwhile.
struct HeldProgressPage : CProgressDlg {
    void AddLine(const std::wstring& line) override {
        if (line == L"Done.")
            SignalObjectAndWait(holding.Get(), release.Get(), INFINITE, FALSE);
        CProgressDlg::AddLine(line);
    }
    UniqueKernelHandle holding{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

} // namespace

TEST(Banner, DecodesThePictureItWrites) {
    const std::wstring file = test::fs::temp_directory_path() / (L"banner_" + test::kPid);
    WriteBannerFile(GetModuleHandleW(nullptr), file);
    BannerBitmap banner;
    EXPECT_TRUE(LoadBannerPicture(file, banner));
    DeleteFileW(file.c_str());
    EXPECT_EQ(banner.Width(), 160);
    EXPECT_EQ(banner.Height(), 310);
}

TEST(ProcessList, FindsARunningProgramByItsBareNameInAnyCaseOnly) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path = self, name = path.substr(path.rfind(L'\\') + 1);
    std::wstring upper = name;
    CharUpperW(upper.data());
    EXPECT_TRUE(IsProcessRunning(name));
    EXPECT_TRUE(IsProcessRunning(upper));
    EXPECT_FALSE(IsProcessRunning(L"x" + name));
    EXPECT_FALSE(IsProcessRunning(name.substr(0, 5)));
    EXPECT_FALSE(IsProcessRunning(path));
}

TEST(CompletionText, NamesTheProductAsAnArgument) {
    EXPECT_EQ(CompletionText(L"Demo %s Product"),
              L"The wizard has successfully uninstalled Demo %s Product from your computer. You "
              L"can re-install this product anytime using product setup file. Thank you for "
              L"using our product.Click Finish to continue.");
}

TEST(ProgressPage, CannotBeLeftWhileTheRemovalRuns) {
    HeldProgressPage page;
    ShownDialog shown(page);
    ASSERT_EQ(WaitForSingleObject(page.holding.Get(), 20000), WAIT_OBJECT_0);
    // Next before the worker disabled it, Escape, the Close box: each handled on return.
    SendMessageW(page.m_hWnd, WM_COMMAND, IDOK, 0);
    SendMessageW(page.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    SendMessageW(page.m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(page.m_hWnd));
    SetEvent(page.release.Get());
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowEnabled(page.GetDlgItem(IDOK)); }, 20000));
    EXPECT_EQ(shown.End(), IDOK);
}
