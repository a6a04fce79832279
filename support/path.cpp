/* path.cpp - path records from host file names: variable expansion, joining to a base,
 * separator and "."/".." normalisation by characters, and the display file name. */
#include "support/path.h"

#include <stdlib.h>
#include <string.h>

#include "platform/netlib.h"
#include "support/encoding.h"
#include "support/memory.h"
#include "support/strings.h"

static int IsSeparator(char c) { return c == '\\' || c == '/'; }

int32_t PathIsPlain(const char* text)
{
    if (!text)
        return 1;
    return NetLibIsNetFile(text) != 0;
}

int32_t PathIsRepository(const char* text) { return text && *text && StrStartsWith(text, "dctm://"); }

static int IsRelative(const char* text)
{
    if (text[0] && text[1] == ':')
        return 0;
    return PathIsPlain(text) && !PathIsRepository(text) && !IsSeparator(text[0]);
}

const char* PathFileNamePart(const char* text)
{
    if (!text)
        return NULL;
    int32_t encoding = CurrentEncoding();
    const char* after = text;
    static const char* const separators[] = {"\\", "/", ":"};
    for (const char* separator : separators) {
        const char* hit = FindLastChar(text, separator, encoding);
        if (hit && hit + 1 > after)
            after = hit + 1;
    }
    return after;
}

int32_t PathJoin(char* buffer, const char* part, int32_t size)
{
    if (!buffer)
        return 0;
    if (part && *part && *buffer) {
        size_t length = strlen(buffer);
        int endsWithSeparator = *PathFileNamePart(buffer) == '\0' && IsSeparator(buffer[length - 1]);
        if (!endsWithSeparator)
            StrAppendChar(buffer, '\\', size);
    }
    AppendBoundedChars(buffer, part, size, CurrentEncoding());
    return StrLength(buffer);
}

/* Appends count bytes to out (length *used) if they fit in PATH_BUFFER_SIZE - 1. */
static int Put(char* out, size_t* used, const char* bytes, size_t count)
{
    if (*used + count > PATH_BUFFER_SIZE - 1)
        return 0;
    memcpy(out + *used, bytes, count);
    *used += count;
    return 1;
}

void PathExpandVariables(char* data)
{
    if (!data)
        return;
    int32_t encoding = CurrentEncoding();
    char out[PATH_BUFFER_SIZE];
    size_t used = 0;
    size_t i = 0;
    if (data[0] == '~')
        i = 1; /* there is no home directory text to put in its place */
    while (data[i]) {
        if (data[i] == '$' && !(i > 0 && data[i + 1] == '.')) {
            size_t nameStart = i + 1;
            size_t nameEnd = nameStart;
            while (data[nameEnd] && !IsSeparator(data[nameEnd]))
                nameEnd += (size_t)EncodingCharLength(data + nameEnd, encoding);
            char name[PATH_BUFFER_SIZE];
            size_t nameLength = nameEnd - nameStart;
            memcpy(name, data + nameStart, nameLength);
            name[nameLength] = '\0';
            const char* value = getenv(name);
            if (value) {
                char bounded[PATH_BUFFER_SIZE];
                int32_t take = CopyBoundedChars(bounded, value, (int32_t)(PATH_BUFFER_SIZE - used), encoding);
                Put(out, &used, bounded, (size_t)take);
            } else if (!Put(out, &used, data + i, nameEnd - i)) {
                break; /* "$" and the name as ordinary text did not fit */
            }
            i = nameEnd;
            continue;
        }
        size_t length = (size_t)EncodingCharLength(data + i, encoding);
        if (!Put(out, &used, data + i, length))
            break;
        i += length;
    }
    out[used] = '\0';
    memcpy(data, out, used + 1);
}

/* Writes the join buffer back into data component by component: separator runs become one
 * separator (the first kind met in the path), a leading "\\\\" stays, "." is dropped and
 * ".." removes the previous component without climbing above a drive prefix. */
static void RewriteComponents(const char* join, char* data)
{
    int32_t encoding = CurrentEncoding();
    char separator = '\\';
    for (size_t i = 0; join[i]; i += (size_t)EncodingCharLength(join + i, encoding))
        if (IsSeparator(join[i])) {
            separator = join[i];
            break;
        }

    int32_t written[PATH_BUFFER_SIZE]; /* offsets in data of every separator written */
    size_t separators = 0;
    size_t used = 0;
    size_t i = 0;
    if (join[0] == '\\' && join[1] == '\\') {
        data[used] = '\\';
        written[separators++] = (int32_t)used++;
        data[used] = '\\';
        written[separators++] = (int32_t)used++;
        while (IsSeparator(join[i]))
            i++;
    }
    while (join[i]) {
        if (IsSeparator(join[i])) {
            while (IsSeparator(join[i]))
                i++;
            if (!Put(data, &used, &separator, 1))
                break;
            written[separators++] = (int32_t)(used - 1);
            continue;
        }
        size_t start = i;
        while (join[i] && !IsSeparator(join[i]))
            i += (size_t)EncodingCharLength(join + i, encoding);
        size_t length = i - start;
        if (length == 1 && join[start] == '.') {
            while (IsSeparator(join[i]))
                i++;
            continue;
        }
        if (length == 2 && join[start] == '.' && join[start + 1] == '.') {
            if (separators == 0) { /* nothing to go back over: start again from the beginning */
                used = 0;
                continue;
            }
            int32_t last = written[separators - 1];
            if (last > 0 && data[last - 1] == ':') { /* never above a drive prefix */
                while (IsSeparator(join[i]))
                    i++;
                continue;
            }
            if (separators >= 2) {
                used = (size_t)written[separators - 2] + 1;
                separators--;
                while (IsSeparator(join[i]))
                    i++;
            } else {
                used = 0;
                separators = 0;
            }
            continue;
        }
        /* copy the component whole characters at a time while they fit */
        size_t at = start;
        while (at < i) {
            size_t charLength = (size_t)EncodingCharLength(join + at, encoding);
            if (!Put(data, &used, join + at, charLength))
                break;
            at += charLength;
        }
    }
    data[used] = '\0';
}

