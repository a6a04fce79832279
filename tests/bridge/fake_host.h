// fake_host.h - a recording stand-in for the host's side of the boundary, for bridge tests:
// a host object answering interface requests, a host API object with all 165 slots that
// records each call (slot and arguments, rendered as text) and answers as the test scripted.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bridge/boundary.h"

struct FakeCall {
    int slot;
    std::vector<std::string> args;
};

// What the host answers to the next call.
struct FakeAnswer {
    TwResult result = TW_S_OK;
    std::optional<int32_t> status = 0; // nullopt: the host does not write the status
    uint32_t value = 0;                // id, integer, metric, alert answer or chosen index
    TextLoc loc = {0, 0};
    TextRange range = {{0, 0}, {0, 0}};
    // Fills the out record (string, list, property list) with host memory from FakeHost::Alloc.
    std::function<void(void* out)> fill;
};

// A COM object of the fake host: a table of slot functions and a reference count.
struct FakeComObject {
    void* const* vtbl;
    uint32_t refs;
    struct FakeHost* host;
    std::string name;
};

struct FakeHost {
    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    TwComObject* object() { return reinterpret_cast<TwComObject*>(&hostObject); }
    HostApi* api() { return reinterpret_cast<HostApi*>(&apiObject); }

    // Host memory for out records. With shared memory the host keeps (and later frees) it;
    // otherwise the plug-in must release it with CoTaskMemFree.
    void* Alloc(size_t size);
    char* String(const char* text);
    bool sharedMemory = false;

    // Scripted answers, one per call in order; calls beyond the script get the default.
    std::deque<FakeAnswer> answers;
    FakeAnswer Next();

    std::vector<FakeCall> calls;
    std::vector<std::string> events; // interface requests, AddRef/Release, connection calls, "slot N", in order

    // Which interfaces the host object grants (by name: "api", "extra1".."extra11", "conn1".."conn3").
    std::map<std::string, bool> grants;
    TwResult connection1Answer = TW_S_OK; // 0: memory is shared
    // Called when the host API object's last reference goes (e.g. to call back into a sink).
    std::function<void()> onApiReleased;

    // The sink registered with slot 3 and what was registered with it.
    TwComObject* registeredSink = nullptr;
    uint32_t ReleaseSink(); // drops the host's reference; answers the sink's new count
    PropertyList* registeredDescription = nullptr;
    std::vector<std::pair<int32_t, std::string>> registeredEntries;

    FakeComObject hostObject;
    FakeComObject apiObject;
    // Further interfaces, connection interfaces, and "retained" (an object the host keeps for the client).
    std::map<std::string, FakeComObject> extras;
    TwComObject* Extra(const std::string& name) { return reinterpret_cast<TwComObject*>(&extras.at(name)); }

    std::vector<void*> kept; // host memory the host frees itself (shared memory)
};

// The text a slot records for common argument kinds.
std::string Str(const char* text);
std::string Ident(const PropertyIdent* ident);
std::string PropertyListText(const PropertyList* list);
