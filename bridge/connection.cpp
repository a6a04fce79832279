/* connection.cpp - the connection record and the shutdown that releases every host interface
 * when the sink goes away. */
#include "bridge/connection.h"

#include "bridge/com.h"

HostConnection Connection;

const TwGuid* const HostInterfaceIds[HOST_INTERFACE_COUNT] = {
    &IID_HostExtra1, &IID_HostExtra2, &IID_HostApi,    &IID_HostExtra3, &IID_HostExtra4,  &IID_HostExtra5,
    &IID_HostExtra6, &IID_HostExtra7, &IID_HostExtra8, &IID_HostExtra9, &IID_HostExtra10, &IID_HostExtra11,
};

const TwGuid* const ConnectionInterfaceIds[CONNECTION_INTERFACE_COUNT] = {
    &IID_HostConnection1,
    &IID_HostConnection2,
    &IID_HostConnection3,
};

HostApi* ConnectionHostApi(void) { return Connection.interfaces[HOST_API_INDEX]; }

void ConnectionReleaseInterfaces(void)
{
    for (int i = 0; i < HOST_INTERFACE_COUNT; i++)
        ComReleaseAndClear(&Connection.interfaces[i]);
    for (int i = 0; i < CONNECTION_INTERFACE_COUNT; i++)
        ComReleaseAndClear(&Connection.connections[i]);
    ComReleaseAndClear(&Connection.retained);
}

void ConnectionShutdown(FrameMakerNotificationsC* sink)
{
    if (Connection.sink == sink)
        Connection.sink = NULL;
    ConnectionReleaseInterfaces();
}
