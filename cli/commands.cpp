// commands.cpp - mapping tagwright subcommands to the plug-in's command numbers.

#include "cli/commands.h"

namespace tw::cli {

std::optional<CommandNumbers> CommandsFor(const Request& r)
{
    const std::string& s = r.subcommand;
    if (s == "usage") {
        if (r.eachFile)
            return CommandNumbers{0, 18};
        if (r.byTag)
            return CommandNumbers{0, 19};
        return CommandNumbers{1, 9};
    }
    if (s == "delete-unused")
        return CommandNumbers{2, 10};
    if (s == "make-list")
        return CommandNumbers{3, 11};
    if (s == "keep-listed")
        return CommandNumbers{4, 12};
    if (s == "make-conversion")
        return CommandNumbers{5, 13};
    if (s == "convert")
        return CommandNumbers{6, 14};
    if (s == "remove-overrides")
        return CommandNumbers{7, 15};
    if (s == "next-override")
        return CommandNumbers{8, 0};
    if (s == "report")
        return CommandNumbers{r.tag ? 17 : 16, 0};
    if (s == "stats" || s == "compare")
        return CommandNumbers{0, 0}; // the tool's own: no plug-in command
    if (s == "about")
        return CommandNumbers{1000, 1000};
    return std::nullopt;
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
