/* module_path.cpp - GetModuleFileNameA over the dynamic loader: the module handle is the
 * handle dlopen returned to the host, and its link map names the file; a null handle (or the
 * main program's map) stands for the executable, as on Windows. */
#include "platform/module_path.h"

#if !defined(_WIN32)

#include <dlfcn.h>
#include <link.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum { PATH_ROOM = 4096 };

/* The executable's path into room; null when it cannot be read. */
const char* ExecutablePath(char* room, size_t size)
{
    ssize_t n = readlink("/proc/self/exe", room, size - 1);
    if (n <= 0)
        return NULL;
    room[n] = '\0';
    return room;
}

/* The file a link map names; the main program's map has an empty name. */
const char* LinkMapPath(struct link_map* map, char* room, size_t size)
{
    if (map && map->l_name && map->l_name[0] != '\0')
        return map->l_name;
    return ExecutablePath(room, size);
}

int SameFile(const char* a, const char* b)
{
    struct stat sa;
    struct stat sb;
    if (!a || !b || stat(a, &sa) != 0 || stat(b, &sb) != 0)
        return 0;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} /* namespace */

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    char room[PATH_ROOM];
    const char* path;
    if (module) {
        struct link_map* map = NULL;
        if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map)
            return 0;
        path = LinkMapPath(map, room, sizeof room);
    } else {
        path = ExecutablePath(room, sizeof room);
    }
    if (!path)
        return 0;
    size_t length = strlen(path);
    if (length >= size) {
        /* Cut short: Windows copies what fits, terminates and answers the buffer size. */
        memcpy(buffer, path, size - 1);
        buffer[size - 1] = '\0';
        return size;
    }
    memcpy(buffer, path, length + 1);
    return (DWORD)length;
}

int IsOwnModuleFile(const char* path)
{
    Dl_info info;
    struct link_map* map = NULL;
    if (!dladdr1((void*)&IsOwnModuleFile, &info, (void**)&map, RTLD_DL_LINKMAP))
        return 0;
    char room[PATH_ROOM];
    return SameFile(path, LinkMapPath(map, room, sizeof room));
}

int IsOwnModule(HMODULE module)
{
    char path[PATH_ROOM];
    DWORD length = GetModuleFileNameA(module, path, sizeof path);
    return length != 0 && length < sizeof path && IsOwnModuleFile(path);
}

#endif
