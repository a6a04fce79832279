// fault_test.cpp - every command on a small book and document, run once for every k: the host
// failing its k-th call (an error result, busy, or success with nothing written back), and the plug-in's allocator failing its
// k-th allocation that may fail. Nothing crashes or leaks (the sanitizer build checks), every
// file on disk is either as it was or exactly what a run without faults writes, and a failed
// string list says so on the console.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "host/model/builder.h"
#include "host/files/mif_store.h"
#include "host/model/model.h"
#include "host/com/session.h"

using namespace tw::host;
namespace fs = std::filesystem;

namespace {

constexpr TwResult kHostFailed = TW_E_FAIL;
constexpr TwResult kHostBusy = TW_E_RETRYLATER;
constexpr TwResult kHostSilent = TW_S_OK;

struct Scenario {
    const char* name;
    int32_t command;
    bool onBook;
    int32_t listChoice = -1; // the index chosen in a list dialog, -1 none
    std::string tagChoice;   // or the item chosen by its text
};

const Scenario kScenarios[] = {
    {"usage", 1, false, -1, ""},
    {"delete-unused", 2, false, -1, ""},
    {"make-list", 3, false, 2, ""},
    {"make-conversion", 5, false, 2, ""},
    {"remove-overrides", 7, false, -1, ""},
    {"next-override", 8, false, -1, ""},
    {"book-usage", 9, true, -1, ""},
    {"book-delete-unused", 10, true, -1, ""},
    {"book-make-list", 11, true, 1, ""},
    {"book-make-conversion", 13, true, 2, ""},
    {"book-remove-overrides", 15, true, -1, ""},
    {"report", 16, false, -1, ""},
    {"report-one", 17, false, -1, "Body"},
    {"book-each-file", 18, true, -1, ""},
    {"book-by-tag", 19, true, -1, ""},
};

std::string Read(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// How many k values a scenario is run with, at most, per kind of fault (evenly spread over all
// calls or allocations, the first and last included). TAGWRIGHT_FAULT_LIMIT=0 runs every k.
int64_t Limit()
{
    const char* v = std::getenv("TAGWRIGHT_FAULT_LIMIT");
    return v ? std::atoll(v) : 25;
}

std::vector<int64_t> KValues(int64_t total)
{
    std::vector<int64_t> ks;
    int64_t limit = Limit();
    if (limit <= 0 || total <= limit) {
        for (int64_t k = 1; k <= total; ++k)
            ks.push_back(k);
        return ks;
    }
    for (int64_t i = 0; i < limit; ++i)
        ks.push_back(1 + i * (total - 1) / (limit - 1));
    ks.erase(std::unique(ks.begin(), ks.end()), ks.end());
    return ks;
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("tw-faults-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        Model m;
        for (const char* name : {"ch1.mif", "ch2.mif"}) {
            DocBuilder d(m, (dir_ / name).string());
            d.format("Body").format("Heading1").format("Old").format("Note");
            d.paragraph("Heading1", std::string("Chapter ") + name)
                .paragraph("Body", "Plain text.")
                .paragraph("Body", "Overridden text.", {{553, 0x60000}})
                .table({{"Name", "Value"}, {"a", "b"}}, 1, "Note");
            originals_[name] = MifDocumentBytes(*d.build());
        }
        BookBuilder b(m, (dir_ / "Book.book.mif").string());
        b.file((dir_ / "ch1.mif").string()).file((dir_ / "ch2.mif").string());
        originals_["Book.book.mif"] = MifBookBytes(*b.build());
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Restore()
    {
        for (const auto& [name, bytes] : originals_) {
            std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
            out << bytes;
        }
    }
    std::map<std::string, std::string> Files()
    {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::directory_iterator(dir_))
            files[e.path().filename().string()] = Read(e.path());
        return files;
    }

    // One run of a scenario on fresh files; `arm` is called with the session once the plug-in
    // is loaded and the files are open, just before the command.
    struct Run {
        std::string console;
        int64_t hostCalls = 0;
        std::map<std::string, std::string> files;
    };
    Run RunScenario(const Scenario& s, const std::string& library, const std::function<void(Session&)>& arm)
    {
        Restore();
        Run run;
        MifStore store;
        {
            Session session(MemoryMode::TaskMemory);
            session.setStore(&store);
            std::string error;
            if (!session.load(error, library)) {
                ADD_FAILURE() << error;
                return run;
            }
            ObjectId target = session.open((dir_ / (s.onBook ? "Book.book.mif" : "ch1.mif")).string(), &error);
            if (!target) {
                ADD_FAILURE() << error;
                return run;
            }
            session.activate(target);
            session.host().defaultQuestionAnswer = 0;
            if (s.listChoice >= 0)
                session.chooseFromList(s.listChoice);
            if (!s.tagChoice.empty())
                session.chooseFromList(s.tagChoice);
            if (s.command == 8) {
                Document* d = session.model().document(target);
                ObjectId first = d->firstParagraphOfFlow(d->mainFlow);
                d->selection = TextRange{{first, 0}, {first, 0}};
            }
            int64_t before = session.host().totalCalls();
            arm(session);
            session.command(s.command);
            run.hostCalls = session.host().totalCalls() - before;
            run.console = session.host().consoleText();
            // A document command's changes are saved as the tool's --write saves them. A save
            // that fails leaves the file as it was, which ExpectOldOrNew accepts.
            if (!s.onBook && session.model().document(target) && session.model().document(target)->modified)
                (void)session.host().saveFile(target, (dir_ / "ch1.mif").string());
        }
        run.files = Files();
        return run;
    }

    // Every file is as it was, as the clean run left it, or (a command stopped halfway by the
    // fault) a complete MIF file with every paragraph and its text, and no format it did not have.
    void ExpectOldOrNew(const Run& faulted, const Run& clean, const std::string& what)
    {
        for (const auto& [name, bytes] : faulted.files) {
            auto old = originals_.find(name);
            ASSERT_NE(old, originals_.end()) << what << ": " << name << " left behind";
            auto done = clean.files.find(name);
            if (bytes == old->second || (done != clean.files.end() && bytes == done->second))
                continue;
            ASSERT_NE(name, "Book.book.mif") << what << ": the book itself was changed";
            Model m;
            fs::path copy = dir_.string() + "-check.mif";
            std::ofstream(copy, std::ios::binary) << bytes;
            LoadResult now = LoadMifFile(m, copy.string());
            std::ofstream(copy, std::ios::binary) << old->second;
            LoadResult before = LoadMifFile(m, copy.string());
            fs::remove(copy);
            ASSERT_TRUE(now.doc) << what << ": " << name << " is not a complete MIF document: " << now.error;
            ASSERT_TRUE(before.doc);
            EXPECT_EQ(Texts(*now.doc), Texts(*before.doc)) << what << ": " << name << " lost text";
            for (ObjectId f : now.doc->catalogue)
                EXPECT_TRUE(before.doc->formatByName(now.doc->format(f)->name))
                    << what << ": " << name << " gained a format";
        }
        EXPECT_EQ(faulted.files.size(), originals_.size()) << what << ": files left behind or lost";
    }
    static std::vector<std::string> Texts(const Document& d)
    {
        std::vector<std::string> texts;
        for (const auto& [id, p] : d.paragraphs)
            texts.push_back(p.text);
        std::sort(texts.begin(), texts.end());
        return texts;
    }

    fs::path dir_;
    std::map<std::string, std::string> originals_;
};

TEST_F(Faults, TheHostFailingItsKthCallIsSurvived)
{
    int64_t injected = 0;
    for (const Scenario& s : kScenarios) {
        Run clean = RunScenario(s, Session::DefaultPluginPath(), [](Session&) {});
        ASSERT_GT(clean.hostCalls, 0) << s.name;
        // Failed, busy, or answered with success but nothing written back: the status the
        // client set stays (-1, a nonzero status) and every answer stays empty or zero.
        for (TwResult code : {kHostFailed, kHostBusy, kHostSilent})
            for (int64_t k : KValues(clean.hostCalls)) {
                std::string what = std::string(s.name) + " with host call " + std::to_string(k) + " of " +
                                   std::to_string(clean.hostCalls) +
                                   (code == kHostBusy     ? " busy"
                                    : code == kHostSilent ? " answering nothing"
                                                          : " failing");
                Run faulted = RunScenario(s, Session::DefaultPluginPath(),
                                          [&](Session& session) { session.host().failCall(k, code); });
                ExpectOldOrNew(faulted, clean, what);
                ++injected;
                if (HasFailure())
                    return;
            }
    }
    RecordProperty("host_faults_injected", std::to_string(injected));
    std::printf("host faults injected and survived: %lld\n", static_cast<long long>(injected));
}

TEST_F(Faults, TheAllocatorFailingItsKthAllocationIsSurvived)
{
    // The test build of the plug-in counts the allocations that may fail and fails one on request.
    void* library = dlopen(TAGWRIGHT_FAULTS_PLUGIN, RTLD_NOW | RTLD_GLOBAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto failAllocation = reinterpret_cast<long (*)(long)>(dlsym(library, "TagwrightFailAllocation"));
    ASSERT_NE(failAllocation, nullptr);
    int64_t injected = 0;
    int outOfListMemory = 0;
    for (const Scenario& s : kScenarios) {
        Run clean = RunScenario(s, TAGWRIGHT_FAULTS_PLUGIN, [&](Session&) { failAllocation(0); });
        long allocations = failAllocation(0);
        if (allocations == 0) // (finding the next override allocates nothing)
            continue;
        EXPECT_EQ(clean.console.find("Couldn't allocate"), std::string::npos) << s.name << ": " << clean.console;
        for (int64_t k : KValues(allocations)) {
            std::string what =
                std::string(s.name) + " with allocation " + std::to_string(k) + " of " + std::to_string(allocations);
            Run faulted = RunScenario(s, TAGWRIGHT_FAULTS_PLUGIN, [&](Session&) { failAllocation(k); });
            failAllocation(0);
            ExpectOldOrNew(faulted, clean, what);
            if (faulted.console.find("Couldn't allocate string list memory\n") != std::string::npos)
                ++outOfListMemory;
            ++injected;
            if (HasFailure())
                return;
        }
    }
    EXPECT_GT(outOfListMemory, 0) << "no run met a failed string list";
    dlclose(library);
    std::printf("allocation failures injected and survived: %lld (%d said \"Couldn't allocate string list memory\")\n",
                static_cast<long long>(injected), outOfListMemory);
}

} // namespace
