/* connect.h - connecting the client to its host, the work of the entry point: the host's
 * interfaces, the memory mode, the sink registered with the client description. */
#ifndef TAGWRIGHT_BRIDGE_CONNECT_H
#define TAGWRIGHT_BRIDGE_CONNECT_H

#include "bridge/boundary.h"

/* Builds the client description from the library's version resource into list (which the
 * caller releases with FreePropertyList); leaves it empty when there is none. */
void BuildClientDescription(void* module, PropertyList* list);

/* Obtains the host's interfaces, creates and registers the sink with the client description
 * (the version resource's when none is given) and starts the text encodings. 0 when
 * connected, -1 when not. The sink's handlers and the encoding layer's host directory are
 * the caller's to set first; the console is the caller's to hand the host once connected. */
int32_t ConnectClient(void* module, TwComObject* host, TwComObject* retained, PropertyList* description);

#endif
