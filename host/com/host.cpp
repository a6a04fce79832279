// host.cpp - the host API object itself: its COM interfaces (the API, the further and the
// connection interfaces), their reference counts, the slot table, the call bookkeeping that
// injects failures and the buffers returned to the client.
#include "host/com/host.h"

#include <unicode/ucnv.h>

#include <cstdlib>
#include <cstring>

#include "bridge/boundary.h"
#include "host/com/host_impl.h"
#include "host/files/install_layout.h"

namespace tw::host {

std::string DefaultInstallDir()
{
#ifdef TAGWRIGHT_INSTALLED_HOST_DIR
    if (std::string installed = InstalledPath(TAGWRIGHT_INSTALLED_HOST_DIR); !installed.empty())
        return installed;
#endif
#ifdef TAGWRIGHT_DEFAULT_HOST_DIR
    return TAGWRIGHT_DEFAULT_HOST_DIR;
#else
    return ".";
#endif
}

// ---- COM plumbing ---------------------------------------------------------------------------

static TwResult TW_STDCALL QueryInterfaceImpl(TwComObject* self, const TwGuid* iid, void** out)
{
    Host& h = HostOf(self);
    auto& im = h.impl();
    if (!out)
        return TW_E_FAIL;
    *out = nullptr;
    static const TwGuid* const extraIds[11] = {&IID_HostExtra1, &IID_HostExtra2,  &IID_HostExtra3, &IID_HostExtra4,
                                               &IID_HostExtra5, &IID_HostExtra6,  &IID_HostExtra7, &IID_HostExtra8,
                                               &IID_HostExtra9, &IID_HostExtra10, &IID_HostExtra11};
    static const TwGuid* const connIds[3] = {&IID_HostConnection1, &IID_HostConnection2, &IID_HostConnection3};
    ComPart* found = nullptr;
    if (TwGuidEqual(iid, &IID_HostApi) || TwGuidEqual(iid, &IID_IUnknown))
        found = &im.api;
    for (int i = 0; i < 11 && !found; i++)
        if (TwGuidEqual(iid, extraIds[i]))
            found = &im.extras[static_cast<size_t>(i)];
    for (int i = 0; i < 3 && !found; i++)
        if (TwGuidEqual(iid, connIds[i]))
            found = &im.connections[static_cast<size_t>(i)];
    if (!found)
        return TW_E_NOINTERFACE;
    found->refs++;
    *out = found;
    return TW_S_OK;
}

static uint32_t TW_STDCALL AddRefImpl(TwComObject* self)
{
    return static_cast<uint32_t>(++reinterpret_cast<ComPart*>(self)->refs);
}

static uint32_t TW_STDCALL ReleaseImpl(TwComObject* self)
{
    auto* part = reinterpret_cast<ComPart*>(self);
    if (part->refs > 0)
        part->refs--;
    return static_cast<uint32_t>(part->refs);
}

static TwResult TW_STDCALL Connection1(TwComObject* self, int32_t value)
{
    Host& h = HostOf(self);
    // Value 1 asks whether host and client share memory.
    return (value == 1 && h.memoryMode() == MemoryMode::Shared) ? TW_S_OK : TW_E_FAIL;
}

static TwResult TW_STDCALL Connection2(TwComObject* self, void* module)
{
    HostOf(self).impl().setModule(module);
    return TW_S_OK;
}

static TwResult TW_STDCALL Connection3(TwComObject*, int32_t) { return TW_S_OK; }

static TwResult TW_STDCALL NotImplemented(HostApi*) { return TW_E_NOTIMPL; }
// ---- Host::Impl -------------------------------------------------------------------------------

// Every interface of the host starts with the same IUnknown three.
static void InstallUnknown(void** table)
{
    TwInstallQueryInterface(table, &QueryInterfaceImpl);
    TwInstallAddRef(table, &AddRefImpl);
    TwInstallRelease(table, &ReleaseImpl);
}

Host::Impl::Impl(Host& h) : host(h)
{
    for (auto& slot : apiVtbl)
        slot = reinterpret_cast<void*>(&NotImplemented);
    InstallUnknown(apiVtbl.data());
    InstallApiSlots(apiVtbl);

    InstallUnknown(unknownVtbl.data());
    for (auto* table : {&conn1Vtbl, &conn2Vtbl, &conn3Vtbl})
        InstallUnknown(table->data());
    HostConnectionInstall1(conn1Vtbl.data(), &Connection1);
    HostConnectionInstall2(conn2Vtbl.data(), &Connection2);
    HostConnectionInstall3(conn3Vtbl.data(), &Connection3);
    api = ComPart{apiVtbl.data(), &host, 0};
    for (auto& e : extras)
        e = ComPart{unknownVtbl.data(), &host, 0};
    connections[0] = ComPart{conn1Vtbl.data(), &host, 0};
    connections[1] = ComPart{conn2Vtbl.data(), &host, 0};
    connections[2] = ComPart{conn3Vtbl.data(), &host, 0};
}

Host::Impl::~Impl()
{
    freeArena();
    if (converter)
        ucnv_close(converter);
}

bool Host::Impl::begin(int32_t slot, TwResult& injected)
{
    calls[slot]++;
    totalCalls++;
    for (void* p : previousArena)
        std::free(p);
    previousArena = std::move(arena);
    arena.clear();
    if (failAt != 0 && totalCalls == failAt) {
        failAt = 0;
        injected = failAtCode;
        return false;
    }
    auto it = failures.find(slot);
    if (it != failures.end() && it->second.second > 0) {
        injected = it->second.first;
        if (--it->second.second == 0)
            failures.erase(it);
        return false;
    }
    return true;
}

void Host::Impl::freeArena()
{
    for (auto* list : {&arena, &previousArena}) {
        for (void* p : *list)
            std::free(p);
        list->clear();
    }
}

void* Host::Impl::alloc(size_t n)
{
    void* p = std::calloc(1, n == 0 ? 1 : n);
    if (p && host.mode_ == MemoryMode::Shared)
        arena.push_back(p);
    return p;
}

char* Host::Impl::string(const std::string& utf8)
{
    std::string bytes = host.toClient(utf8);
    char* s = static_cast<char*>(alloc(bytes.size() + 1));
    if (s)
        std::memcpy(s, bytes.c_str(), bytes.size() + 1);
    return s;
}

// ---- Host ---------------------------------------------------------------------------------------

Host::Host(MemoryMode mode) : mode_(mode), impl_(std::make_unique<Impl>(*this))
{
    model_.installDir = DefaultInstallDir();
}

Host::~Host() { releaseSink(); }

TwComObject* Host::hostObject() { return reinterpret_cast<TwComObject*>(&impl_->api); }

void Host::releaseSink()
{
    if (TwComObject* s = sink_) {
        sink_ = nullptr;
        TwSlotRelease(s)(s);
    }
}

int32_t Host::outstandingReferences() const
{
    int32_t total = impl_->api.refs;
    for (const auto& e : impl_->extras)
        total += e.refs;
    for (const auto& c : impl_->connections)
        total += c.refs;
    return total;
}

void Host::failSlot(int32_t slot, TwResult code, int32_t times) { impl_->failures[slot] = {code, times}; }

void Host::failCall(int64_t nth, TwResult code)
{
    impl_->failAt = nth > 0 ? impl_->totalCalls + nth : 0;
    impl_->failAtCode = code;
}

int64_t Host::totalCalls() const { return impl_->totalCalls; }

int32_t Host::callCount(int32_t slot) const
{
    auto it = impl_->calls.find(slot);
    return it == impl_->calls.end() ? 0 : it->second;
}

} // namespace tw::host
