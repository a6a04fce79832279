// subcommands.h - the subcommands of the tagwright tool and the plug-in command each one runs.
// Per subcommand, which command of the boundary's command table serves a document and which a
// book.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "bridge/boundary.h"
#include "cli/request.h"

namespace tw::cli {

// The plug-in command numbers a subcommand runs on a document and on a book (0: not offered).
struct CommandNumbers {
    int32_t document = 0;
    int32_t book = 0;
};

// Which command numbers serve the request; nullopt for an unknown subcommand.
std::optional<CommandNumbers> CommandsFor(const Request& request);

// The menu label of a plug-in command, from the command table ("" for none).
std::string CommandLabel(int32_t number);

// The list-dialog item index for --choice, or nullopt when the word is not one of
// empty, in-use, all.
std::optional<int32_t> ChoiceIndex(const std::string& word);

} // namespace tw::cli
