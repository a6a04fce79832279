// subcommands.cpp - mapping tagwright subcommands to the plug-in's commands, named as the
// boundary's command table names them.

#include "cli/subcommands.h"

namespace tw::cli {

std::optional<CommandNumbers> CommandsFor(const Request& r)
{
    const std::string& s = r.subcommand;
    if (s == "usage") {
        if (r.eachFile)
            return CommandNumbers{0, TW_CMD_LIST_USAGE_BOOK_FILES};
        if (r.byTag)
            return CommandNumbers{0, TW_CMD_LIST_USAGE_BOOK_BY_TAG};
        return CommandNumbers{TW_CMD_LIST_USAGE, TW_CMD_LIST_USAGE_BOOK};
    }
    if (s == "delete-unused")
        return CommandNumbers{TW_CMD_DELETE_UNUSED, TW_CMD_DELETE_UNUSED_BOOK};
    if (s == "make-list")
        return CommandNumbers{TW_CMD_CREATE_LIST, TW_CMD_CREATE_LIST_BOOK};
    if (s == "keep-listed")
        return CommandNumbers{TW_CMD_REMOVE_NONLIST, TW_CMD_REMOVE_NONLIST_BOOK};
    if (s == "make-conversion")
        return CommandNumbers{TW_CMD_CREATE_CONVERSION, TW_CMD_CREATE_CONVERSION_BOOK};
    if (s == "convert")
        return CommandNumbers{TW_CMD_CONVERT, TW_CMD_CONVERT_BOOK};
    if (s == "remove-overrides")
        return CommandNumbers{TW_CMD_REMOVE_OVERRIDES, TW_CMD_REMOVE_OVERRIDES_BOOK};
    if (s == "next-override")
        return CommandNumbers{TW_CMD_FIND_NEXT_OVERRIDE, 0};
    if (s == "report")
        return CommandNumbers{r.tag ? TW_CMD_TAG_REPORT_SINGLE : TW_CMD_TAG_REPORT, 0};
    if (s == "stats" || s == "compare")
        return CommandNumbers{0, 0}; // the tool's own: no plug-in command
    if (s == "about")
        return CommandNumbers{TW_CMD_ABOUT, TW_CMD_ABOUT};
    return std::nullopt;
}

std::string CommandLabel(int32_t number)
{
    const TwCommandInfo* info = TwCommandByNumber(number);
    return info ? info->label : std::string();
}

std::optional<int32_t> ChoiceIndex(const std::string& word)
{
    if (word == "empty")
        return 0;
    if (word == "in-use")
        return 1;
    if (word == "all")
        return 2;
    return std::nullopt;
}

} // namespace tw::cli
