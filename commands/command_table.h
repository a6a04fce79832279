/* command_table.h - the function that runs each command of the boundary's command table
 * (TW_COMMANDS in bridge/boundary.h: number, name, label, message, shortcut, flags). The
 * dispatcher and the menus work from that table; this unit adds the handler column. */
#ifndef TAGWRIGHT_COMMANDS_COMMAND_TABLE_H
#define TAGWRIGHT_COMMANDS_COMMAND_TABLE_H

#include "bridge/boundary.h"

/* A command's handler: given the active document, or the active book for a command with
 * TW_COMMAND_ON_BOOK; returns the command's result. A command whose row says it needs a
 * document is never given 0: the dispatcher stops it first. */
typedef int32_t (*CommandHandler)(ObjectId target);

/* The handler of the command of that number; null when the client has no such command. */
CommandHandler CommandHandlerFor(int32_t number);

#endif
