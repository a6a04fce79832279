// encoding_fuzz.cpp - the encoding layer on arbitrary bytes: character boundaries, bounded
// copies and appends, searches and the conversions between every host encoding, UTF-8 and
// UTF-16 stay within their buffers; what converts is a terminated text.
#include <cstdint>
#include <cstring>
#include <string>

#include "fake_install_dir.h"
#include "support/encoding.h"
#include "support/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = (UseBuildIcuData(), true);
    (void)ready;
    if (size < 3)
        return 0;
    int32_t encoding = data[0] % ENCODING_COUNT;
    int32_t target = data[1] % ENCODING_COUNT;
    int32_t bound = data[2];
    std::string all(reinterpret_cast<const char*>(data + 3), size - 3);
    size_t cut = all.find('\0');
    std::string text = all.substr(0, cut);
    std::string pattern = cut == std::string::npos ? std::string() : all.substr(cut + 1);
    pattern = pattern.substr(0, pattern.find('\0'));

    for (const char* p = text.c_str(); *p;) {
        int32_t n = EncodingCharLength(p, encoding);
        if (n <= 0)
            __builtin_trap();
        p += n;
    }
    (void)IsUtf8(text.c_str());
    (void)Utf8CutPosition(text.c_str(), bound);
    if (!text.empty())
        (void)IsSecondByte(text.c_str(), static_cast<int32_t>(bound % text.size()), encoding);

    std::string buffer(static_cast<size_t>(bound) + 1, '\0');
    if (bound > 0) {
        int32_t copied = CopyBoundedChars(buffer.data(), text.c_str(), bound, encoding);
        if (copied >= bound || buffer[static_cast<size_t>(copied)] != 0)
            __builtin_trap();
        (void)AppendBoundedChars(buffer.data(), pattern.c_str(), bound, encoding);
        if (std::strlen(buffer.c_str()) >= static_cast<size_t>(bound))
            __builtin_trap();
    }
    (void)FindChars(text.c_str(), pattern.c_str(), encoding);
    (void)FindLastChar(text.c_str(), pattern.c_str(), encoding);

    MemFree(ToUtf8From(text.c_str(), encoding));
    const char* from = ConverterName(encoding);
    const char* to = (data[1] & 0x80) ? "UTF-16" : ConverterName(target);
    MemFree(ConvertWithControls(text.c_str(), from, to, data[2] & 1, data[2] & 2));
    int32_t length = 0;
    char* converted = ConvertText(text.c_str(), from, ConverterName(target), &length, data[2] & 4);
    if (converted && (length < 0 || converted[length] != 0))
        __builtin_trap();
    MemFree(converted);
    return 0;
}
