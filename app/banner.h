// The banner strip every page shows at its left edge: the picture and its painting.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

#include "framework/com_ptr.h"

// A decoded banner. The picture object owns the bitmap, so it lives exactly as long as
// the bitmap is used, and neither is copied.
class BannerBitmap {
  public:
    HBITMAP Bitmap() const { return m_bitmap; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

  private:
    friend bool LoadBannerPicture(HMODULE module, BannerBitmap& banner);
    void Reset();

    ComPtr<IPicture> m_picture;
    HBITMAP m_bitmap = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// "<temporary folder>\banner.jpg"; the folder path already ends in a backslash. Empty when
// the system names no temporary folder.
std::wstring BannerFilePath();

// Writes the banner resource (type 235, id 135) of module to path, unless a link, a second
// name or the rights of the user behind an elevation stand against it; failures are passed over.
void WriteBannerFile(HMODULE module, const std::wstring& path);

// Decodes the banner resource of module into banner, once: the pages never decode the file,
// which any program of the user could replace while this elevated one reads it. True when
// banner holds a picture.
bool LoadBannerPicture(HMODULE module, BannerBitmap& banner);

// The whole WM_PAINT of a page: the banner stretched to (h / 2) x h at item 1001.
// The welcome page draws on a separate device context of its client area.
enum class BannerContext { PaintContext, WindowContext };
void PaintBanner(HWND page, BannerBitmap& banner, BannerContext context);
