// handlers.cpp - recording initialise, notification and command handlers for bridge tests:
// they record what the sink passed; notification 75's split record is read out before it is
// freed.
#include "tests/bridge/handlers.h"

#include "bridge/records.h"

HandlerLog Handlers;

static void RecordInitialize(int32_t initType) { Handlers.events.push_back("Initialize " + std::to_string(initType)); }

static int32_t RecordNotification(int32_t notification, ObjectId doc, const char* text, int32_t value)
{
    std::string event =
        "Notify " + std::to_string(notification) + " doc=" + std::to_string(doc) + " value=" + std::to_string(value);
    if (notification == 75) {
        const auto* record = reinterpret_cast<const SplitNotification*>(text);
        std::vector<std::string> fields;
        for (const char* field : record->fields)
            if (field)
                fields.push_back(field);
        for (uint32_t i = 0; i < record->further.count; i++)
            fields.push_back(record->further.strings[i]);
        Handlers.splits.push_back(fields);
    } else {
        event += text ? " text=\"" + std::string(text) + "\"" : " text=null";
    }
    Handlers.events.push_back(event);
    return 0;
}

static int32_t RecordCommand(int32_t command)
{
    Handlers.events.push_back("Command " + std::to_string(command));
    if (Handlers.onCommand)
        Handlers.onCommand(command);
    return 0;
}

const SinkHandlers RecordingHandlers = {RecordInitialize, RecordNotification, RecordCommand};