void PathNormalize(char* data, const char* base)
{
    if (!data)
        return;
    /* network locations, and repository locations whose "//" must survive, stay as given */
    if (!PathIsPlain(data) || PathIsRepository(data))
        return;
    if (!base)
        base = "";
    int32_t encoding = CurrentEncoding();

    if (IsRelative(data) && *base && !PathIsPlain(base)) {
        char joined[PATH_BUFFER_SIZE];
        StrCopyBounded(joined, base, PATH_BUFFER_SIZE);
        StrAppendChar(joined, '/', PATH_BUFFER_SIZE);
        for (size_t i = 0; data[i]; i += (size_t)EncodingCharLength(data + i, encoding))
            if (data[i] == '\\')
                data[i] = '/';
        char* resolved = NULL;
        if (PathIsPlain(joined) || NetLibGetAbsoluteURL(joined, data, &resolved) != 0 || !resolved) {
            NetLibFree(resolved);
            data[0] = '\0';
            return;
        }
        CopyBoundedChars(data, resolved, PATH_BUFFER_SIZE, encoding);
        NetLibFree(resolved);
        return;
    }

    PathExpandVariables(data);
    char join[PATH_BUFFER_SIZE] = "";
    if (IsRelative(data))
        PathJoin(join, base, PATH_BUFFER_SIZE);
    PathJoin(join, data, PATH_BUFFER_SIZE);
    RewriteComponents(join, data);
}

PathRecord* PathFromText(const char* text, const PathRecord* base, int32_t kind)
{
    if (kind < 0 || kind > 4) {
        FatalError();
        return NULL;
    }
    /* kind 1 (the host's device-independent form) is never passed and not understood */
    if (!text || !*text || kind == PATH_KIND_NONE || kind == PATH_KIND_DEVICE_INDEPENDENT)
        return NULL;
    int32_t encoding = CurrentEncoding();
    char baseText[PATH_BUFFER_SIZE] = "";
    if (base && base->text)
        CopyBoundedChars(baseText, base->text, PATH_BUFFER_SIZE, encoding);
    char work[PATH_BUFFER_SIZE];
    CopyBoundedChars(work, text, PATH_BUFFER_SIZE, encoding);
    PathNormalize(work, baseText);
    if (!*work)
        return NULL;

    PathRecord* record = (PathRecord*)MemAllocZeroed(1, sizeof(PathRecord), 0);
    if (!record)
        return NULL;
    record->text = StrDuplicate(work);
    if (!record->text) {
        MemFree(record);
        return NULL;
    }
    record->tag = PATH_RECORD_TAG;
    record->flags = (uint16_t)((record->flags | PATH_FLAG_PLATFORM) & ~1u);
    return record;
}

void PathRecordFree(PathRecord* record)
{
    if (!record)
        return;
    MemFree(record->text);
    MemFree(record);
}

static int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void PathUnescapeName(char* text)
{
    if (!text)
        return;
    char* out = text;
    for (const char* in = text; *in;) {
        if (in[0] == '%' && in[1] && in[2]) {
            int high = HexValue(in[1]);
            int low = HexValue(in[2]);
            if (high >= 0 && low >= 0 && (high | low) != 0) {
                char byte = (char)(high * 16 + low);
                *out++ = byte == '/' ? '\\' : byte;
                in += 3;
                continue;
            }
        }
        *out++ = *in == '/' ? '\\' : *in;
        in++;
    }
    *out = '\0';
}

char* PathFileName(const PathRecord* record)
{
    if (!record || !record->text)
        return NULL;
    int32_t encoding = CurrentEncoding();
    char work[PATH_BUFFER_SIZE];
    CopyBoundedChars(work, record->text, PATH_BUFFER_SIZE, encoding);
    /* a trailing separator names the directory itself: leave it out */
    size_t length = strlen(work);
    if (length > 0 && IsSeparator(work[length - 1]) && !IsSecondByte(work, (int32_t)(length - 1), encoding))
        work[length - 1] = '\0';

    char name[PATH_NAME_SIZE];
    if (PathIsPlain(work)) {
        CopyBoundedChars(name, PathFileNamePart(work), PATH_NAME_SIZE, encoding);
    } else {
        const char* slash = FindLastChar(work, "/", encoding);
        CopyBoundedChars(name, slash ? slash + 1 : work, PATH_NAME_SIZE, encoding);
        PathUnescapeName(name);
    }
    return StrDuplicate(name);
}
