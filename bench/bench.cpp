// bench.cpp - tw_bench: generates synthetic books and documents into a temporary folder, runs
// Tagwright's commands on them through the loaded plug-in in the stand-in host, and prints the
// times and the ratios between them measured in this one run (how the work scales).

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "bench/synthetic_book.h"
#include "host/files/mif_store.h"
#include "host/com/session.h"

namespace fs = std::filesystem;
using namespace tw::bench;
using tw::host::MemoryMode;

namespace {

// Plug-in commands (the menu commands of the document and book menus).
constexpr int32_t kUsageDocument = TW_CMD_LIST_USAGE;
constexpr int32_t kRemoveOverridesDocument = TW_CMD_REMOVE_OVERRIDES;
constexpr int32_t kUsageBook = TW_CMD_LIST_USAGE_BOOK;
constexpr int32_t kDeleteUnusedBook = TW_CMD_DELETE_UNUSED_BOOK;
constexpr int32_t kRemoveOverridesBook = TW_CMD_REMOVE_OVERRIDES_BOOK;
constexpr int32_t kUsageByTag = TW_CMD_LIST_USAGE_BOOK_BY_TAG;

struct Options {
    int smallBook = 10;
    int largeBook = 100;
    int chapterParagraphs = 150;
    int tags = 12;
    int unused = 8;
    int docParagraphs = 3000;
    int docScale = 10;
    int formats = 250;
    int formatScale = 8;
    int repeats = 3;
    uint64_t seed = 1;
    std::string keep;
};

// A failure of the benchmark itself (a file it cannot write or open, a listing that is not
// what the generator made): the numbers would mean nothing, so it stops.
struct BenchError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& what) { throw BenchError(what); }

