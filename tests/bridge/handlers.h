// handlers.h - recording command handlers handed to the sink, so bridge tests can see what
// reached the command layer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bridge/sink.h"

struct HandlerLog {
    std::vector<std::string> events;              // "Initialize 1", "Command 7", "Notify 13 doc=5 text=\"x\" value=0"
    std::vector<std::vector<std::string>> splits; // fields of each notification 75, in order
    std::function<void(int32_t)> onCommand;       // runs inside the command handler when set
    void Clear()
    {
        events.clear();
        splits.clear();
        onCommand = nullptr;
    }
};

extern HandlerLog Handlers;

// Handlers that record into Handlers; the bridge fixture gives them to the sink.
extern const SinkHandlers RecordingHandlers;
