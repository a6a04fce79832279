// book.h - MIF books: components (files, folders, groups) read into the model, and the
// paths they name resolved the way the host finds chapter files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/mif/tree.h"
#include "host/model/model.h"

namespace tw::host {

// Builds a book from a parsed MIF book file: <BookComponent> statements (kind 512) with their
// <FileName>, and <BookFolder>/<BookGroup> statements (kinds 64/2) holding further components,
// named by <FolderName>/<GroupName>. A file component's path (property 20) is the file the
// host opens for it: the named file, else the same base name with ".mif" (see ComponentCandidates),
// each also under other letter case where the exact name is missing (books made on Windows).
std::unique_ptr<Book> ReadMifBook(Model& m, std::shared_ptr<MifSource> src, const std::string& path);

// A MIF device-independent path (`<r\>`, `<v\>`, `<h\>`, `<c\>`, `<u\>`, as decoded to
// "<r>", "<v>", ...) in native form; other text is returned with backslashes turned into '/'.
std::string MifPathToNative(const std::string& mifPath);

// The files to try, in order, for a component path named in the book at `bookPath`: the path
// itself (relative ones beside the book), then the same base name with ".mif" beside the book.
std::vector<std::string> ComponentCandidates(const std::string& bookPath, const std::string& componentPath);

} // namespace tw::host
