// ComPtr: owns one reference to a COM interface and releases it when it goes.
#pragma once

#include <unknwn.h>

#include "framework/unique_handle.h"

template <typename T> void ReleaseInterface(T* object) {
    object->Release();
}

// An interface is used through ->, and the calls that hand one out often type it void**.
template <typename T> class ComPtr : public UniqueHandle<T*, ReleaseInterface<T>> {
  public:
    using UniqueHandle<T*, ReleaseInterface<T>>::UniqueHandle;

    T* operator->() const { return this->Get(); }
    void** PutVoid() { return reinterpret_cast<void**>(this->Put()); }

    // Another interface of the same object.
    template <typename U> bool As(REFIID iid, ComPtr<U>& out) const {
        return this->Get() && SUCCEEDED(this->Get()->QueryInterface(iid, out.PutVoid()));
    }
};
