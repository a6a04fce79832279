// doc_cache_test.cpp - documents closed unchanged come back from memory when their file is
// opened again unchanged, exactly as a fresh read gives them; a file changed on disk, a changed
// or saved document, a full budget and a cache turned off all mean reading the file again.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "host/com/host.h"
#include "host/files/mif_store.h"
#include "host/com/session.h"
#include "mif_test_util.h"

using namespace tw::host;
using namespace mif_test;

namespace {

// The MIF store, counting what it read from disk.
class CountingStore : public MifStore {
public:
    LoadResult load(Model& m, const std::string& path) override
    {
        ++loads[path];
        return MifStore::load(m, path);
    }
    std::map<std::string, int> loads;
};

// Everything a reader of the document sees: paragraphs, formats with their properties, and
// the bytes it saves as.
void ExpectSameDocument(const Document& got, const Document& fresh)
{
    std::vector<std::string> a, b;
    for (ObjectId f : got.catalogue)
        a.push_back(got.format(f)->name);
    for (ObjectId f : fresh.catalogue)
        b.push_back(fresh.format(f)->name);
    EXPECT_EQ(a, b);
    for (ObjectId f : got.catalogue) {
        const PgfFormat* mine = got.format(f);
        bool found = false;
        for (const auto& [id, other] : fresh.formats)
            if (other.name == mine->name) {
                found = true;
                EXPECT_TRUE(other.props == mine->props) << mine->name;
            }
        EXPECT_TRUE(found) << mine->name;
    }
    Document& g = const_cast<Document&>(got);
    Document& f = const_cast<Document&>(fresh);
    EXPECT_EQ(ParagraphsInOrder(g), ParagraphsInOrder(f));
    EXPECT_EQ(got.selection.begin.offset, fresh.selection.begin.offset);
    EXPECT_EQ(got.currentPage == 0, fresh.currentPage == 0);
    EXPECT_FALSE(got.modified);
    EXPECT_TRUE(MifDocumentBytes(got) == MifDocumentBytes(fresh));
}

class DocCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.setStore(&store);
        host.cache().keepFromFirstClose(); // when it keeps is a test of its own
        for (const char* name : {"Intro.mif", "Appendix.mif"}) {
            std::filesystem::copy_file(ExampleBookDir() + "/" + name, tmp.file(name));
        }
    }
    ObjectId Open(const std::string& name)
    {
        int32_t status = 0;
        std::string error;
        ObjectId id = host.openFile(tmp.file(name), false, status, &error);
        EXPECT_NE(id, 0u) << error;
        return id;
    }
    void Close(ObjectId id) { EXPECT_EQ(host.closeFile(id, true), 0); }
    int Loads(const std::string& name) { return store.loads[tmp.file(name)]; }

    TempDir tmp;
    CountingStore store;
    Host host;
};

} // namespace

TEST_F(DocCacheTest, AReopenedDocumentEqualsAFreshReadAndIsNotReadAgain)
{
    ObjectId first = Open("Intro.mif");
    Document* d = host.model().document(first);
    ASSERT_TRUE(d);
    // Looking around (selection, current page, redisplay) is not a change.
    const ObjectId somewhere = d->paragraphs.begin()->first;
    d->selection = TextRange{{somewhere, 3}, {somewhere, 3}};
    d->currentPage = 0;
    d->redisplays = 5;
    Close(first);
    EXPECT_EQ(host.cache().documents(), 1u);

    ObjectId again = Open("Intro.mif");
    EXPECT_NE(again, first) << "a reopened document is a new document";
    EXPECT_EQ(Loads("Intro.mif"), 1);
    EXPECT_EQ(host.cache().stats().hits, 1);
    Model m;
    LoadResult fresh = LoadMifFile(m, tmp.file("Intro.mif"));
    ASSERT_TRUE(fresh.doc) << fresh.error;
    Model adoptModel;
    Document& freshDoc = adoptModel.adoptDocument(std::move(fresh.doc));
    ExpectSameDocument(*host.model().document(again), freshDoc);
    EXPECT_EQ(host.model().document(again)->redisplays, 0);
    // Objects of the reopened document answer under the model's id counter as before.
    ObjectId later = host.model().newId();
    for (const auto& [id, p] : host.model().document(again)->paragraphs)
        EXPECT_LT(id, later);
}

