// AfxBeginThread: starts a worker thread at once and hands back its handle.
#pragma once

#include "framework/unique_handle.h"

using AFX_THREADPROC = DWORD(WINAPI*)(LPVOID);

inline UniqueKernelHandle AfxBeginThread(AFX_THREADPROC proc, LPVOID param,
                                         int priority = THREAD_PRIORITY_NORMAL) {
    UniqueKernelHandle thread(CreateThread(nullptr, 0, proc, param, 0, nullptr));
    if (thread && priority != THREAD_PRIORITY_NORMAL)
        SetThreadPriority(thread.Get(), priority);
    return thread;
}