double Seconds(const std::function<void()>& f)
{
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The shortest of `repeats` runs: the least disturbed by the other work on the machine.
double Best(int repeats, const std::function<double()>& once)
{
    double best = once();
    for (int i = 1; i < repeats; ++i)
        best = std::min(best, once());
    return best;
}

// One stand-in host with the plug-in loaded and MIF files on disk as its store.
class Bench {
public:
    explicit Bench(MemoryMode mode) : session_(mode)
    {
        session_.setStore(&store_);
        session_.host().defaultQuestionAnswer = 0; // "Are you sure ...": OK
        std::string error;
        if (!session_.load(error))
            Fail(error);
    }

    ObjectId open(const std::string& path)
    {
        std::string error;
        ObjectId id = session_.open(path, &error);
        if (!id)
            Fail(error);
        return id;
    }

    // Runs a command on a document or book and returns its wall-clock time. The output
    // documents it made are read (for checking) and closed, so runs do not pile them up.
    double run(int32_t command, ObjectId target)
    {
        session_.activate(0);
        session_.activate(target);
        const size_t opensBefore = session_.host().opens().size();
        const size_t consoleBefore = session_.host().consoleText().size();
        double t = Seconds([&] { session_.command(command); });
        opens_ = 0;
        for (size_t i = opensBefore; i < session_.host().opens().size(); ++i) {
            const auto& o = session_.host().opens()[i];
            if (o.path.find("VellOutput") != std::string::npos)
                continue; // the optional output template
            if (!o.result)
                Fail("the plug-in could not open " + o.path + ": " + o.error);
            ++opens_;
        }
        if (session_.host().consoleText().size() != consoleBefore)
            Fail("the plug-in wrote to the console: " + session_.host().consoleText().substr(consoleBefore));
        output_.clear();
        for (ObjectId out : session_.outputDocuments()) {
            auto paragraphs = session_.paragraphs(out);
            output_.insert(output_.end(), paragraphs.begin(), paragraphs.end());
            session_.host().closeFile(out, true);
        }
        return t;
    }

    // Opens a document, runs a command on it and closes it again (a command that changes the
    // document then finds it as it is on disk every time). `check` looks at the changed document.
    double runFresh(int32_t command, const std::string& path,
                    const std::function<void(const tw::host::Document&)>& check = {})
    {
        ObjectId id = open(path);
        double t = run(command, id);
        if (check)
            check(*session_.model().document(id));
        session_.host().closeFile(id, true);
        return t;
    }

    const std::vector<tw::host::ParagraphText>& output() const { return output_; }
    tw::host::Host& host() { return session_.host(); }
    int opens() const { return opens_; } // files the last command opened

private:
    tw::host::MifStore store_;
    tw::host::Session session_;
    std::vector<tw::host::ParagraphText> output_;
    int opens_ = 0;
};

// Counts of a usage listing: entries under "Paragraph Tags Used:" and "... Not Used:".
std::pair<int, int> UsageCounts(const std::vector<tw::host::ParagraphText>& listing)
{
    int used = 0, unused = 0, section = 0;
    for (const auto& p : listing) {
        if (p.tag == "Heading2")
            section = p.text == "Paragraph Tags Used:" ? 1 : p.text == "Paragraph Tags Not Used:" ? 2 : 0;
        else if (p.tag == "Body" && !p.text.empty())
            (section == 1 ? used : unused) += section ? 1 : 0;
    }
    return {used, unused};
}

void ExpectUsage(const Bench& b, const BookShape& shape, const std::string& what)
{
    auto [used, unused] = UsageCounts(b.output());
    if (used != UsedTagCount(shape) || unused != shape.unusedFormats)
        Fail(what + ": the listing shows " + std::to_string(used) + " used and " + std::to_string(unused) +
             " unused tags, the generator made " + std::to_string(UsedTagCount(shape)) + " and " +
             std::to_string(shape.unusedFormats));
}

std::string Duration(double s)
{
    char buf[32];
    if (s >= 1.0)
        std::snprintf(buf, sizeof buf, "%.2f s", s);
    else if (s >= 1e-3)
        std::snprintf(buf, sizeof buf, "%.1f ms", s * 1e3);
    else
        std::snprintf(buf, sizeof buf, "%.1f us", s * 1e6);
    return buf;
}

struct Row {
    std::string operation;
    std::string input;
    double seconds;
    std::string perUnit;
};

struct Ratio {
    std::string what;
    double measured;
    std::string expected;
};

std::string Per(double seconds, double units, const char* unit) { return Duration(seconds / units) + "/" + unit; }

std::string BookLabel(const BookShape& s)
{
    return std::to_string(s.chapters) + " ch x " + std::to_string(s.paragraphs) + " pgf, " +
           std::to_string(UsedTagCount(s)) + " tags";
}

std::string DocLabel(const BookShape& s)
{
    return std::to_string(s.paragraphs) + " pgf, " +
           (s.paragraphsPerPage ? std::to_string(s.paragraphsPerPage) + "/page" : std::string("one frame"));
}

std::string Generate(const fs::path& dir, const BookShape& shape)
{
    std::string error;
    std::string book = GenerateBook(dir.string(), shape, error);
    if (book.empty())
        Fail(error);
    return book;
}

std::string GenerateDoc(const fs::path& path, const BookShape& shape)
{
    std::string error;
    if (!GenerateDocument(path.string(), shape, error))
        Fail(error);
    return path.string();
}

class TempDir {
public:
    explicit TempDir(const std::string& keep)
    {
        if (!keep.empty()) {
            path_ = keep;
            keep_ = true;
            std::error_code ec;
            fs::create_directories(path_, ec);
            if (ec)
                Fail(keep + ": could not create the folder (" + ec.message() + ")");
            return;
        }
        std::string pattern = (fs::temp_directory_path() / "tw-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            Fail(pattern + ": could not create a temporary folder");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!keep_)
            fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
    bool keep_ = false;
};

int RunBenchmarks(const Options& o);

// The host's MIF load alone, every file once (for the side-by-side table of real_books.py).
int LoadOnly(const std::vector<std::string>& files)
{
    double bytes = 0;
    double t = Seconds([&] {
        for (const auto& f : files) {
            tw::host::Model m;
            auto r = tw::host::LoadMifFile(m, f);
            if (!r.doc && !r.book)
                Fail(r.error);
            bytes += static_cast<double>(fs::file_size(f));
        }
    });
    std::printf("%.6f %.0f\n", t, bytes);
    return 0;
}

// Calls through the host interface during one usage --by-tag listing, and their rate.
int HostCalls(const std::string& book)
{
    Bench b(MemoryMode::Shared);
    if (const char* mb = std::getenv("TAGWRIGHT_CACHE_MB"); mb && *mb)
        b.host().cache().setBudget(static_cast<size_t>(std::strtoul(mb, nullptr, 10)) << 20);
    ObjectId id = b.open(book);
    auto total = [&] {
        int64_t n = 0;
        for (int32_t slot = 0; slot < 1024; ++slot)
            n += b.host().callCount(slot);
        return n;
    };
    const int64_t before = total();
    double t = b.run(kUsageByTag, id);
    const int64_t calls = total() - before;
    std::printf("%lld %.0f %.6f\n", static_cast<long long>(calls), calls / t, t);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    CLI::App app{"tw_bench: time Tagwright's commands on generated MIF books through the loaded plug-in."};
    app.add_option("--small-book", o.smallBook, "Chapters of the small book")
        ->check(CLI::Range(1, 10000))
        ->capture_default_str();
    app.add_option("--large-book", o.largeBook, "Chapters of the large book")
        ->check(CLI::Range(1, 10000))
        ->capture_default_str();
    app.add_option("--paragraphs", o.chapterParagraphs, "Main-flow paragraphs per book chapter")
        ->check(CLI::Range(1, 1000000))
        ->capture_default_str();
    app.add_option("--tags", o.tags, "Main-flow tags of every chapter")
        ->check(CLI::Range(1, 1000))
        ->capture_default_str();
    app.add_option("--unused", o.unused, "Unused catalogue formats of every chapter")
        ->check(CLI::Range(0, 1000))
        ->capture_default_str();
    app.add_option("--doc-paragraphs", o.docParagraphs, "Paragraphs of the smaller single document")
        ->check(CLI::Range(1, 10000000))
        ->capture_default_str();
    app.add_option("--doc-scale", o.docScale, "The larger document has this many times more")
        ->check(CLI::Range(2, 1000))
        ->capture_default_str();
    app.add_option("--formats", o.formats, "Unused formats of the smaller many-formats document")
        ->check(CLI::Range(1, 1000000))
        ->capture_default_str();
    app.add_option("--format-scale", o.formatScale, "The larger one has this many times more")
        ->check(CLI::Range(2, 1000))
        ->capture_default_str();
    app.add_option("--repeats", o.repeats, "Runs per measurement (the best is kept)")
        ->check(CLI::Range(1, 100))
        ->capture_default_str();
    app.add_option("--seed", o.seed, "Seed of the generated text")->capture_default_str();
    app.add_option("--keep", o.keep, "Generate into this folder and keep it");
    std::vector<std::string> loadOnly;
    std::string hostCallsBook;
    app.add_option("--load-only", loadOnly, "Only load these MIF files in the host; print seconds and bytes");
    app.add_option("--host-calls", hostCallsBook,
                   "Only run usage --by-tag on this book; print host calls and calls per second");
    CLI11_PARSE(app, argc, argv);
    try {
        if (!loadOnly.empty())
            return LoadOnly(loadOnly);
        if (!hostCallsBook.empty())
            return HostCalls(hostCallsBook);
    } catch (const BenchError& e) {
        std::cerr << "tw_bench: " << e.what() << '\n';
        return 2;
    }
    if (o.chapterParagraphs < o.tags || o.docParagraphs < o.tags || o.tags > 20) {
        std::cerr << "tw_bench: --paragraphs and --doc-paragraphs must be at least --tags, and --tags at most 20\n";
        return 1;
    }
    try {
        return RunBenchmarks(o);
    } catch (const BenchError& e) {
        std::cerr << "tw_bench: " << e.what() << '\n';
        return 2;
    }
}

namespace {

int RunBenchmarks(const Options& o)
{
#ifdef NDEBUG
    const bool optimized = true;
#else
    const bool optimized = false;
#endif
    TempDir temp(o.keep);
    std::vector<Row> rows;
    std::vector<Ratio> ratios;
    auto total0 = std::chrono::steady_clock::now();

    BookShape book;
    book.paragraphs = o.chapterParagraphs;
    book.tags = o.tags;
    book.unusedFormats = o.unused;
    book.seed = o.seed;
    BookShape small = book, large = book;
    small.chapters = o.smallBook;
    large.chapters = o.largeBook;
    const std::string smallBook = Generate(temp.path() / "small", small);
    const std::string largeBook = Generate(temp.path() / "large", large);

    // 1. Book usage listing at two book sizes: the time per chapter should not grow.
    double smallUsage = 0, largeUsage = 0;
    {
        Bench b(MemoryMode::Shared);
        ObjectId id = b.open(smallBook);
        b.run(kUsageBook, id); // warm-up: the first run in a process pays for first-time set-up
        smallUsage = Best(o.repeats, [&] { return b.run(kUsageBook, id); });
        ExpectUsage(b, small, "usage of the small book");
        rows.push_back({"usage, book (9)", BookLabel(small), smallUsage, Per(smallUsage, small.chapters, "chapter")});
        ObjectId lid = b.open(largeBook);
        largeUsage = Best(std::max(1, o.repeats - 1), [&] { return b.run(kUsageBook, lid); });
        ExpectUsage(b, large, "usage of the large book");
        rows.push_back({"usage, book (9)", BookLabel(large), largeUsage, Per(largeUsage, large.chapters, "chapter")});
    }
    // How much of that is reading MIF: every chapter of the large book loaded by the host alone.
    double parseLarge = Best(std::max(1, o.repeats - 1), [&] {
        return Seconds([&] {
            for (int i = 0; i < large.chapters; ++i) {
                tw::host::Model m;
                auto r = tw::host::LoadMifFile(m, (temp.path() / "large" / ChapterFileName(i)).string());
                if (!r.doc)
                    Fail(r.error);
            }
        });
    });
    rows.push_back(
        {"MIF load only, every chapter", BookLabel(large), parseLarge, Per(parseLarge, large.chapters, "chapter")});
    ratios.push_back({"book usage: time per chapter, " + std::to_string(large.chapters) + " vs " +
                          std::to_string(small.chapters) + " chapters",
                      (largeUsage / large.chapters) / (smallUsage / small.chapters), "~1 (linear)"});
    ratios.push_back({"book usage: share spent loading MIF (" + std::to_string(large.chapters) + " ch)",
                      parseLarge / largeUsage, "< 1 (the rest: scan and listing)"});

    // 2. By tag: every file once, then once more per used tag.
    {
        Bench b(MemoryMode::Shared);
        ObjectId id = b.open(smallBook);
        double usage = Best(o.repeats, [&] { return b.run(kUsageBook, id); });
        double byTag = Best(std::max(1, o.repeats - 1), [&] { return b.run(kUsageByTag, id); });
        const int opens = b.opens();
        int headings = 0, listed = 0;
        for (const auto& p : b.output()) {
            headings += p.tag == "Heading2";
            listed += p.tag == "Body" && !p.text.empty();
        }
        if (headings != UsedTagCount(small) || listed != UsedTagCount(small) * small.chapters)
            Fail("usage --by-tag lists " + std::to_string(headings) + " tags and " + std::to_string(listed) +
                 " files under them; the generator made " + std::to_string(UsedTagCount(small)) +
                 " tags used in every file");
        rows.push_back({"usage --by-tag, book (19)", BookLabel(small), byTag,
                        Per(byTag, small.chapters * (UsedTagCount(small) + 1.0), "file open")});
        ratios.push_back({"usage --by-tag / usage (book, T = " + std::to_string(UsedTagCount(small)) + " used tags)",
                          byTag / usage, std::to_string(UsedTagCount(small) + 1) + " (T+1 walks)"});
        ratios.push_back({"usage --by-tag: file opens / chapters", static_cast<double>(opens) / small.chapters,
                          std::to_string(UsedTagCount(small) + 1) + " (T+1)"});
    }

    // 3. Memory modes of the connection: shared buffers or task memory freed by the plug-in.
    BookShape doc = book;
    doc.chapters = 1;
    doc.paragraphs = o.docParagraphs * o.docScale;
    const std::string bigDoc = GenerateDoc(temp.path() / "big.mif", doc);
    {
        double t[2][2] = {};
        const MemoryMode modes[] = {MemoryMode::Shared, MemoryMode::TaskMemory};
        for (int m = 0; m < 2; ++m) {
            Bench b(modes[m]);
            ObjectId bk = b.open(smallBook);
            t[m][0] = Best(o.repeats, [&] { return b.run(kUsageBook, bk); });
            ObjectId d = b.open(bigDoc);
            t[m][1] = Best(o.repeats, [&] { return b.run(kUsageDocument, d); });
            ExpectUsage(b, doc, "usage of the large document");
        }
        rows.push_back(
            {"usage, book (9), task memory", BookLabel(small), t[1][0], Per(t[1][0], small.chapters, "chapter")});
        rows.push_back({"usage, document (1), shared", DocLabel(doc), t[0][1], Per(t[0][1], doc.paragraphs, "pgf")});
        rows.push_back(
            {"usage, document (1), task memory", DocLabel(doc), t[1][1], Per(t[1][1], doc.paragraphs, "pgf")});
        ratios.push_back({"task memory / shared memory, book usage", t[1][0] / t[0][0], "~1"});
        ratios.push_back({"task memory / shared memory, document usage (no file reads)", t[1][1] / t[0][1], "~1"});
    }

    // 4. Scan of one open document at two sizes, with the main flow in one text frame and
    // spread over pages: the time per paragraph should not grow.
    for (int perPage : {40, 0}) {
        BookShape a = doc, z = doc;
        a.paragraphs = o.docParagraphs;
        a.paragraphsPerPage = z.paragraphsPerPage = perPage;
        const std::string suffix = perPage ? "-paged" : "-one-frame";
        const std::string small = GenerateDoc(temp.path() / ("doc-a" + suffix + ".mif"), a);
        const std::string big = GenerateDoc(temp.path() / ("doc-z" + suffix + ".mif"), z);
        Bench b(MemoryMode::Shared);
        ObjectId da = b.open(small), dz = b.open(big);
        double ta = Best(o.repeats, [&] { return b.run(kUsageDocument, da); });
        double tz = Best(o.repeats, [&] { return b.run(kUsageDocument, dz); });
        ExpectUsage(b, z, "usage of " + big);
        rows.push_back({"usage, document (1)", DocLabel(a), ta, Per(ta, a.paragraphs, "pgf")});
        rows.push_back({"usage, document (1)", DocLabel(z), tz, Per(tz, z.paragraphs, "pgf")});
        ratios.push_back({"document usage: time per paragraph, " + std::to_string(z.paragraphs) + " vs " +
                              std::to_string(a.paragraphs) + " pgf, " + (perPage ? "40 per page" : "one frame"),
                          (tz / z.paragraphs) / (ta / a.paragraphs), "~1 (linear)"});
        auto noOverrides = [](const tw::host::Document& d) {
            for (const auto& [id, p] : d.paragraphs)
                if (p.overridden)
                    Fail("remove-overrides left an override in " + d.path);
        };
        double ra = Best(o.repeats, [&] { return b.runFresh(kRemoveOverridesDocument, small, noOverrides); });
        double rz =
            Best(std::max(1, o.repeats - 1), [&] { return b.runFresh(kRemoveOverridesDocument, big, noOverrides); });
        rows.push_back({"remove-overrides, document (7)", DocLabel(a), ra, Per(ra, a.paragraphs, "pgf")});
        rows.push_back({"remove-overrides, document (7)", DocLabel(z), rz, Per(rz, z.paragraphs, "pgf")});
        ratios.push_back({"document remove-overrides: time per paragraph, " + std::to_string(z.paragraphs) + " vs " +
                              std::to_string(a.paragraphs) + " pgf, " + (perPage ? "40 per page" : "one frame"),
                          (rz / z.paragraphs) / (ra / a.paragraphs), "~1 (linear)"});
    }

    // 5. Load + save round trip of the large document against loading it only.
    {
        const std::string copy = (temp.path() / "big-saved.mif").string();
        double load = Best(o.repeats, [&] {
            tw::host::Model m;
            return Seconds([&] {
                if (!tw::host::LoadMifFile(m, bigDoc).doc)
                    Fail(bigDoc + ": could not be read back");
            });
        });
        double bytesOnly = 0;
        double roundTrip = Best(o.repeats, [&] {
            tw::host::Model m;
            tw::host::MifStore store;
            double serialize = 0;
            double t = Seconds([&] {
                auto r = tw::host::LoadMifFile(m, bigDoc);
                if (!r.doc)
                    Fail(r.error);
                serialize = Seconds([&] { (void)tw::host::MifDocumentBytes(*r.doc); });
                std::string error;
                if (!store.save(m, *r.doc, copy, error))
                    Fail(error);
            });
            bytesOnly = bytesOnly == 0 ? serialize : std::min(bytesOnly, serialize);
            return t - serialize; // the timed save made the bytes once more itself
        });
        const auto size = static_cast<double>(fs::file_size(bigDoc));
        char mb[32];
        std::snprintf(mb, sizeof mb, ", %.1f MB", size / 1e6);
        rows.push_back({"MIF load", DocLabel(doc) + mb, load, Per(load, size / 1e6, "MB")});
        rows.push_back({"MIF load + save (atomic)", DocLabel(doc) + mb, roundTrip, Per(roundTrip, size / 1e6, "MB")});
        rows.push_back({"  of which: writing the bytes", DocLabel(doc), bytesOnly, Per(bytesOnly, size / 1e6, "MB")});
        ratios.push_back({"load + save / load only (" + std::to_string(doc.paragraphs) + " pgf)", roundTrip / load,
                          "~2 (writing costs what reading does)"});
    }

    // 6. Commands that change and save every file of a book, on fresh copies of the small book.
    {
        const std::string one = Generate(temp.path() / "delete", small);
        const std::string two = Generate(temp.path() / "overrides", small);
        Bench b(MemoryMode::Shared);
        double usage = Best(o.repeats, [&] { return b.run(kUsageBook, b.open(smallBook)); });
        double del = b.run(kDeleteUnusedBook, b.open(one));
        double ovr = b.run(kRemoveOverridesBook, b.open(two));
        // The unused formats are gone from the saved chapters.
        b.run(kUsageBook, b.open(one));
        if (UsageCounts(b.output()).second != 0)
            Fail("delete-unused left unused formats in " + one);
        rows.push_back({"delete-unused, book (10)", BookLabel(small), del, Per(del, small.chapters, "chapter")});
        rows.push_back({"remove-overrides, book (15)", BookLabel(small), ovr, Per(ovr, small.chapters, "chapter")});
        ratios.push_back({"delete-unused / usage (book: scan + delete + save)", del / usage, "> 1 (saves)"});
        ratios.push_back({"remove-overrides / usage (book)", ovr / usage, "> 1 (saves)"});
    }

    // 7. Catalogue size: a short document whose catalogue holds many formats nobody uses, each
    // of which the listing checks against both lists and then writes as one paragraph.
    {
        BookShape a = book, z = book;
        a.paragraphs = z.paragraphs = 20;
        a.tables = z.tables = 0;
        a.unusedFormats = o.formats;
        z.unusedFormats = o.formats * o.formatScale;
        const std::string fa = GenerateDoc(temp.path() / "formats-a.mif", a);
        const std::string fz = GenerateDoc(temp.path() / "formats-z.mif", z);
        Bench b(MemoryMode::Shared);
        ObjectId da = b.open(fa), dz = b.open(fz);
        double ta = Best(o.repeats, [&] { return b.run(kUsageDocument, da); });
        double tz = Best(o.repeats, [&] { return b.run(kUsageDocument, dz); });
        ExpectUsage(b, z, "usage of " + fz);
        rows.push_back({"usage, document (1)", std::to_string(a.unusedFormats) + " unused formats", ta,
                        Per(ta, a.unusedFormats, "format")});
        rows.push_back({"usage, document (1)", std::to_string(z.unusedFormats) + " unused formats", tz,
                        Per(tz, z.unusedFormats, "format")});
        ratios.push_back({"document usage: time per unused format, " + std::to_string(z.unusedFormats) + " vs " +
                              std::to_string(a.unusedFormats),
                          (tz / z.unusedFormats) / (ta / a.unusedFormats), "~1 (linear)"});
    }

    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - total0).count();

    // The table.
    std::printf("Tagwright benchmark: %s, best of %d runs, plug-in %s\n",
                optimized ? "optimized build" : "UNOPTIMIZED build (numbers are not representative)", o.repeats,
                tw::host::Session::DefaultPluginPath().c_str());
    std::printf("\n%-36s %-36s %10s  %s\n", "operation (command)", "input", "time", "per unit");
    std::printf("%s\n", std::string(100, '-').c_str());
    for (const auto& r : rows)
        std::printf("%-36s %-36s %10s  %s\n", r.operation.c_str(), r.input.c_str(), Duration(r.seconds).c_str(),
                    r.perUnit.c_str());
    std::printf("\n%-72s %8s  %s\n", "ratio (measured in this run)", "measured", "expected");
    std::printf("%s\n", std::string(108, '-').c_str());
    for (const auto& r : ratios)
        std::printf("%-80s %8.2f  %s\n", r.what.c_str(), r.measured, r.expected.c_str());
    std::printf("\ntotal %.1f s (generation included)%s\n", total,
                o.keep.empty() ? "" : ("; files kept in " + o.keep).c_str());
    return 0;
}

} // namespace
