/* connection.h - the plug-in's one connection to its host: the interfaces obtained at entry,
 * the memory mode, the sink, and the shutdown that ends it all. Connecting is connect.h's. */
#ifndef TAGWRIGHT_BRIDGE_CONNECTION_H
#define TAGWRIGHT_BRIDGE_CONNECTION_H

#include "bridge/boundary.h"

class FrameMakerNotificationsC;

enum {
    HOST_INTERFACE_COUNT = 12, /* asked for at entry, in this order, the host API third */
    HOST_API_INDEX = 2,
    CONNECTION_INTERFACE_COUNT = 3
};

typedef struct HostConnection {
    void* module;                                  /* the library's handle, as the host passed it */
    TwComObject* interfaces[HOST_INTERFACE_COUNT]; /* null where refused; [HOST_API_INDEX] is the host API */
    TwComObject* connections[CONNECTION_INTERFACE_COUNT];
    int32_t sharedMemory; /* 1: host buffers are left to the host */
    FrameMakerNotificationsC* sink;
    TwComObject* retained; /* kept referenced while connected */
} HostConnection;

extern HostConnection Connection;

/* The interface identifiers asked for at entry, in order. */
extern const TwGuid* const HostInterfaceIds[HOST_INTERFACE_COUNT];
extern const TwGuid* const ConnectionInterfaceIds[CONNECTION_INTERFACE_COUNT];

/* The host API interface, or null when not connected. */
HostApi* ConnectionHostApi(void);

/* Releases and clears every interface and the retained object. */
void ConnectionReleaseInterfaces(void);

/* Ends the connection when the sink is destroyed: forgets the sink if it is the stored one,
 * then releases and clears every interface and the retained object. */
void ConnectionShutdown(FrameMakerNotificationsC* sink);

#endif
