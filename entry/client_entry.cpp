/* client_entry.cpp - F_ApiClientInit, the library's one export: wires the plug-in together
 * (the sink hands host events to the command layer, the encoding layer asks the host where
 * it is installed) and connects to the host. */
#include "bridge/connection.h"
#include "bridge/host_ops.h"
#include "bridge/sink.h"
#include "commands/dispatch.h"
#include "platform/export.h"
#include "support/encoding.h"

static const SinkHandlers kCommandHandlers = {InitializeCommands, HandleNotification, RunCommand};

extern "C" TW_EXPORT int32_t TW_STDCALL F_ApiClientInit(void* module, TwComObject* host, TwComObject* retained,
                                                        PropertyList* description)
{
    SinkSetHandlers(&kCommandHandlers);
    SetHostDirectorySource(HostInstallDirectory);
    return ConnectClient(module, host, retained, description);
}
