// cli_output_test.cpp - how the tool shows what the plug-in produced: JSON text escaping read
// back by a standard parser, several output documents saved with -o, and the progress bar.

#include "tests/cli/tool_fixture.h"

#include "cli/outputs.h"
#include "cli/printer.h"
#include "cli/reporter.h"
#include "cli/subcommands.h"
#include "host/model/builder.h"
#include "host/files/mif_store.h"

namespace tw::cli_test {
namespace {

TEST_F(Tool, JsonKeepsQuotesBackslashesAndControlCharactersOfTags)
{
    // A format name with a quote, a backslash and a tab (MIF writes them \", \\ and \t).
    edit(chapter("Intro.mif"), "<PgfTag `OldStyle'>", "<PgfTag `Old\"Style\\\\x\\ty'>");
    Result r = run({"--format", "json", "usage", chapter("Intro.mif").string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    Result parsed = python(
        "import json, sys\nprint([repr(p['text']) for p in json.load(sys.stdin) if 'Style' in p['text']])\n", r.out);
    ASSERT_EQ(parsed.exit, 0) << parsed.err << r.out;
    EXPECT_EQ(parsed.out, "['\\'Old\"Style\\\\\\\\x\\\\ty\\'']\n") << r.out;
}

TEST_F(Tool, JsonQuoteEscapesEveryControlCharacter)
{
    std::string all;
    for (int c = 1; c < 0x20; c++)
        all += static_cast<char>(c);
    all += "\"\\/\x7f"
           "caf\xc3\xa9";
    const std::string quoted = cli::JsonQuote(all);
    for (char c : quoted)
        EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "raw control character in " << quoted;
    Result parsed = python("import json, sys\ns = json.loads(sys.stdin.read())\n"
                           "print([ord(c) for c in s[:31]] == list(range(1, 32)), repr(s[31:]))\n",
                           quoted);
    ASSERT_EQ(parsed.exit, 0) << parsed.err << quoted;
    EXPECT_EQ(parsed.out, "True '\"\\\\/\\x7fcafé'\n") << quoted;
}

TEST_F(Tool, SeveralOutputDocumentsAreSavedAsFileFile2File3)
{
    host::Session session;
    host::MifStore store;
    session.setStore(&store);
    std::vector<ObjectId> outputs;
    for (const char* text : {"first", "second", "third"}) {
        host::DocBuilder b(session.model());
        b.format("Heading1").format("Body").paragraph("Heading1", text).paragraph("Body", std::string(text) + " body");
        outputs.push_back(session.add(*b.build()));
    }
    cli::Request req;
    req.output = file("out.mif").string();
    std::ostringstream out, err;
    cli::Reporter report(err, false);
    const cli::InputFiles none;
    ASSERT_EQ(cli::ShowOutputDocuments(session, outputs, req, none, out, report), cli::OutputsSaved::Ok) << err.str();
    EXPECT_EQ(out.str(), "# first\nfirst body\n# second\nsecond body\n# third\nthird body\n");
    EXPECT_EQ(cli::OutputFile("dir/x.mif", 2), "dir/x-3.mif");

    // Each file holds its own document, and the tool reads it back.
    const std::pair<const char*, const char*> saved[] = {
        {"out.mif", "first"}, {"out-2.mif", "second"}, {"out-3.mif", "third"}};
    for (const auto& [name, text] : saved) {
        ASSERT_TRUE(fs::exists(file(name))) << name;
        Result usage = run({"report", "--tag", "Heading1", file(name).string()});
        EXPECT_EQ(usage.exit, 0) << usage.err;
        EXPECT_TRUE(Contains(Slurp(file(name)), std::string("`") + text + "'")) << name;
    }
    EXPECT_FALSE(fs::exists(file("out-4.mif")));

    // A save that fails is reported with the file and the others are still written.
    req.output = (file("no-such-dir") / "o.mif").string();
    std::ostringstream err2;
    cli::Reporter report2(err2, false);
    EXPECT_EQ(cli::ShowOutputDocuments(session, outputs, req, none, out, report2), cli::OutputsSaved::Failed);
    EXPECT_TRUE(Contains(err2.str(), "no-such-dir/o-3.mif")) << err2.str();

    // When a later file (out-3.mif) is one the run reads, none is written.
    req.output = file("again.mif").string();
    std::ofstream(file("again-3.mif")) << "read by the run";
    cli::InputFiles inputs;
    inputs.add(file("again-3.mif").string());
    std::ostringstream err3;
    cli::Reporter report3(err3, false);
    EXPECT_EQ(cli::ShowOutputDocuments(session, outputs, req, inputs, out, report3), cli::OutputsSaved::Refused);
    EXPECT_TRUE(Contains(err3.str(), "will not write " + file("again-3.mif").string())) << err3.str();
    EXPECT_FALSE(fs::exists(file("again.mif")));
    EXPECT_EQ(Slurp(file("again-3.mif")), "read by the run");
}

TEST(ProgressBar, FillsInProportionAndNamesTheFile)
{
    EXPECT_EQ(cli::ProgressBar(1, 4, "Examining: a.mif", 8), "[##------] 1/4 Examining: a.mif");
    EXPECT_EQ(cli::ProgressBar(4, 4, "x", 8), "[########] 4/4 x");
    EXPECT_EQ(cli::ProgressBar(5, 4, "x", 8), "[########] 5/4 x"); // more files than counted
    EXPECT_EQ(cli::ProgressBar(2, 0, "x", 4), "[----] 2 x");       // size unknown
}

TEST(ProgressBar, ReporterCountsPerWalkAndClearsBeforeMessages)
{
    std::ostringstream err;
    cli::Reporter r(err, false);
    r.startProgress(2);
    r.status("Examining: a.mif");
    r.status("Examining: b.mif");
    r.status("Removing Unused Tags: a.mif"); // the second walk starts again at 1
    r.warning("careful");
    r.status("");
    EXPECT_EQ(err.str(), "\r\033[K[##########----------] 1/2 Examining: a.mif"
                         "\r\033[K[####################] 2/2 Examining: b.mif"
                         "\r\033[K[##########----------] 1/2 Removing Unused Tags: a.mif"
                         "\r\033[Ktagwright: warning: careful\n");
}

} // namespace
} // namespace tw::cli_test

namespace tw::cli_test {
namespace {

// Each subcommand that runs the plug-in on a document or book runs, on a document, a command of
// the table that works on documents, and on a book one that works on books, with any of its
// options.
TEST(Subcommands, RunCommandsOfTheRightKindFromTheTable)
{
    for (const cli::Subcommand& s : cli::Subcommands()) {
        if ((s.flags & cli::kToolOwn) || !s.path)
            continue; // the tool's own, or one that takes no document
        const char* name = s.name;
        for (int variant = 0; variant < 3; variant++) {
            cli::Request r;
            r.subcommand = name;
            r.eachFile = variant == 1;
            r.byTag = variant == 2;
            if (variant == 1 && (s.flags & cli::kTakesTag))
                r.tag = "Body";
            auto numbers = cli::CommandsFor(r);
            ASSERT_TRUE(numbers) << name;
            if (numbers->document) {
                const TwCommandInfo* info = TwCommandByNumber(numbers->document);
                ASSERT_NE(info, nullptr) << name;
                EXPECT_EQ(info->flags & TW_COMMAND_ON_BOOK, 0) << name << " runs " << info->name;
            }
            if (numbers->book) {
                const TwCommandInfo* info = TwCommandByNumber(numbers->book);
                ASSERT_NE(info, nullptr) << name;
                EXPECT_NE(info->flags & TW_COMMAND_ON_BOOK, 0) << name << " runs " << info->name;
            }
            EXPECT_TRUE(numbers->document || numbers->book) << name;
        }
    }
    cli::Request unknown;
    unknown.subcommand = "frobnicate";
    EXPECT_FALSE(cli::CommandsFor(unknown));
}

} // namespace
} // namespace tw::cli_test
