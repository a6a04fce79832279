/* memory.cpp - flagged and plain heap allocation, and the fatal-error routine with its
 * replaceable handler. */
#include "support/memory.h"

#include <stdlib.h>
#include <string.h>

#include "platform/fatal.h"

OutOfMemoryHook MemOutOfMemoryHook = NULL;

static FatalHandler fatalHandler = FatalDefaultHandler;

void FatalDefaultHandler(void)
{
    RaiseStructuredException(1);
}

FatalHandler SetFatalHandler(FatalHandler handler)
{
    FatalHandler previous = fatalHandler;
    fatalHandler = handler ? handler : FatalDefaultHandler;
    return previous;
}

void FatalError(void)
{
    if (fatalHandler != FatalDefaultHandler)
        fatalHandler();
    RaiseStructuredException(1);
}

/* The shared failure path: null comes back to the caller unless the fatal flag is set. */
static void* AllocationFailed(size_t size, uint32_t flags)
{
    if (flags & MEM_FATAL_ON_FAILURE) {
        if (MemOutOfMemoryHook)
            MemOutOfMemoryHook(size);
        FatalError();
    }
    return NULL;
}

void* MemAlloc(size_t size, uint32_t flags)
{
    void* block = malloc(size);
    return block ? block : AllocationFailed(size, flags);
}

void* MemAllocZeroed(size_t count, size_t size, uint32_t flags)
{
    void* block = calloc(count, size);
    return block ? block : AllocationFailed(count * size, flags);
}

void* MemRealloc(void* block, size_t size, uint32_t flags)
{
    /* realloc to 0 bytes may release the block and return null, which the caller would
     * read as a failure with its old block still valid; keep one byte instead. */
    void* resized = realloc(block, size ? size : 1);
    return resized ? resized : AllocationFailed(size, flags);
}

void* MemFree(void* block)
{
    if (block)
        free(block);
    return NULL;
}

int32_t MemZero(void* block, size_t length)
{
    if (!block)
        return 1;
    memset(block, 0, length);
    return 0;
}

char* StrAlloc(size_t n)
{
    if (n == (size_t)-1)
        return NULL;
    return (char*)MemAllocZeroed(n + 1, 1, 0);
}

void* BridgeAlloc(size_t size)
{
    return malloc(size);
}

void* BridgeAllocZeroed(size_t count, size_t size)
{
    return calloc(count, size);
}

void* BridgeRealloc(void* block, size_t size)
{
    return realloc(block, size ? size : 1);
}

void* BridgeFree(void* block)
{
    if (block)
        free(block);
    return NULL;
}
