#include "app/banner.h"

#include <ocidl.h>
#include <olectl.h>

#include <string_view>

#include "framework/file_in_place.h"
#include "res/resource.h"

void BannerBitmap::Reset() {
    m_picture.Reset();
    m_bitmap = nullptr;
    m_width = m_height = 0;
}

std::wstring BannerFilePath() {
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(temp, length) + L"\\banner.jpg";
}

// The picture as the program carries it; empty when the module lacks it.
static std::string_view BannerResource(HMODULE module) {
    HRSRC found =
        FindResourceW(module, MAKEINTRESOURCEW(IDR_BANNER_JPEG), MAKEINTRESOURCEW(RT_BANNER_JPEG));
    const void* bytes = found ? LockResource(LoadResource(module, found)) : nullptr;
    return bytes ? std::string_view(static_cast<const char*>(bytes), SizeofResource(module, found))
                 : std::string_view();
}

void WriteBannerFile(HMODULE module, const std::wstring& path) {
    const std::string_view bytes = BannerResource(module);
    if (bytes.empty() || path.empty())
        return;
    // TMP is the user's to set, so the file is written only where that user could write it.
    DWORD error = ERROR_SUCCESS;
    const UniqueFileHandle file = CreateFileInPlace(path, 0, true, error);
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The picture's bytes in a movable block of their own, which the stream frees when it is
// released: the decoder needs a stream, and resource memory belongs to the module.
static ComPtr<IStream> OpenResourceStream(HMODULE module, DWORD& size) {
    const std::string_view bytes = BannerResource(module);
    size = static_cast<DWORD>(bytes.size());
    if (bytes.empty())
        return {};
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* copy = block ? GlobalLock(block) : nullptr;
    if (!copy) {
        if (block)
            GlobalFree(block);
        return {};
    }
    CopyMemory(copy, bytes.data(), size);
    GlobalUnlock(block);
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, stream.Put())))
        GlobalFree(block);
    return stream;
}

bool LoadBannerPicture(HMODULE module, BannerBitmap& banner) {
    if (banner.m_bitmap)
        return true;
    DWORD size = 0;
    const ComPtr<IStream> stream = OpenResourceStream(module, size);
    if (!stream)
        return false;
    ComPtr<IPicture> picture;
    OLE_HANDLE handle = 0;
    BITMAP info{};
    if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                              picture.PutVoid())) ||
        !picture || FAILED(picture->get_Handle(&handle)) ||
        !GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof(info), &info))
        return false;
    banner.m_picture = std::move(picture);
    banner.m_bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    banner.m_width = info.bmWidth;
    banner.m_height = info.bmHeight;
    return true;
}

void PaintBanner(HWND page, BannerBitmap& banner, BannerContext context) {
    PAINTSTRUCT paint;
    HDC paintDc = BeginPaint(page, &paint);
    RECT area{};
    GetWindowRect(GetDlgItem(page, IDC_BANNER), &area);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&area), 2);

    HDC dc = context == BannerContext::WindowContext ? GetDC(page) : paintDc;
    // A mirrored page shows the picture at its right edge, the right way round.
    if (GetLayout(dc) & LAYOUT_RTL)
        SetLayout(dc, LAYOUT_RTL | LAYOUT_BITMAPORIENTATIONPRESERVED);
    HDC memory = CreateCompatibleDC(dc);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    if (LoadBannerPicture(GetModuleHandleW(nullptr), banner)) {
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
