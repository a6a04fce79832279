// path_fuzz.cpp - the plug-in's path handling on arbitrary texts under every encoding: path
// records against a base, file names, variable expansion, joining and unescaping stay within
// their buffers and never split a character.
#include <cstdint>
#include <cstring>
#include <string>

#include "fake_install_dir.h"
#include "support/encoding.h"
#include "support/memory.h"
#include "support/path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = (UseBuildIcuData(), true);
    (void)ready;
    if (size < 2)
        return 0;
    static const char* const names[] = {"FrameRoman", "Shift-JIS", "KSC5601", "Big5", "GB2312", "UTF-8"};
    SetEncoding(names[data[0] % 6]);
    int32_t kind = data[1] % 5; // kinds above 4 end in FatalError by design
    std::string all(reinterpret_cast<const char*>(data + 2), size - 2);
    size_t cut = all.find('\0');
    std::string text = all.substr(0, cut);
    std::string base = cut == std::string::npos ? std::string() : all.substr(cut + 1);
    base = base.substr(0, base.find('\0'));

    PathRecord* baseRecord = PathFromText(base.c_str(), 0, 0);
    PathRecord* record = PathFromText(text.c_str(), baseRecord, kind);
    MemFree(PathFileName(record));
    (void)PathIsPlain(text.c_str());
    (void)PathIsRepository(text.c_str());
    (void)PathFileNamePart(text.c_str());
    PathRecordFree(record);
    PathRecordFree(baseRecord);

    char buffer[PATH_BUFFER_SIZE];
    std::strncpy(buffer, text.c_str(), sizeof buffer - 1);
    buffer[sizeof buffer - 1] = 0;
    PathExpandVariables(buffer);
    PathNormalize(buffer, base.c_str());
    (void)PathJoin(buffer, base.c_str(), sizeof buffer);
    PathUnescapeName(buffer);
    return 0;
}
