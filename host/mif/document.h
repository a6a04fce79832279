// document.h - MIF documents <-> the host's document model: reading a parsed MIF file into a
// Document, and bringing the statement tree in line with a changed Document before it is saved.
#pragma once

#include <memory>
#include <string>

#include "host/mif/tree.h"
#include "host/model/model.h"

namespace tw::host {

// Builds a document from a parsed MIF document file; object ids come from `m`. The document
// keeps `src` as its MifSource and every object its statement's node index (mifNode).
std::unique_ptr<Document> ReadMifDocument(Model& m, std::shared_ptr<MifSource> src, const std::string& path);

// Edits doc.mif so that it reads back as `doc`: deleted formats removed, changed formats and
// paragraphs (tags, overrides, next tags) rewritten, new formats and paragraphs added. Statements
// of unchanged objects are left exactly as they were.
void WriteMifDocument(Document& doc);

} // namespace tw::host
