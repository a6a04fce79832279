/* command_table.cpp - the handler column of the command table, in the table's own order. */
#include "commands/command_table.h"

#include "commands/about.h"
#include "commands/conversion.h"
#include "commands/delete_unused.h"
#include "commands/overrides.h"
#include "commands/report.h"
#include "commands/tables.h"
#include "commands/usage.h"

static const CommandHandler kHandlers[] = {
#define COMMAND_HANDLER(id, number, name, label, message, shortcut, flags) name,
    TW_COMMANDS(COMMAND_HANDLER)
#undef COMMAND_HANDLER
};
static_assert(sizeof kHandlers / sizeof kHandlers[0] == TW_COMMAND_COUNT, "one handler per command");

CommandHandler CommandHandlerFor(int32_t number)
{
    for (uint32_t i = 0; i < TW_COMMAND_COUNT; i++)
        if (TwCommandInfos[i].number == number)
            return kHandlers[i];
    return 0;
}
