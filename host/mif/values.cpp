// values.cpp - whole numbers, strings and font encodings read off MIF statements.
#include "host/mif/values.h"

#include <cstdlib>

namespace tw::host {

int32_t MifIntValue(const MifSource& src, int32_t node)
{
    return node < 0 ? 0 : static_cast<int32_t>(std::strtol(std::string(src.firstToken(node)).c_str(), nullptr, 10));
}

std::string MifStringValue(const MifSource& src, int32_t node)
{
    if (node < 0)
        return {};
    std::string out, error;
    DecodeMifString(src.firstToken(node), src.encoding, out, error);
    return out;
}

MifEncoding MifFontEncoding(const MifSource& src, int32_t font, MifEncoding current, MifEncoding pgfEncoding)
{
    if (!src.legacy)
        return current;
    int32_t e = src.firstChild(font, "FEncoding");
    return e >= 0 ? MifEncodingFromFont(MifStringValue(src, e)) : pgfEncoding;
}

} // namespace tw::host
