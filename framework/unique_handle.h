// UniqueHandle: owns one Windows handle and closes it with the given function.
#pragma once

#include <windows.h>

#include <utility>

// Both null and INVALID_HANDLE_VALUE count as "no handle": neither is ever a real one.
template <typename H, auto Close> class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(H handle) : m_handle(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    H Get() const { return m_handle; }
    explicit operator bool() const { return IsValid(m_handle); }
    H Release() { return std::exchange(m_handle, H{}); }
    void Reset(H handle = H{}) {
        H old = std::exchange(m_handle, handle);
        if (IsValid(old))
            Close(old);
    }
    // For a call that hands out a handle through a pointer; the one held before goes first.
    H* Put() {
        Reset();
        return &m_handle;
    }

  private:
    static bool IsValid(H h) {
        return h != H{} && reinterpret_cast<HANDLE>(h) != INVALID_HANDLE_VALUE;
    }
    H m_handle{};
};

inline void CloseKernelHandle(HANDLE h) {
    CloseHandle(h);
}
inline void CloseFindHandle(HANDLE h) {
    FindClose(h);
}
inline void DeleteGdiObject(HGDIOBJ h) {
    DeleteObject(h);
}
inline void ReleaseModule(HMODULE h) {
    FreeLibrary(h);
}

using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;
using UniqueFileHandle = UniqueKernelHandle;
using UniqueFindHandle = UniqueHandle<HANDLE, CloseFindHandle>;
using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniqueModule = UniqueHandle<HMODULE, ReleaseModule>;