TEST_F(DocCacheTest, AFileChangedOnDiskIsReadAgainEvenWithinTheClocksResolution)
{
    ObjectId id = Open("Intro.mif");
    Close(id);
    // Rewritten in place right away, same size: only the bytes tell.
    std::string bytes = ReadBytes(tmp.file("Intro.mif"));
    size_t at = bytes.find("`Body'");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 6, "`Bodx'");
    WriteBytes(tmp.file("Intro.mif"), bytes);
    id = Open("Intro.mif");
    EXPECT_EQ(Loads("Intro.mif"), 2);
    EXPECT_NE(host.model().document(id)->formatByName("Bodx"), nullptr);
    Close(id);
    // Replaced by another file (a save elsewhere renames over it).
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(tmp.file("Intro.mif"), ReadBytes(ExampleBookDir() + "/Intro.mif"), error)) << error;
    id = Open("Intro.mif");
    EXPECT_EQ(Loads("Intro.mif"), 3);
    EXPECT_NE(host.model().document(id)->formatByName("Body"), nullptr);
    Close(id);
    // Deleted: the open fails as it would without a cache.
    std::filesystem::remove(tmp.file("Intro.mif"));
    int32_t status = 0;
    EXPECT_EQ(host.openFile(tmp.file("Intro.mif"), false, status), 0u);
    EXPECT_EQ(host.cache().stats().hits, 0);
    EXPECT_EQ(host.cache().stats().stale, 3);
}

TEST_F(DocCacheTest, ChangedAndSavedDocumentsAreNeverServedFromMemory)
{
    ObjectId id = Open("Intro.mif");
    Document* d = host.model().document(id);
    ASSERT_TRUE(DeleteFormat(*d, d->formatByName("OldStyle")->id));
    d->modified = true;
    Close(id); // closed without saving: the file still has the format
    id = Open("Intro.mif");
    EXPECT_NE(host.model().document(id)->formatByName("OldStyle"), nullptr);
    EXPECT_EQ(Loads("Intro.mif"), 2);

    d = host.model().document(id);
    ASSERT_TRUE(DeleteFormat(*d, d->formatByName("OldStyle")->id));
    d->modified = true;
    ASSERT_EQ(host.saveFile(id, tmp.file("Intro.mif")), 0);
    Close(id);
    id = Open("Intro.mif");
    EXPECT_EQ(Loads("Intro.mif"), 3) << "a saved document is read back from its file";
    EXPECT_EQ(host.model().document(id)->formatByName("OldStyle"), nullptr);
    EXPECT_EQ(host.cache().stats().hits, 0);
}

TEST_F(DocCacheTest, TheBudgetEvictsTheLeastRecentlyUsedAndZeroTurnsItOff)
{
    ObjectId intro = Open("Intro.mif"), appendix = Open("Appendix.mif");
    const size_t introBytes = DocumentMemory(*host.model().document(intro));
    const size_t appendixBytes = DocumentMemory(*host.model().document(appendix));
    host.cache().setBudget(std::max(introBytes, appendixBytes) + std::min(introBytes, appendixBytes) / 2);
    Close(intro);
    Close(appendix); // both do not fit: Intro, the older, goes
    EXPECT_EQ(host.cache().documents(), 1u);
    EXPECT_EQ(host.cache().stats().evictions, 1);
    EXPECT_LE(host.cache().bytes(), host.cache().budget());
    Close(Open("Appendix.mif"));
    Close(Open("Intro.mif"));
    EXPECT_EQ(Loads("Appendix.mif"), 1);
    EXPECT_EQ(Loads("Intro.mif"), 2);

    host.cache().setBudget(0);
    EXPECT_EQ(host.cache().documents(), 0u);
    for (int i = 0; i < 3; ++i)
        Close(Open("Intro.mif"));
    EXPECT_EQ(Loads("Intro.mif"), 5);
    EXPECT_EQ(host.cache().bytes(), 0u);
}

// Which opens of a sequence the cache serves, with a budget of a number of equal documents (and
// half of one to spare): a letter where the file came from memory, '.' where it was read. Blanks
// only group the rounds.
struct Walk {
    const char* what;
    int budgetDocs;
    const char* opens;
    const char* served;
};

void PrintTo(const Walk& w, std::ostream* os) { *os << w.what; }

class DocCacheWalk : public ::testing::TestWithParam<Walk> { };

TEST_P(DocCacheWalk, ServesWhatTheBudgetCanHoldOnTo)
{
    const Walk& w = GetParam();
    TempDir tmp;
    CountingStore store;
    Host host;
    host.setStore(&store);
    host.cache().keepFromFirstClose();
    for (char c = 'A'; c <= 'F'; ++c) // the same document under six names: one size
        std::filesystem::copy_file(ExampleBookDir() + "/Intro.mif", tmp.file(std::string(1, c) + ".mif"));
    size_t docBytes = 0;
    std::string served;
    for (const char* c = w.opens; *c; ++c) {
        if (*c == ' ') {
            served += ' ';
            continue;
        }
        int32_t status = 0;
        std::string error;
        const int64_t hits = host.cache().stats().hits;
        ObjectId id = host.openFile(tmp.file(std::string(1, *c) + ".mif"), false, status, &error);
        ASSERT_NE(id, 0u) << error;
        if (docBytes == 0) {
            docBytes = DocumentMemory(*host.model().document(id));
            host.cache().setBudget(w.budgetDocs * docBytes + docBytes / 2);
        }
        served += host.cache().stats().hits > hits ? *c : '.';
        EXPECT_EQ(host.closeFile(id, true), 0);
        EXPECT_LE(host.cache().bytes(), host.cache().budget());
    }
    EXPECT_EQ(served, w.served) << w.what << ": " << w.opens;
    int64_t loads = 0;
    for (const auto& [path, n] : store.loads)
        loads += n;
    EXPECT_EQ(loads, host.cache().stats().misses) << "every open not served is a read";
}

