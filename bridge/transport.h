/* transport.h - the bridge-internal side of the host call transport: registration, which only
 * the entry uses, and the two return lists that OpenDocument and SaveDocument hand out. */
#ifndef TAGWRIGHT_BRIDGE_TRANSPORT_H
#define TAGWRIGHT_BRIDGE_TRANSPORT_H

#include "bridge/boundary.h"

/* Registers the sink's primary IUnknown and the description with the host; the host's answer
 * is not looked at and leaves HostErrorNumber alone. */
void RegisterClient(TwComObject* sink, PropertyList* description);

/* Owned by the bridge and reused; callers release the contents, never the records. */
extern PropertyList OpenReturnList;
extern PropertyList SaveReturnList;

#endif
