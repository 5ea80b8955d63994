// Typed ownership of blocks from the global heap (GlobalAlloc with GPTR,
// zero-filled), with the deleter of common/system/global_free.h.
#pragma once
#include "common/system/global_free.h"

#include <cstddef>
#include <memory>

template <typename T>
using GlobalBlockPtr = std::unique_ptr<T, GlobalFreeDeleter>;

// A zero-filled block of `bytes` bytes seen as T; null when memory fails.
template <typename T>
GlobalBlockPtr<T> AllocGlobalBlock(size_t bytes)
{
    return GlobalBlockPtr<T>(static_cast<T*>(GlobalAlloc(GPTR, bytes)));
}
