// Ownership of blocks from the global heap (GlobalAlloc with GPTR, zero-filled),
// the driver's one source of memory that crosses routine boundaries.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>

struct GlobalFreeDeleter {
    void operator()(void* p) const
    {
        if (p != nullptr)
            GlobalFree(p);
    }
};

template <typename T>
using GlobalBlockPtr = std::unique_ptr<T, GlobalFreeDeleter>;

// A zero-filled block of `bytes` bytes seen as T; null when memory fails.
template <typename T>
GlobalBlockPtr<T> AllocGlobalBlock(size_t bytes)
{
    return GlobalBlockPtr<T>(static_cast<T*>(GlobalAlloc(GPTR, bytes)));
}
