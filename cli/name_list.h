// name_list.h - several tag or format names on one line or in one cell: each in double quotes,
// so that names holding blanks or commas stay apart.
#pragma once

#include <string>
#include <vector>

namespace tw::cli {

// "Body", "Legacy Tag": each name quoted (a quote or backslash inside escaped with a
// backslash), separated by ", ".
std::string QuotedNames(const std::vector<std::string>& names);

} // namespace tw::cli
