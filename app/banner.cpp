#include "app/banner.h"

#include <ocidl.h>
#include <olectl.h>

#include "framework/unique_handle.h"
#include "res/resource.h"

void BannerBitmap::Reset() {
    if (m_picture)
        m_picture->Release();
    m_picture = nullptr;
    m_bitmap = nullptr;
    m_width = m_height = 0;
    m_source = {};
}

std::wstring BannerFilePath() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"\\banner.jpg";
}

void WriteBannerFile(HMODULE module, const std::wstring& path) {
    HRSRC found =
        FindResourceW(module, MAKEINTRESOURCEW(IDR_BANNER_JPEG), MAKEINTRESOURCEW(RT_BANNER_JPEG));
    if (!found)
        return;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, found);
    if (!bytes)
        return;
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file.Get(), bytes, size, &written, nullptr);
}

static bool SameFile(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.nFileSizeLow == b.nFileSizeLow && a.nFileSizeHigh == b.nFileSizeHigh &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

// Reads the whole file into a movable block that the stream frees when it is released.
static IStream* OpenFileStream(const std::wstring& path, DWORD& size) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return nullptr;
    size = GetFileSize(file.Get(), nullptr);
    if (size == INVALID_FILE_SIZE || size == 0)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return nullptr;
    DWORD read = 0;
    void* bytes = GlobalLock(block);
    const BOOL ok = bytes && ReadFile(file.Get(), bytes, size, &read, nullptr) && read == size;
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (!ok || FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return nullptr;
    }
    return stream;
}

bool LoadBannerPicture(const std::wstring& path, BannerBitmap& banner) {
    WIN32_FILE_ATTRIBUTE_DATA source{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &source)) {
        banner.Reset();
        return false;
    }
    if (banner.m_bitmap && SameFile(source, banner.m_source))
        return true;

    banner.Reset();
    DWORD size = 0;
    IStream* stream = OpenFileStream(path, size);
    if (!stream)
        return false;
    IPicture* picture = nullptr;
    const HRESULT decoded = OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                           reinterpret_cast<void**>(&picture));
    stream->Release();
    OLE_HANDLE handle = 0;
    BITMAP info{};
    if (FAILED(decoded) || !picture || FAILED(picture->get_Handle(&handle)) ||
        !GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof(info),
                    &info)) {
        if (picture)
            picture->Release();
        return false;
    }
    banner.m_picture = picture;
    banner.m_bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    banner.m_width = info.bmWidth;
    banner.m_height = info.bmHeight;
    banner.m_source = source;
    return true;
}

void PaintBanner(HWND page, BannerBitmap& banner, BannerContext context) {
    PAINTSTRUCT paint;
    HDC paintDc = BeginPaint(page, &paint);
    RECT area{};
    GetWindowRect(GetDlgItem(page, IDC_BANNER), &area);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);

    HDC dc = context == BannerContext::WindowContext ? GetDC(page) : paintDc;
    HDC memory = CreateCompatibleDC(dc);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    if (LoadBannerPicture(BannerFilePath(), banner)) {
        HGDIOBJ previous = SelectObject(memory, banner.Bitmap());
        const int h = area.bottom - area.top;
        StretchBlt(dc, area.left, area.top, h / 2, h, memory, 0, 0, banner.Width(), banner.Height(),
                   SRCCOPY);
        SelectObject(memory, previous);
    }
    DeleteDC(memory);
    if (context == BannerContext::WindowContext)
        ReleaseDC(page, dc);
    EndPaint(page, &paint);
}
