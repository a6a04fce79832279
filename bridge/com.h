/* com.h - calling the IUnknown methods of a host object through the typed slots of the
 * boundary. */
#ifndef TAGWRIGHT_BRIDGE_COM_H
#define TAGWRIGHT_BRIDGE_COM_H

#include "bridge/boundary.h"

static inline TwResult ComQueryInterface(TwComObject* object, const TwGuid* iid, void** out)
{
    return TwSlotQueryInterface(object)(object, iid, out);
}

static inline uint32_t ComAddRef(TwComObject* object) { return TwSlotAddRef(object)(object); }

/* Releases the object if there is one and clears the caller's pointer. */
static inline void ComReleaseAndClear(TwComObject** object)
{
    TwComObject* held = *object;
    *object = NULL;
    if (held)
        TwSlotRelease(held)(held);
}

#endif
