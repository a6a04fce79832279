/* client_entry.cpp - F_ApiClientInit, the library's one export: wires the plug-in together
 * (the sink hands host events to the command layer, the encoding layer asks the host where
 * it is installed, and once connected the console writes go to the host's console) and
 * connects to the host. */
#include "bridge/connect.h"
#include "bridge/host_ops.h"
#include "bridge/sink.h"
#include "commands/dispatch.h"
#include "platform/export.h"
#include "support/console.h"
#include "support/encoding.h"

static const SinkHandlers kCommandHandlers = {InitializeCommands, HandleNotification, RunCommand};

extern "C" TW_EXPORT int32_t TW_STDCALL F_ApiClientInit(void* module, TwComObject* host, TwComObject* retained,
                                                        PropertyList* description)
{
    SinkSetHandlers(&kCommandHandlers);
    SetHostDirectorySource(HostInstallDirectory);
    int32_t result = ConnectClient(module, host, retained, description);
    if (result == 0)
        ConsoleWriteSlot = PrintToConsole;
    return result;
}
