// compare_command.h - `tagwright compare PATH TEMPLATE`: a document's catalogue against the
// template's (compare.h), or each chapter of a book against it (book_compare.h).
#pragma once

#include <ostream>

#include "cli/request.h"

namespace tw::cli {

// Opens both files and compares: 0 when the catalogues agree (every chapter's, for a book), 4
// when any differs, 2 when a file or chapter cannot be read, 1 when the template is a book.
int RunCompare(const Request& req, std::ostream& out, std::ostream& err);

} // namespace tw::cli
