/* dispatch.h - the front door of the paragraph commands: menus, messages and command routing.
 * The notification sink calls these three handlers; everything else in commands/ hangs off
 * RunCommand. */
#ifndef TAGWRIGHT_COMMANDS_DISPATCH_H
#define TAGWRIGHT_COMMANDS_DISPATCH_H

#include "bridge/boundary.h"

extern ObjectId PendingDocId;
extern ObjectId PendingBookId;

void InitializeCommands(int32_t initType);
int32_t HandleNotification(int32_t notification, ObjectId doc, const char* text, int32_t value);
int32_t RunCommand(int32_t command);

#endif
