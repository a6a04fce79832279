/* win32.h - the Windows services the plug-in uses for its module, version resource, resources
 * and task memory. On Windows this is the system's own headers; elsewhere the same names are
 * declared here and served by platform/ (module_path, version_info, resource_table, task_memory). */
#ifndef TAGWRIGHT_PLATFORM_WIN32_H
#define TAGWRIGHT_PLATFORM_WIN32_H

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winver.h>

/* COM task memory (ole32), declared here: objbase.h would also declare COM's own IUnknown
 * identifiers, which clash with the bridge's. */
extern "C" DECLSPEC_IMPORT LPVOID WINAPI CoTaskMemAlloc(SIZE_T size);
extern "C" DECLSPEC_IMPORT void WINAPI CoTaskMemFree(LPVOID block);

#else

#include <stddef.h>
#include <stdint.h>

typedef void* HMODULE;
typedef void* HGLOBAL;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef UINT* PUINT;
typedef int BOOL;
typedef struct ResourceTableEntry* HRSRC;

#define MAKEINTRESOURCEA(i) ((LPSTR)(uintptr_t)(uint16_t)(i))
#define IS_INTRESOURCE(p) ((((uintptr_t)(p)) >> 16) == 0)
#define RT_VERSION MAKEINTRESOURCEA(16)
#define VS_VERSION_INFO 1
#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define ERROR_INSUFFICIENT_BUFFER 122

typedef struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

/* Task memory: host and plug-in share one C runtime here, so these are malloc and free. */
void* CoTaskMemAlloc(size_t size);
void CoTaskMemFree(void* block);

/* The path of a module: the handle is what dlopen returned (null: the executable). Copies at
 * most size - 1 characters and a NUL; returns the characters copied, size when the path was
 * cut short, 0 on failure. */
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

/* Version information of a file: served for the plug-in library's own file only. */
DWORD GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle);
BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data);
BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, PUINT length);

/* The plug-in library's resource table. */
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
DWORD SizeofResource(HMODULE module, HRSRC resource);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);

#endif

#endif
