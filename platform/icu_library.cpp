/* icu_library.cpp - binds the encoding layer's ICU functions. Windows: the host's ICU common
 * library is found at run time in the host's installation directory (the executable's), then
 * in the plug-in's own directory, under the names installations use (icuuc<NN>.dll for any
 * version, highest first, then icuuc.dll); each function is taken with the version suffix
 * "_NN" or without it. Elsewhere: the system ICU the library links. */
#include "platform/icu_library.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)

#include "platform/win32.h"

namespace {

enum { PATH_ROOM = 1024, MAX_CANDIDATES = 32 };

IcuLibrary bound;
int searched = 0;
int found = 0;
char soughtText[2 * PATH_ROOM + 64];
char boundFile[PATH_ROOM];

/* The directory part of a module's file (without the final separator); 0 on failure. */
int ModuleDirectory(HMODULE module, char* directory, size_t size)
{
    DWORD length = GetModuleFileNameA(module, directory, (DWORD)size);
    if (length == 0 || length >= size)
        return 0;
    char* cut = strrchr(directory, '\\');
    char* slash = strrchr(directory, '/');
    if (slash && (!cut || slash > cut))
        cut = slash;
    if (!cut)
        return 0;
    *cut = '\0';
    return 1;
}

HMODULE OwnModule(void)
{
    HMODULE module = NULL;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            (LPCSTR)(void*)&OwnModule, &module))
        return NULL;
    return module;
}

/* The version in "icuuc<NN>.dll" (1 to 3 digits), 0 for "icuuc.dll", -1 for other names. */
int VersionOfName(const char* name)
{
    if (_strnicmp(name, "icuuc", 5) != 0)
        return -1;
    const char* p = name + 5;
    int version = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9' && digits < 4) {
        version = version * 10 + (*p - '0');
        p++;
        digits++;
    }
    if (_stricmp(p, ".dll") != 0 || digits > 3 || (digits > 0 && version == 0))
        return -1;
    return version;
}

FARPROC Resolve(HMODULE library, const char* name, const char* suffix)
{
    char full[64];
    snprintf(full, sizeof full, "%s%s", name, suffix);
    return GetProcAddress(library, full);
}

static const char* const functionNames[] = {"u_getDataDirectory", "u_setDataDirectory",
                                            "u_strlen",           "ucnv_close",
                                            "ucnv_fromUChars",    "ucnv_open",
                                            "ucnv_setFallback",   "ucnv_setToUCallBack",
                                            "ucnv_toUChars",      "UCNV_TO_U_CALLBACK_ESCAPE"};
enum { FUNCTION_COUNT = sizeof functionNames / sizeof functionNames[0] };

/* Fills the table from library with the given suffix; 1 when every function is there. */
int ResolveAll(HMODULE library, const char* suffix, IcuLibrary* table)
{
    FARPROC found[FUNCTION_COUNT];
    for (int i = 0; i < FUNCTION_COUNT; i++) {
        found[i] = Resolve(library, functionNames[i], suffix);
        if (!found[i])
            return 0;
    }
    table->getDataDirectory = (decltype(table->getDataDirectory))(void*)found[0];
    table->setDataDirectory = (decltype(table->setDataDirectory))(void*)found[1];
    table->strlen = (decltype(table->strlen))(void*)found[2];
    table->close = (decltype(table->close))(void*)found[3];
    table->fromUChars = (decltype(table->fromUChars))(void*)found[4];
    table->open = (decltype(table->open))(void*)found[5];
    table->setFallback = (decltype(table->setFallback))(void*)found[6];
    table->setToUCallBack = (decltype(table->setToUCallBack))(void*)found[7];
    table->toUChars = (decltype(table->toUChars))(void*)found[8];
    table->toUCallbackEscape = (UConverterToUCallback)(void*)found[9];
    return 1;
}

/* Binds the table to one library file: its functions with the suffix its name gives, or
 * without a suffix; a library named without a version ("icuuc.dll") may still suffix its
 * functions, so the suffixes of the versions ICU has had are tried for it. */
int BindFile(const char* path, int version)
{
    /* Altered search path: the library's own data library is found beside it. */
    HMODULE library = LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library)
        return 0;
    char suffix[8];
    IcuLibrary table;
    int ok = 0;
    if (version > 0) {
        snprintf(suffix, sizeof suffix, "_%d", version);
        ok = ResolveAll(library, suffix, &table);
    }
    if (!ok)
        ok = ResolveAll(library, "", &table);
    for (int v = 99; !ok && version == 0 && v >= 4; v--) {
        snprintf(suffix, sizeof suffix, "_%d", v);
        ok = ResolveAll(library, suffix, &table);
    }
    if (!ok) {
        FreeLibrary(library);
        return 0;
    }
    bound = table;
    snprintf(boundFile, sizeof boundFile, "%s", path);
    return 1; /* stays loaded for as long as the process: ICU keeps process-wide state */
}

int CompareVersionsDescending(const void* a, const void* b) { return *(const int*)b - *(const int*)a; }

/* The first usable library in one directory: versioned names, highest version first, then
 * the unversioned name. */
int BindInDirectory(const char* directory)
{
    char pattern[PATH_ROOM + 16];
    snprintf(pattern, sizeof pattern, "%s\\icuuc*.dll", directory);
    int versions[MAX_CANDIDATES];
    int count = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            int version = VersionOfName(entry.cFileName);
            if (version >= 0 && count < MAX_CANDIDATES)
                versions[count++] = version;
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    qsort(versions, (size_t)count, sizeof versions[0], CompareVersionsDescending);
    for (int i = 0; i < count; i++) {
        char path[PATH_ROOM + 16];
        if (versions[i] > 0)
            snprintf(path, sizeof path, "%s\\icuuc%d.dll", directory, versions[i]);
        else
            snprintf(path, sizeof path, "%s\\icuuc.dll", directory);
        if (BindFile(path, versions[i]))
            return 1;
    }
    return 0;
}

void Search(void)
{
    searched = 1;
    char hostDir[PATH_ROOM] = "";
    char ownDir[PATH_ROOM] = "";
    int haveHost = ModuleDirectory(NULL, hostDir, sizeof hostDir);
    HMODULE own = OwnModule();
    int haveOwn = own && ModuleDirectory(own, ownDir, sizeof ownDir);
    if (haveOwn && haveHost && _stricmp(ownDir, hostDir) == 0)
        haveOwn = 0;
    snprintf(soughtText, sizeof soughtText, "icuuc<NN>.dll or icuuc.dll in %s%s%s",
             haveHost ? hostDir : "(the host's directory is unknown)", haveOwn ? "; " : "", haveOwn ? ownDir : "");
    found = (haveHost && BindInDirectory(hostDir)) || (haveOwn && BindInDirectory(ownDir));
}

} /* namespace */

const IcuLibrary* IcuLibraryGet(void)
{
    if (!searched)
        Search();
    return found ? &bound : NULL;
}

const char* IcuLibrarySought(void) { return soughtText; }

const char* IcuLibraryFile(void) { return boundFile; }

#else

static const IcuLibrary linked = {
    u_getDataDirectory, u_setDataDirectory,
    u_strlen,           ucnv_close,
    ucnv_fromUChars,    ucnv_open,
    ucnv_setFallback,   ucnv_setToUCallBack,
    ucnv_toUChars,      UCNV_TO_U_CALLBACK_ESCAPE,
};

const IcuLibrary* IcuLibraryGet(void) { return &linked; }

const char* IcuLibrarySought(void) { return ""; }

const char* IcuLibraryFile(void) { return ""; }

#endif
