/* sink.h - the notification sink: the one object through which the host calls the plug-in.
 * Small C++ classes whose virtual tables are COM interface layouts (slot 0 QueryInterface,
 * then AddRef, Release, then the interface's methods); one reference count for all views. */
#ifndef TAGWRIGHT_BRIDGE_SINK_H
#define TAGWRIGHT_BRIDGE_SINK_H

#include "bridge/boundary.h"

/* Minimal reference-counted COM object. Virtual slots: QueryInterface, AddRef, Release,
 * FindInterface, MayDestroy, destructor. Created with malloc and placement new; the memory is
 * released with free when the last reference goes. */
class ComUltraliteC {
public:
    ComUltraliteC() : refCount(1) { }
    virtual TwResult TW_STDCALL QueryInterface(const TwGuid* iid, void** out);
    virtual uint32_t TW_STDCALL AddRef();
    virtual uint32_t TW_STDCALL Release();
    /* Stores the view for iid in *out and takes a reference on it; leaves *out alone for
     * identifiers the object does not answer. */
    virtual void FindInterface(const TwGuid* iid, void** out);
    virtual bool MayDestroy();
    virtual ~ComUltraliteC();

    static void operator delete(void* block);

    uint32_t refCount;
};

/* The host's callback interfaces, as the host sees them. */
class IUnknownC {
public:
    virtual TwResult TW_STDCALL QueryInterface(const TwGuid* iid, void** out) = 0;
    virtual uint32_t TW_STDCALL AddRef() = 0;
    virtual uint32_t TW_STDCALL Release() = 0;
};

/* Their methods come from the boundary's rows, in slot order, so that a method the host calls
 * through a slot has that slot's signature. */
class IFrameMakerCMSNotifications0 : public IUnknownC {
public:
#define TW_CMS_METHOD(id, number, name, ...) virtual TwResult TW_STDCALL CMS##name(__VA_ARGS__) = 0;
    TW_CMS_SLOTS(TW_CMS_METHOD)
#undef TW_CMS_METHOD
};

class IFrameMakerNotifications0 : public IUnknownC {
public:
#define TW_NOTIFY_METHOD(id, number, name, ...) virtual TwResult TW_STDCALL name(__VA_ARGS__) = 0;
    TW_NOTIFY_SLOTS(TW_NOTIFY_METHOD)
#undef TW_NOTIFY_METHOD
};

/* The object layout: primary table, count, CMS table, notification table. The IUnknown
 * methods of both interfaces reach the primary ones with the pointer adjusted. */
class FmApiInterfacesC : public ComUltraliteC, public IFrameMakerCMSNotifications0, public IFrameMakerNotifications0 {
public:
    TwResult TW_STDCALL QueryInterface(const TwGuid* iid, void** out) override;
    uint32_t TW_STDCALL AddRef() override;
    uint32_t TW_STDCALL Release() override;
};

class FrameMakerNotificationsC : public FmApiInterfacesC {
public:
    void FindInterface(const TwGuid* iid, void** out) override;
    ~FrameMakerNotificationsC() override;

    TwResult TW_STDCALL CMSCommand(int32_t a, int32_t b, int32_t c, int32_t d, CmsResult* out) override;
    TwResult TW_STDCALL Initialize(int32_t initType) override;
    TwResult TW_STDCALL Quit() override;
    TwResult TW_STDCALL Command(int32_t command) override;
    TwResult TW_STDCALL Message(int32_t a, int32_t b, int32_t c) override;
    TwResult TW_STDCALL DialogEvent(int32_t a, int32_t b, int32_t c) override;
    TwResult TW_STDCALL Notify(int32_t notification, ObjectId doc, const char* text, int32_t value) override;
    TwResult TW_STDCALL GetResource(int32_t type, const char* name, ResourceBuffer* out) override;
};

/* What the sink hands host events to: the client's command layer, as its entry gives it. */
typedef struct SinkHandlers {
    void (*initialize)(int32_t initType);
    int32_t (*notify)(int32_t notification, ObjectId doc, const char* text, int32_t value);
    int32_t (*command)(int32_t command);
} SinkHandlers;

/* Process-wide: the handlers every sink calls (the record must outlive the connection). With
 * none, or a null member, the event is answered without being handed on. */
void SinkSetHandlers(const SinkHandlers* handlers);

/* A new sink with a reference count of 1, or null when memory is exhausted. */
FrameMakerNotificationsC* SinkCreate(void);

/* The sink's primary IUnknown, as handed to the host. */
TwComObject* SinkPrimary(FrameMakerNotificationsC* sink);

#endif
