// The owner of blocks from the global heap: blocks handed between the stores and
// their callers are zero-filled GlobalAlloc blocks that the receiver frees with
// GlobalFree. common/system/global_block.h builds its typed owner on this.
#pragma once
#include <windows.h>

struct GlobalFreeDeleter {
    void operator()(void* block) const
    {
        if (block)
            GlobalFree(block);
    }
};
