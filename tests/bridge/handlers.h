// handlers.h - recording stand-ins for the three command handlers the sink calls, so bridge
// tests can see what reached the paragraph commands.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct HandlerLog {
    std::vector<std::string> events;              // "Initialize 1", "Command 7", "Notify 13 doc=5 text=\"x\" value=0"
    std::vector<std::vector<std::string>> splits; // fields of each notification 75, in order
    std::function<void(int32_t)> onCommand;       // runs inside RunCommand when set
    void Clear()
    {
        events.clear();
        splits.clear();
        onCommand = nullptr;
    }
};

extern HandlerLog Handlers;
