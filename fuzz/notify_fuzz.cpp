// notify_fuzz.cpp - the plug-in's notification entry with arbitrary notification numbers,
// values and message texts, loaded through its entry point into the stand-in host with a
// small document and book open. Texts that name commands run them; questions and lists are
// cancelled, output documents closed again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/model/builder.h"
#include "host/com/session.h"

using namespace tw::host;

namespace {

struct World {
    MemoryStore store;
    Session session{MemoryMode::TaskMemory};
    ObjectId doc = 0, book = 0;

    World()
    {
        session.setStore(&store);
        std::string error;
        if (!session.load(error)) {
            fprintf(stderr, "notify_fuzz: %s\n", error.c_str());
            std::abort();
        }
        DocBuilder d(session.model(), "/fuzz/ch1.fm");
        d.format("Body").format("Heading1").format("Unused");
        d.paragraph("Heading1", "Title")
            .paragraph("Body", "Text")
            .table({{"Source Tag", "Destination Tag"}, {"Body", "Heading1"}}, 1, "Body");
        store.put("/fuzz/ch1.fm", *d.build());
        BookBuilder b(session.model(), "/fuzz/book.book");
        b.file("/fuzz/ch1.fm").file("/fuzz/missing.fm");
        book = session.add(*b.build());
        doc = session.open("/fuzz/ch1.fm");
        session.activate(doc);
    }
};

uint32_t Word(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static World* world = new World; // loaded once: the plug-in is never unloaded while fuzzing
    if (size < 9)
        return 0;
    // Byte 0 picks the notification: even bytes send message 13 (what clients send), odd
    // ones the number in bytes 1-4. Bytes 5-8 are the value; the rest is the text.
    int32_t notification = (data[0] & 1) ? static_cast<int32_t>(Word(data + 1)) : NOTIFY_MESSAGE;
    int32_t value = static_cast<int32_t>(Word(data + 5));
    std::string text(reinterpret_cast<const char*>(data + 9), size - 9);
    text = text.substr(0, text.find('\0'));
    ObjectId target = (data[0] & 2) ? world->book : world->doc;
    Session& s = world->session;
    s.activate(0);
    s.activate(world->doc);
    if (data[0] & 4)
        s.activate(world->book);
    s.notify(notification, target, text, value);
    for (ObjectId out : s.outputDocuments())
        s.host().closeFile(out, true);
    return 0;
}
