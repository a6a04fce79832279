/* about.h - command 1000: the note that says what the client is and who publishes it. */
#ifndef TAGWRIGHT_COMMANDS_ABOUT_H
#define TAGWRIGHT_COMMANDS_ABOUT_H

#include "bridge/boundary.h"

/* Shows the note about the client; the document is not looked at. */
int32_t TagwrightAbout(ObjectId doc);

#endif
