// Blocks handed between the stores and their callers come from the global heap,
// zero-filled, and the receiver frees them with GlobalFree.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

struct GlobalFreeDeleter {
    void operator()(void* block) const
    {
        if (block)
            GlobalFree(block);
    }
};

using GlobalBlock = std::unique_ptr<uint8_t, GlobalFreeDeleter>;

// A zero-filled block of `size` bytes (at least one byte, so a zero-size blob
// still has an address), or null when the heap refuses.
inline GlobalBlock AllocGlobalBlock(size_t size)
{
    return GlobalBlock(static_cast<uint8_t*>(GlobalAlloc(GPTR, size ? size : 1)));
}
