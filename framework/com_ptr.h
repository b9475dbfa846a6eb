// ComPtr: owns one reference to a COM interface and releases it when it goes.
#pragma once

#include <unknwn.h>

#include <utility>

// Apart from UniqueHandle: an interface is used through ->, and the calls that hand one out
// take it as an out parameter, often typed void**.
template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller holds.
    explicit ComPtr(T* p) : m_p(p) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_p(other.Detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Reset(T* p = nullptr) {
        if (T* old = std::exchange(m_p, p))
            old->Release();
    }
    // For a call that hands out a reference; the one held before goes first.
    T** Put() {
        Reset();
        return &m_p;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    // Another interface of the same object.
    template <typename U> bool As(REFIID iid, ComPtr<U>& out) const {
        return m_p && SUCCEEDED(m_p->QueryInterface(iid, out.PutVoid()));
    }

  private:
    T* m_p = nullptr;
};
