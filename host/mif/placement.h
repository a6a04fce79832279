// placement.h - placing objects made in memory (formats, tables, paragraphs) into a MIF
// document's statement tree before it is written, and the text of a paragraph's lines.
#pragma once

#include <cstdint>
#include <string>

#include "host/mif/tree.h"
#include "host/model/model.h"

namespace tw::host {

// Gives new tables their <Tbl> (rows and cells, cell contents still empty) and new paragraphs
// their <Para> next to their neighbours, so that the paragraph walk can then check them all.
void PlaceNewObjects(Document& d);

// The <ParaLine> of a paragraph written from the model: its text in <String> runs broken at
// its inline items, each item as it was read (or an <ATbl> for a new table anchor); the text
// starts in `encoding` and follows the encodings of the fonts among the items.
std::string ParaLinesText(const MifSource& src, Document& d, const Paragraph& p, int32_t textRectId,
                          MifEncoding encoding);

} // namespace tw::host
