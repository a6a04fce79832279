// client_view.h - the host API object seen as a client sees it: each slot called through the
// boundary's typed accessor, with the argument order of the boundary, for the host's own tests.
#pragma once

#include <cstdlib>
#include <string>

#include "bridge/boundary.h"
#include "host/com/host.h"

namespace tw::host::testing {

class ClientView {
public:
    explicit ClientView(Host& h) : host_(h), api_(h.hostObject()) { }

    HostApi* api() const { return api_; }

    // Releases what the host handed over when buffers are the client's (task memory).
    void release(void* p) const
    {
        if (host_.memoryMode() == MemoryMode::TaskMemory)
            std::free(p);
    }

    int32_t getInt(ObjectId doc, ObjectId obj, int32_t prop, int32_t* status = nullptr) const
    {
        PropertyIdent id{prop, nullptr};
        int32_t st = -1, v = 0;
        HostSlotGetIntProperty(api_)(api_, doc, obj, &id, &st, &v);
        if (status)
            *status = st;
        return st == 0 ? v : 0;
    }
    int32_t setInt(ObjectId doc, ObjectId obj, int32_t prop, int32_t value) const
    {
        PropertyIdent id{prop, nullptr};
        int32_t st = -1;
        HostSlotSetIntProperty(api_)(api_, doc, obj, &id, value, &st);
        return st;
    }
    ObjectId getId(ObjectId doc, ObjectId obj, int32_t prop, int32_t* status = nullptr) const
    {
        PropertyIdent id{prop, nullptr};
        int32_t st = -1;
        ObjectId v = 0;
        HostSlotGetIdProperty(api_)(api_, doc, obj, &id, &st, &v);
        if (status)
            *status = st;
        return st == 0 ? v : 0;
    }
    int32_t setId(ObjectId doc, ObjectId obj, int32_t prop, ObjectId value) const
    {
        PropertyIdent id{prop, nullptr};
        int32_t st = -1;
        HostSlotSetIdProperty(api_)(api_, doc, obj, &id, value, &st);
        return st;
    }
    // The string in the client's encoding; "<null>" when the call failed.
    std::string getString(ObjectId doc, ObjectId obj, int32_t prop, int32_t* status = nullptr) const
    {
        PropertyIdent id{prop, nullptr};
        int32_t st = -1;
        char* v = nullptr;
        HostSlotGetStringProperty(api_)(api_, doc, obj, &id, &st, &v);
        if (status)
            *status = st;
        std::string out = (st == 0 && v) ? v : "<null>";
        release(v);
        return out;
    }
    int32_t setString(ObjectId doc, ObjectId obj, int32_t prop, const std::string& value) const
    {
        PropertyIdent id{prop, nullptr};
        int32_t st = -1;
        HostSlotSetStringProperty(api_)(api_, doc, obj, &id, value.c_str(), &st);
        return st;
    }

private:
    Host& host_;
    HostApi* api_;
};

} // namespace tw::host::testing
