// values.h - the plain values of MIF statements as the readers take them: a whole number, a
// string in the file's encoding, and the encoding a <Font> in a legacy file's text switches to.
#pragma once

#include <cstdint>
#include <string>

#include "host/mif/text.h"
#include "host/mif/tree.h"

namespace tw::host {

// The first value of `node` as a whole number; 0 when absent (-1) or not a number.
int32_t MifIntValue(const MifSource& src, int32_t node);

// The first value of `node` as a string, decoded from the file's encoding; "" when absent.
std::string MifStringValue(const MifSource& src, int32_t node);

// The encoding of the text after a <Font> in a paragraph line: a legacy file's font names it
// in <FEncoding>, and a font without one returns to the paragraph's own (`pgfEncoding`).
MifEncoding MifFontEncoding(const MifSource& src, int32_t font, MifEncoding current, MifEncoding pgfEncoding);

} // namespace tw::host
