/* connect.cpp - connecting to the host (the work of the entry point) and the client
 * description from the version resource. */
#include "bridge/connect.h"

#include <stdio.h>

#include "bridge/com.h"
#include "bridge/connection.h"
#include "bridge/records.h"
#include "bridge/sink.h"
#include "bridge/transport.h"
#include "platform/win32.h"
#include "support/encoding.h"

namespace {

enum { MODULE_PATH_SIZE = 260, VERSION_INFO_SIZE = 4096, VERSION_QUERY_SIZE = 512 };

/* Client description keys, by the property number each is registered under. */
struct DescriptionKey {
    int32_t property;
    const char* key;
};
const DescriptionKey DescriptionKeys[] = {
    {2, "ClientName"},     {3, "ClientType"},   {4, "FileDescription"}, {5, "ClientProducts"},  {6, "ClientFacet"},
    {7, "ClientFormatId"}, {8, "ClientVendor"}, {9, "ClientSuffix"},    {10, "ClientInFormat"}, {11, "ClientOutFormat"},
};

TwComObject* AskFor(TwComObject* host, const TwGuid* iid)
{
    void* out = NULL;
    if (ComQueryInterface(host, iid, &out) < 0)
        return NULL;
    return (TwComObject*)out;
}

} /* namespace */

void BuildClientDescription(void* module, PropertyList* list)
{
    char path[MODULE_PATH_SIZE];
    DWORD length = GetModuleFileNameA((HMODULE)module, path, sizeof path);
    /* A path cut short at the buffer's size names some other file: no description. */
    if (length == 0 || length >= sizeof path)
        return;
    char info[VERSION_INFO_SIZE];
    if (!GetFileVersionInfoA(path, 0, sizeof info, info))
        return;
    for (const DescriptionKey& entry : DescriptionKeys) {
        char query[VERSION_QUERY_SIZE];
        snprintf(query, sizeof query, "%s%s", "\\StringFileInfo\\040904b0\\", entry.key);
        void* value = NULL;
        UINT valueLength = 0;
        if (VerQueryValueA(info, query, &value, &valueLength) && value)
            PropertyListSetString(list, entry.property, (const char*)value);
    }
}

int32_t ConnectClient(void* module, TwComObject* host, TwComObject* retained, PropertyList* description)
{
    Connection.module = module;
    if (!host)
        return -1;

    for (int i = 0; i < HOST_INTERFACE_COUNT; i++)
        Connection.interfaces[i] = AskFor(host, HostInterfaceIds[i]);
    if (!ConnectionHostApi())
        return -1;
    for (int i = 0; i < CONNECTION_INTERFACE_COUNT; i++)
        Connection.connections[i] = AskFor(host, ConnectionInterfaceIds[i]);

    Connection.sharedMemory = 0;
    if (TwComObject* first = Connection.connections[0])
        if (HostConnectionSlot1(first)(first, 1) == TW_S_OK)
            Connection.sharedMemory = 1;

    FrameMakerNotificationsC* sink = SinkCreate();
    if (!sink) {
        /* Nothing to register without a sink: let go of the host again. */
        ConnectionReleaseInterfaces();
        return -1;
    }
    Connection.sink = sink;

    PropertyList local = {0, NULL};
    PropertyList* used = description;
    if (!description && module) {
        BuildClientDescription(module, &local);
        used = &local;
    }
    RegisterClient(SinkPrimary(sink), used);

    if (TwComObject* second = Connection.connections[1])
        HostConnectionSlot2(second)(second, module);

    FreePropertyList(&local);

    StartTextEncodings();

    Connection.retained = retained;
    if (retained)
        ComAddRef(retained);

    /* From here on only the host's own references keep the sink (and the connection) alive. */
    sink->Release();

    return ConnectionHostApi() ? 0 : -1;
}
