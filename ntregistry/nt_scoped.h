// Small owners for what CNtRegistry's operations obtain through the bound entry points.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "ntregistry/nt_native.h"

// A native handle closed with the bound NtClose.
class ScopedNtHandle {
  public:
    explicit ScopedNtHandle(NtKeyFn close) : m_close(close) {}
    ~ScopedNtHandle() {
        if (m_handle)
            m_close(m_handle);
    }
    ScopedNtHandle(const ScopedNtHandle&) = delete;
    ScopedNtHandle& operator=(const ScopedNtHandle&) = delete;

    HANDLE* Out() { return &m_handle; }
    HANDLE Get() const { return m_handle; }

  private:
    NtKeyFn m_close;
    HANDLE m_handle = nullptr;
};

// A zero-filled block of the process heap, freed with the bound RtlFreeHeap.
class ScopedHeapBlock {
  public:
    explicit ScopedHeapBlock(const NtEntryPoints& nt) : m_nt(nt) {}
    ~ScopedHeapBlock() { Free(); }
    ScopedHeapBlock(const ScopedHeapBlock&) = delete;
    ScopedHeapBlock& operator=(const ScopedHeapBlock&) = delete;

    // Replaces the block; null (and no block) when the heap refuses.
    void* Allocate(SIZE_T size) {
        Free();
        m_block = m_nt.RtlAllocateHeap(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
        return m_block;
    }
    void* Get() const { return m_block; }
    template <typename T> T* As() const { return static_cast<T*>(m_block); }

  private:
    void Free() {
        if (m_block)
            m_nt.RtlFreeHeap(GetProcessHeap(), 0, std::exchange(m_block, nullptr));
    }

    const NtEntryPoints& m_nt;
    void* m_block = nullptr;
};

// Names are always full native paths, so there is never a root directory.
inline OBJECT_ATTRIBUTES KeyAttributes(UNICODE_STRING& name, ULONG more = 0) {
    OBJECT_ATTRIBUTES attributes = {};
    attributes.Length = sizeof(attributes);
    attributes.ObjectName = &name;
    attributes.Attributes = OBJ_CASE_INSENSITIVE | more;
    return attributes;
}

// The whole text as a counted name, embedded NULs included, which a NUL-terminated reading
// would cut short; with trailingNul, its terminating NUL too. False when the name would not fit.
inline bool CountedName(const std::wstring& text, bool trailingNul, UNICODE_STRING& name) {
    const size_t bytes = (text.size() + (trailingNul ? 1 : 0)) * sizeof(wchar_t);
    if (bytes > 0xFFFE)
        return false;
    name.Length = name.MaximumLength = static_cast<USHORT>(bytes);
    name.Buffer = const_cast<PWSTR>(text.c_str());
    return true;
}

// Only A-Z: the registry's own case folding of other letters is left to the platform.
inline std::wstring ToLowerAscii(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}