INSTANTIATE_TEST_SUITE_P(Policy, DocCacheWalk,
                         ::testing::Values(
                             // Round and round more files than fit: the ones kept last stay (least recently used
                             // would evict each just before it is needed again, and serve none).
                             Walk{"cycle larger than the budget", 3, "ABCDE ABCDE ABCDE ABCDE",
                                  "..... ..CDE ..CDE ..CDE"},
                             Walk{"cycle of one more than fits", 2, "ABC ABC ABC", "... .BC .BC"},
                             Walk{"cycle that fits", 3, "ABC ABC ABC", "... ABC ABC"},
                             // Least recently used where the pattern is not a cycle: the file in use stays, files
                             // used for the first time take the place of old ones.
                             Walk{"one file between others", 2, "ABACADAEA", "..A.A.A.A"},
                             Walk{"new working set", 2, "ABAB CDCD CD", "..AB ..CD CD"},
                             // A working set coming back after others is kept again from its second round on.
                             Walk{"working set comes back", 2, "ABAB CDCD ABAB AB", "..AB ..CD .... AB"},
                             // After a walk round the book, a file opened again and again: it was away for longer
                             // than the files kept were idle, so it is read once more before it is kept.
                             Walk{"one file after a cycle", 2, "ABCDEF ABCDEF AAA", "...... ....EF ..A"}),
                         [](const ::testing::TestParamInfo<Walk>& info) {
                             std::string name;
                             for (const char* c = info.param.what; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

TEST(DocCachePolicy, NothingIsKeptUntilTheRunOpensAFileAgain)
{
    TempDir tmp;
    for (const char* name : {"Intro.mif", "Appendix.mif"})
        std::filesystem::copy_file(ExampleBookDir() + "/" + name, tmp.file(name));
    CountingStore store;
    Host host;
    host.setStore(&store);
    auto openClose = [&](const char* name) {
        int32_t status = 0;
        std::string error;
        ObjectId id = host.openFile(tmp.file(name), false, status, &error);
        ASSERT_NE(id, 0u) << error;
        EXPECT_EQ(host.closeFile(id, true), 0);
    };
    // One walk over the files: nothing kept, no memory held.
    openClose("Intro.mif");
    openClose("Appendix.mif");
    EXPECT_FALSE(host.cache().keeping());
    EXPECT_EQ(host.cache().documents(), 0u);
    EXPECT_EQ(host.cache().bytes(), 0u);
    // Back to a file: read again, and from now on what is closed is kept.
    openClose("Intro.mif");
    EXPECT_TRUE(host.cache().keeping());
    EXPECT_EQ(host.cache().documents(), 1u);
    openClose("Appendix.mif");
    openClose("Intro.mif");
    openClose("Appendix.mif");
    EXPECT_EQ(store.loads[tmp.file("Intro.mif")], 2);
    EXPECT_EQ(store.loads[tmp.file("Appendix.mif")], 2);
    EXPECT_EQ(host.cache().stats().hits, 2);
}

// A book listing by tag opens every file once per used tag; with the cache each file is read
// twice (its first walk keeps nothing), and the listing is the same as without it.
TEST(DocCacheSession, ByTagListingReadsEachFileTwiceAndListsTheSame)
{
    TempDir tmp;
    std::filesystem::copy(ExampleBookDir(), tmp.path() / "book", std::filesystem::copy_options::recursive);
    const std::string book = (tmp.path() / "book" / "Example.book.mif").string();
    std::vector<ParagraphText> listing[2];
    int loads[2] = {0, 0};
    for (int cached = 0; cached < 2; ++cached) {
        CountingStore store;
        Session s;
        s.setStore(&store);
        s.host().cache().setBudget(cached ? size_t{64} << 20 : 0);
        std::string error;
        ASSERT_TRUE(s.load(error)) << error;
        ObjectId id = s.open(book, &error);
        ASSERT_NE(id, 0u) << error;
        s.activate(id);
        s.command(19);
        ASSERT_EQ(s.outputDocuments().size(), 1u) << s.host().consoleText();
        listing[cached] = s.paragraphs(s.outputDocuments().front());
        for (const auto& [path, n] : store.loads) // the chapters (not the book, not the output template)
            if (path != book && path.ends_with(".fm") == false && path.find("/book/") != std::string::npos)
                loads[cached] += n;
    }
    EXPECT_EQ(listing[0], listing[1]);
    EXPECT_GT(listing[1].size(), 6u);
    EXPECT_EQ(loads[1], 3 * 2) << "each of the three chapters read twice";
    EXPECT_GT(loads[0], 3 * 3) << "without the cache: once per walk";
}
