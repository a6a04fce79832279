// files_and_connection_test.cpp - opening, saving and closing files through the store,
// untitled copies, both memory modes, the host's interfaces and reference counts, and
// injected failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "bridge/boundary.h"
#include "client_view.h"
#include "host/model/builder.h"

namespace tw::host {
namespace {

using testing::ClientView;

struct Files : ::testing::TestWithParam<MemoryMode> {
    Host host{GetParam()};
    ClientView c{host};
    MemoryStore store;

    void SetUp() override
    {
        host.setStore(&store);
        DocBuilder b(host.model(), "/books/ch1.fm");
        b.format("Body").paragraph("Body", "chapter one");
        store.put("/books/ch1.fm", *b.build());
    }
    // Opens as the client does; `param29` asks for an untitled copy.
    ObjectId open(const char* path, int32_t* status, bool param29 = false)
    {
        PropertyEntry e{};
        e.ident.number = 29;
        e.value.kind = VALUE_INT;
        e.value.u.i = 1;
        PropertyList params{param29 ? 1u : 0u, param29 ? &e : nullptr};
        PropertyList returned{};
        ObjectId doc = 0;
        *status = -1;
        HostSlotOpenDocument(c.api())(c.api(), path, &params, status, &doc, &returned);
        EXPECT_EQ(returned.count, 2u);
        if (returned.count) {
            EXPECT_STREQ(returned.entries[0].value.u.s, path);
            c.release(returned.entries[0].value.u.s);
            c.release(returned.entries);
        }
        return doc;
    }
    int32_t save(ObjectId doc, const char* path)
    {
        PropertyList params{}, returned{};
        int32_t st = -1;
        ObjectId saved = 0;
        HostSlotSaveDocument(c.api())(c.api(), doc, path, &params, &st, &saved, &returned);
        if (returned.count) {
            c.release(returned.entries[0].value.u.s);
            c.release(returned.entries);
        }
        return st;
    }
    int32_t close(ObjectId doc, int32_t flags)
    {
        int32_t st = -1;
        HostSlotCloseDocument(c.api())(c.api(), doc, flags, &st);
        return st;
    }
};

TEST_P(Files, OpeningTwiceGivesTheOpenDocumentAndMissingFilesFail)
{
    int32_t st = -1;
    ObjectId doc = open("/books/ch1.fm", &st);
    ASSERT_EQ(st, 0);
    EXPECT_EQ(open("\\books\\ch1.fm", &st), doc); // Windows separators name the same file
    EXPECT_EQ(c.getString(doc, doc, PROP_NAME), "/books/ch1.fm");
    EXPECT_EQ(open("/books/missing.fm", &st), 0u);
    EXPECT_NE(st, 0);
    EXPECT_EQ(host.opens().back().status, st);
    EXPECT_EQ(host.model().openDocs.size(), 1u);
}

TEST_P(Files, Parameter29GivesAnUntitledCopyThatLeavesTheFileAlone)
{
    int32_t st = -1;
    ObjectId copy = open("/books/ch1.fm", &st, true);
    ASSERT_EQ(st, 0);
    EXPECT_EQ(c.getString(copy, copy, PROP_NAME), "");
    ObjectId second = open("/books/ch1.fm", &st, true);
    EXPECT_NE(second, copy);
    Document& d = *host.model().document(copy);
    InsertText(host.model(), d, {d.firstParagraphOfFlow(d.mainFlow), 0}, "changed ");
    EXPECT_EQ(store.saves("/books/ch1.fm"), 0);
    EXPECT_EQ(store.document("/books/ch1.fm")->paragraphs.begin()->second.text, "chapter one");
}

TEST_P(Files, SaveWritesThroughTheStoreAndCloseRefusesUnsavedChangesWithoutFlag1)
{
    int32_t st = -1;
    ObjectId doc = open("/books/ch1.fm", &st);
    Document& d = *host.model().document(doc);
    InsertText(host.model(), d, {d.firstParagraphOfFlow(d.mainFlow), 0}, "New ");
    EXPECT_NE(close(doc, 0), 0);
    EXPECT_EQ(save(doc, "/books/ch1.fm"), 0);
    EXPECT_EQ(store.saves("/books/ch1.fm"), 1);
    EXPECT_EQ(store.document("/books/ch1.fm")->paragraphs.begin()->second.text, "New chapter one");
    EXPECT_EQ(close(doc, 1), 0);
    EXPECT_EQ(host.model().document(doc), nullptr);
    EXPECT_EQ(c.getId(0, 0, PROP_ACTIVE_DOC), 0u);
    EXPECT_NE(close(doc, 1), 0);
    EXPECT_NE(save(doc, "/books/ch1.fm"), 0);
    // Both saves are recorded with their outcome, so a driver need not read the console.
    ASSERT_EQ(host.saves().size(), 2u);
    EXPECT_EQ(host.saves()[0].status, 0);
    EXPECT_EQ(host.saves()[0].path, "/books/ch1.fm");
    EXPECT_EQ(host.saves()[1].status, kBadDocId);
}

TEST_P(Files, BooksOpenFromTheStoreToo)
{
    BookBuilder bb(host.model());
    store.put("/books/b.book", *bb.file("/books/ch1.fm").build());
    int32_t st = -1;
    ObjectId book = open("/books/b.book", &st);
    ASSERT_EQ(st, 0);
    EXPECT_EQ(c.getId(0, 0, PROP_ACTIVE_BOOK), book);
    EXPECT_EQ(c.getString(0, book, PROP_NAME), "/books/b.book");
    EXPECT_EQ(close(book, 1), 0);
    EXPECT_EQ(c.getId(0, 0, PROP_ACTIVE_BOOK), 0u);
}

// Slot 4, which the host does not offer, reached the way the boundary reaches every slot.
typedef TwResult(TW_STDCALL* UnofferedFn)(HostApi*);
TW_SLOT_ACCESS(UnofferedFn, 4, UnofferedSlot, InstallUnoffered)

TEST_P(Files, ConnectionInterfacesAndReferenceCounts)
{
    TwComObject* hostObj = host.hostObject();
    TwQueryInterfaceFn qi = TwSlotQueryInterface(hostObj);
    std::vector<TwComObject*> held;
    for (const TwGuid* iid : {&IID_HostApi, &IID_HostExtra1, &IID_HostExtra6, &IID_HostExtra11, &IID_HostConnection1,
                              &IID_HostConnection2, &IID_HostConnection3}) {
        void* out = nullptr;
        ASSERT_EQ(qi(hostObj, iid, &out), TW_S_OK);
        held.push_back(static_cast<TwComObject*>(out));
    }
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(qi(hostObj, &IID_FrameMakerNotifications0, &none), TW_E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(host.outstandingReferences(), 7);

    TwComObject* conn1 = held[4];
    TwResult shared = HostConnectionSlot1(conn1)(conn1, 1);
    EXPECT_EQ(shared == TW_S_OK, GetParam() == MemoryMode::Shared);
    TwComObject* conn2 = held[5];
    int module = 0;
    HostConnectionSlot2(conn2)(conn2, &module);
    EXPECT_EQ(host.connectedModule(), &module);

    // A slot the host does not offer answers "not implemented".
    EXPECT_EQ(UnofferedSlot(c.api())(c.api()), TW_E_NOTIMPL);

    for (TwComObject* o : held)
        TwSlotRelease(o)(o);
    EXPECT_EQ(host.outstandingReferences(), 0);
}

TEST_P(Files, InjectedFailuresReachTheClientAndThenStop)
{
    host.failSlot(HOST_SLOT_GET_ID_PROPERTY, TW_E_RETRYLATER, 1);
    PropertyIdent id{PROP_ACTIVE_DOC, nullptr};
    int32_t st = -1;
    ObjectId v = 0;
    EXPECT_EQ(HostSlotGetIdProperty(c.api())(c.api(), 0, 0, &id, &st, &v), TW_E_RETRYLATER);
    EXPECT_EQ(st, -1); // nothing was written
    EXPECT_EQ(HostSlotGetIdProperty(c.api())(c.api(), 0, 0, &id, &st, &v), TW_S_OK);
    EXPECT_EQ(st, 0);
    EXPECT_EQ(host.callCount(HOST_SLOT_GET_ID_PROPERTY), 2);
}

TEST_P(Files, ReturnedStringsBelongToTheRightSide)
{
    // Task memory: the client frees (ClientView::release); shared: the host frees on its next
    // call or at its end. Either way the sanitizer build reports no leak and no double free.
    int32_t st = -1;
    ObjectId doc = open("/books/ch1.fm", &st);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(c.getString(doc, doc, PROP_NAME), "/books/ch1.fm");
    char* kept = nullptr;
    PropertyIdent name{PROP_NAME, nullptr};
    HostSlotGetStringProperty(c.api())(c.api(), doc, doc, &name, &st, &kept);
    std::string copy = kept;
    c.release(kept);
    EXPECT_EQ(copy, "/books/ch1.fm");
}

INSTANTIATE_TEST_SUITE_P(BothMemoryModes, Files, ::testing::Values(MemoryMode::Shared, MemoryMode::TaskMemory),
                         [](const auto& info) { return info.param == MemoryMode::Shared ? "Shared" : "TaskMemory"; });

} // namespace
} // namespace tw::host
