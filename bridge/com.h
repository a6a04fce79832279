/* com.h - calling the IUnknown methods and numbered slots of a host object through its
 * table of function pointers. */
#ifndef TAGWRIGHT_BRIDGE_COM_H
#define TAGWRIGHT_BRIDGE_COM_H

#include "bridge/boundary.h"

/* The function in slot of object's table, as type Fn. */
template <typename Fn> static inline Fn ComSlot(const TwComObject* object, int slot)
{
    return reinterpret_cast<Fn>(object->vtbl[slot]);
}

static inline TwResult ComQueryInterface(TwComObject* object, const TwGuid* iid, void** out)
{
    return ComSlot<TwQueryInterfaceFn>(object, TW_SLOT_QUERY_INTERFACE)(object, iid, out);
}

static inline uint32_t ComAddRef(TwComObject* object) { return ComSlot<TwAddRefFn>(object, TW_SLOT_ADDREF)(object); }

/* Releases the object if there is one and clears the caller's pointer. */
static inline void ComReleaseAndClear(TwComObject** object)
{
    TwComObject* held = *object;
    *object = NULL;
    if (held)
        ComSlot<TwReleaseFn>(held, TW_SLOT_RELEASE)(held);
}

#endif
