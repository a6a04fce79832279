/* overrides.h - removing local formatting overrides from paragraphs, and stepping to the
 * next paragraph that carries one. */
#ifndef TAGWRIGHT_COMMANDS_OVERRIDES_H
#define TAGWRIGHT_COMMANDS_OVERRIDES_H

#include "bridge/boundary.h"

int32_t RemoveOverrides(ObjectId doc);      /* command 7 */
int32_t FindNextOverride(ObjectId doc);     /* command 8 */
int32_t RemoveOverridesBook(ObjectId book); /* command 15 */

/* Applies the catalogue format again to every overridden paragraph of the document's flows,
 * table cells and table titles; a flow paragraph's override flag is cleared when its format
 * could be applied. */
void RemoveOverridesInDocument(ObjectId doc);

#endif
