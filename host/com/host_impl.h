// host_impl.h - the inside of the host API object, shared by its rooms: the COM parts, the
// host's private state (Host::Impl) and the installer of the slot table. Clients never see it.
#pragma once

#include <unicode/ucnv.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "bridge/boundary.h"
#include "host/com/host.h"

namespace tw::host {

// One COM interface of the host: its vtable, the host behind it and its reference count.
struct ComPart {
    void* const* vtbl;
    Host* host;
    int32_t refs;
};

// The host behind any of its interfaces.
inline Host& HostOf(void* self) { return *static_cast<ComPart*>(self)->host; }

struct Host::Impl {
    explicit Impl(Host& h);
    ~Impl();

    Host& host;
    std::array<void*, HOST_SLOT_COUNT> apiVtbl{};
    std::array<void*, TW_UNKNOWN_SLOT_COUNT> unknownVtbl{};
    std::array<void*, HOST_CONNECTION_SLOT_COUNT> conn1Vtbl{}, conn2Vtbl{}, conn3Vtbl{};
    ComPart api{};
    std::array<ComPart, 11> extras{};
    std::array<ComPart, 3> connections{};

    // Buffers handed out in shared mode: those of the latest call and of the one before,
    // so a client may still pass a buffer it just received back into the next call.
    std::vector<void*> arena, previousArena;
    std::map<int32_t, std::pair<TwResult, int32_t>> failures;
    std::map<int32_t, int32_t> calls;
    int64_t totalCalls = 0;
    int64_t failAt = 0; // failCall: the total call number that fails, 0 for none
    TwResult failAtCode = TW_S_OK;

    UConverter* converter = nullptr;
    bool converterTried = false;
    ObjectId lastSelectionDoc = 0;

    // ---- host.cpp: call bookkeeping and returned buffers ----
    // Called at the start of every slot: frees what the call before last handed out in
    // shared mode (the client has copied it by now) and applies injected failures.
    bool begin(int32_t slot, TwResult& injected);
    void freeArena();
    // A zeroed buffer for the client: kept in the arena in shared mode, else the client's to free.
    void* alloc(size_t n);
    // A UTF-8 text converted to the client's encoding in a buffer from alloc().
    char* string(const std::string& utf8);

    // ---- user.cpp: the scripted user and what the client showed ----
    void recordStatus(const std::string& text);
    void recordConsole(const std::string& text);
    int32_t alert(const std::string& text, int32_t kind); // the answer
    int32_t choose(ListChoiceRecord record);              // the chosen index, -1 cancelled
    void recordOpen(const std::string& path, ObjectId result, int32_t status, const std::string& error);
    void registerClient(TwComObject* sink, const PropertyList* description);
    void setModule(void* module) { host.module_ = module; }
    void requestNotification(int32_t notification, bool on);
};

// Fills every host API slot the host answers (slots.cpp); the rest stay as they were.
void InstallApiSlots(std::array<void*, HOST_SLOT_COUNT>& vtbl);

} // namespace tw::host
