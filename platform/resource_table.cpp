/* resource_table.cpp - FindResourceA and friends over the library's resources where they are
 * not embedded by a resource compiler. The library carries one resource, its version
 * information (type RT_VERSION, identifier 1), as version_info.cpp lays it out. */
#include "platform/win32.h"

#if !defined(_WIN32)

#include <stdlib.h>
#include <strings.h>

#include "platform/module_path.h"
#include "platform/version_info.h"

struct ResourceTableEntry {
    uint16_t type;
    uint16_t id;
};

namespace {

ResourceTableEntry Resources[] = {
    {16 /* RT_VERSION */, VS_VERSION_INFO},
};

/* A resource name or type is either a 16-bit identifier or a text; "#n" names identifier n. */
int NameMatches(LPCSTR name, uint16_t id)
{
    if (IS_INTRESOURCE(name))
        return (uint16_t)(uintptr_t)name == id;
    if (name[0] != '#')
        return 0;
    char* end = NULL;
    unsigned long value = strtoul(name + 1, &end, 10);
    return end != name + 1 && *end == '\0' && value == id;
}

const uint8_t* ResourceData(HRSRC resource, uint32_t* size)
{
    *size = 0;
    if (!resource)
        return NULL;
    if (resource->type == 16 && resource->id == VS_VERSION_INFO)
        return VersionResourceBlock(size);
    return NULL;
}

} /* namespace */

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type)
{
    if (!name || !type || !IsOwnModule(module))
        return NULL;
    for (ResourceTableEntry& entry : Resources)
        if (NameMatches(type, entry.type) && NameMatches(name, entry.id))
            return &entry;
    return NULL;
}

DWORD SizeofResource(HMODULE module, HRSRC resource)
{
    (void)module;
    uint32_t size = 0;
    ResourceData(resource, &size);
    return size;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource)
{
    (void)module;
    uint32_t size = 0;
    return (HGLOBAL)ResourceData(resource, &size);
}

LPVOID LockResource(HGLOBAL data) { return data; }

#endif
