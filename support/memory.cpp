/* memory.cpp - flagged and plain heap allocation, and the fatal-error routine with its
 * replaceable handler. */
#include "support/memory.h"

#include <stdlib.h>
#include <string.h>

#include "platform/fatal.h"

OutOfMemoryHook MemOutOfMemoryHook = NULL;

static FatalHandler fatalHandler = FatalDefaultHandler;

void FatalDefaultHandler(void) { RaiseStructuredException(1); }

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

#ifdef TAGWRIGHT_ALLOCATION_FAULTS
/* Test builds of the library only: the n-th allocation that may fail (no fatal flag) fails,
 * so that every path that handles a failed allocation can be taken in turn. */
static long faultCountdown = 0;
static long faultCandidates = 0;

extern "C" __attribute__((visibility("default"))) long TagwrightFailAllocation(long nth)
{
    long seen = faultCandidates;
    faultCandidates = 0;
    faultCountdown = nth;
    return seen;
}

static int InjectedFailure(uint32_t flags)
{
    if (flags & MEM_FATAL_ON_FAILURE)
        return 0;
    faultCandidates++;
    return faultCountdown > 0 && --faultCountdown == 0;
}
#else
#define InjectedFailure(flags) 0
#endif

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
    void* block = InjectedFailure(flags) ? NULL : malloc(size);
    return block ? block : AllocationFailed(size, flags);
}

void* MemAllocZeroed(size_t count, size_t size, uint32_t flags)
{
    void* block = InjectedFailure(flags) ? NULL : calloc(count, size);
    return block ? block : AllocationFailed(count * size, flags);
}

void* MemRealloc(void* block, size_t size, uint32_t flags)
{
    /* realloc to 0 bytes may release the block and return null, which the caller would
     * read as a failure with its old block still valid; keep one byte instead. */
    void* resized = InjectedFailure(flags) ? NULL : realloc(block, size ? size : 1);
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

void* BridgeAlloc(size_t size) { return InjectedFailure(0) ? NULL : malloc(size); }

void* BridgeAllocZeroed(size_t count, size_t size) { return InjectedFailure(0) ? NULL : calloc(count, size); }

void* BridgeRealloc(void* block, size_t size) { return InjectedFailure(0) ? NULL : realloc(block, size ? size : 1); }

void* BridgeFree(void* block)
{
    if (block)
        free(block);
    return NULL;
}
