// name_list.cpp - quoting a list of names.

#include "cli/name_list.h"

namespace tw::cli {

std::string QuotedNames(const std::vector<std::string>& names)
{
    std::string line;
    for (const std::string& name : names) {
        line += line.empty() ? "\"" : ", \"";
        for (char c : name)
            line += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
        line += '"';
    }
    return line;
}

} // namespace tw::cli
