/* version_info.cpp - GetFileVersionInfoA and VerQueryValueA where the version resource is not
 * embedded by a resource compiler. The block holds a signature, its size, the fixed file
 * information, the translation, then "\StringFileInfo\<block>\<key>" NUL value NUL pairs and a
 * final NUL; queries name a path and get a pointer into the caller's copy of the block. */
#include "platform/version_info.h"

#include "platform/win32.h"

#if !defined(_WIN32)

#include <string.h>
#include <strings.h>

#include "platform/module_path.h"
#include "resources/version_table.h"

namespace {

const uint32_t BLOCK_SIGNATURE = 0x49565754u; /* "TWVI" */

struct VersionBlockHeader {
    uint32_t signature;
    uint32_t size;
    VS_FIXEDFILEINFO fixed;
    DWORD translation; /* language in the low word, code page in the high word */
};

uint8_t VersionBlock[2048];
uint32_t VersionBlockSize;

void BuildVersionBlock()
{
    const VersionTable* table = &TagwrightVersionTable;
    VersionBlockHeader header;
    memset(&header, 0, sizeof header);
    header.signature = BLOCK_SIGNATURE;
    header.fixed.dwSignature = VS_FFI_SIGNATURE;
    header.fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    header.fixed.dwFileVersionMS = ((DWORD)table->fileVersion[0] << 16) | table->fileVersion[1];
    header.fixed.dwFileVersionLS = ((DWORD)table->fileVersion[2] << 16) | table->fileVersion[3];
    header.fixed.dwProductVersionMS = header.fixed.dwFileVersionMS;
    header.fixed.dwProductVersionLS = header.fixed.dwFileVersionLS;
    header.fixed.dwFileFlagsMask = 0x3f;
    header.fixed.dwFileOS = 0x40004; /* VOS_NT_WINDOWS32 */
    header.fixed.dwFileType = 2;     /* VFT_DLL */
    header.translation = ((DWORD)table->codePage << 16) | table->language;

    uint32_t at = sizeof header;
    for (uint32_t i = 0; i < table->stringCount; i++) {
        const char* parts[] = {"\\StringFileInfo\\",    table->block, "\\", table->strings[i].key, NULL,
                               table->strings[i].value, NULL};
        for (const char* part : parts) {
            size_t length = part ? strlen(part) : 0;
            if (at + length + 2 > sizeof VersionBlock)
                return; /* the table outgrew the block: serve nothing rather than half */
            if (part)
                memcpy(VersionBlock + at, part, length);
            at += (uint32_t)length;
            if (!part)
                VersionBlock[at++] = '\0';
        }
    }
    VersionBlock[at++] = '\0';
    header.size = at;
    memcpy(VersionBlock, &header, sizeof header);
    VersionBlockSize = at;
}

} /* namespace */

const uint8_t* VersionResourceBlock(uint32_t* size)
{
    if (VersionBlockSize == 0)
        BuildVersionBlock();
    *size = VersionBlockSize;
    return VersionBlockSize ? VersionBlock : NULL;
}

DWORD GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle)
{
    if (handle)
        *handle = 0;
    uint32_t size = 0;
    if (!path || !IsOwnModuleFile(path) || !VersionResourceBlock(&size))
        return 0;
    return size;
}

BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data)
{
    (void)handle;
    uint32_t needed = GetFileVersionInfoSizeA(path, NULL);
    if (needed == 0 || !data || size < needed)
        return 0;
    uint32_t blockSize = 0;
    memcpy(data, VersionResourceBlock(&blockSize), needed);
    return 1;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, PUINT length)
{
    if (value)
        *value = NULL;
    if (length)
        *length = 0;
    if (!block || !subBlock || !value || !length)
        return 0;
    const uint8_t* bytes = (const uint8_t*)block;
    VersionBlockHeader header;
    memcpy(&header, bytes, sizeof header);
    if (header.signature != BLOCK_SIGNATURE || header.size < sizeof header)
        return 0;
    if (strcmp(subBlock, "\\") == 0) {
        *value = (LPVOID)(bytes + offsetof(VersionBlockHeader, fixed));
        *length = sizeof(VS_FIXEDFILEINFO);
        return 1;
    }
    if (strcasecmp(subBlock, "\\VarFileInfo\\Translation") == 0) {
        *value = (LPVOID)(bytes + offsetof(VersionBlockHeader, translation));
        *length = sizeof(DWORD);
        return 1;
    }
    /* Keys compare without regard to case, as Windows does. */
    const char* at = (const char*)bytes + sizeof header;
    const char* end = (const char*)bytes + header.size;
    while (at < end && *at) {
        const char* key = at;
        const char* text = key + strlen(key) + 1;
        if (text >= end)
            break;
        if (strcasecmp(key, subBlock) == 0) {
            *value = (LPVOID)text;
            *length = (UINT)strlen(text) + 1;
            return 1;
        }
        at = text + strlen(text) + 1;
    }
    return 0;
}

#endif
