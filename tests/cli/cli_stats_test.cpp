// cli_stats_test.cpp - the tool's own views of a document or book: stats (aligned text, CSV,
// JSON, the references an unused format leaves), compare against a template, and the HTML
// page, read back with standard parsers and, where it can run, headless Chromium.

#include "tests/cli/tool_fixture.h"

namespace tw::cli_test {
namespace {

// Prints "tag:count,count,..|paragraphs|files" per CSV row, and the header's file columns.
constexpr const char* kCsvDigest = R"(
import csv, sys
rows = list(csv.reader(sys.stdin))
header = rows[0]
files = header[7:-1]
print("files=" + "|".join(files))
for r in rows[1:]:
    assert len(r) == len(header), r
    cells = r[7:-1]
    if r[0] == "tag":
        assert sum(int(c) for c in cells if c) == int(r[4]), r
        assert sum(1 for c in cells if c and int(c) > 0) == int(r[6]), r
    print("%s %s:%s cat=%s unused=%s over=%s next=%s" % (r[0], r[1], ",".join(cells), r[2], r[3], r[5], r[-1]))
)";

TEST_F(Tool, StatsOfABookIsATagByFileMatrixInWalkOrder)
{
    Result csv = run({"--format", "csv", "stats", book().string()});
    ASSERT_EQ(csv.exit, 0) << csv.err;
    Result digest = python(kCsvDigest, csv.out);
    ASSERT_EQ(digest.exit, 0) << digest.err << csv.out;
    // The book walk's order: Intro, the folder's Tables, then Appendix.
    EXPECT_TRUE(Contains(digest.out, "files=Intro.mif|reference/Tables.mif|Appendix.mif\n")) << digest.out;
    EXPECT_TRUE(Contains(digest.out, "tag Body:6,5,4 cat=yes unused=no over=3 next=\"Heading1\", \"Heading2\"\n"))
        << digest.out;
    EXPECT_TRUE(Contains(digest.out, "tag OldStyle:0,0,0 cat=yes unused=yes")) << digest.out;
    // A tag on paragraphs without a format of that name.
    EXPECT_TRUE(Contains(digest.out, "tag Legacy Tag:0,0,1 cat=no unused=no")) << digest.out;
    EXPECT_TRUE(Contains(digest.out, "total :22,23,15")) << digest.out;

    // The same numbers as JSON, one object.
    Result json = run({"--format", "json", "stats", book().string()});
    ASSERT_EQ(json.exit, 0) << json.err;
    Result parsed = python(R"(
import json, sys
s = json.load(sys.stdin)
print([f["file"] for f in s["files"]], s["book"])
body = [t for t in s["tags"] if t["tag"] == "Body"][0]
print(body["perFile"], body["overrides"], body["nextTagOf"])
print(sum(f["paragraphs"] for f in s["files"]), sum(t["paragraphs"] for t in s["tags"]))
)",
                           json.out);
    ASSERT_EQ(parsed.exit, 0) << parsed.err << json.out;
    EXPECT_EQ(parsed.out, "['Intro.mif', 'reference/Tables.mif', 'Appendix.mif'] True\n"
                          "[6, 5, 4] 3 ['Heading1', 'Heading2']\n60 60\n");
}

TEST_F(Tool, StatsTextColumnsLineUp)
{
    Result r = run({"stats", book().string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    std::istringstream lines(r.out);
    std::string title, header, line;
    std::getline(lines, title);
    std::getline(lines, header);
    EXPECT_EQ(title, "# Example.book.mif");
    // Numbers are right-aligned under their heading: each ends where the heading ends.
    const size_t paragraphsEnd = header.find("Paragraphs") + std::string("Paragraphs").size();
    const size_t appendixEnd = header.find("Appendix.mif") + std::string("Appendix.mif").size();
    int rows = 0;
    while (std::getline(lines, line) && line.rfind("##", 0) != 0) {
        rows++;
        ASSERT_GE(line.size(), appendixEnd) << line;
        EXPECT_NE(line[paragraphsEnd - 1], ' ') << line;
        EXPECT_EQ(line[paragraphsEnd], ' ') << line;
        EXPECT_NE(line[appendixEnd - 1], ' ') << line;
    }
    EXPECT_EQ(rows, 14) << r.out; // 13 tags and the totals
}

TEST_F(Tool, StatsOfABookWithAMissingFileCountsTheRestAndExitsTwo)
{
    fs::remove(chapter("Appendix.mif"));
    Result r = run({"--format", "json", "stats", book().string()});
    EXPECT_EQ(r.exit, 2);
    EXPECT_TRUE(Contains(r.err, "Appendix")) << r.err;
    Result parsed = python(R"(
import json, sys
s = json.load(sys.stdin)
print([(f["file"].split("/")[-1], f["opened"]) for f in s["files"]])
print([t["perFile"] for t in s["tags"] if t["tag"] == "Body"][0])
)",
                           r.out);
    ASSERT_EQ(parsed.exit, 0) << parsed.err << r.out;
    EXPECT_EQ(parsed.out, "[('Intro.mif', True), ('Tables.mif', True), ('Appendix.fm', False)]\n"
                          "[6, 5, None]\n");

    Result text = run({"stats", book().string()});
    EXPECT_EQ(text.exit, 2);
    EXPECT_TRUE(Contains(text.out, "(total)")) << text.out;
}

TEST_F(Tool, StatsListsNextTagsThatNameAnUnusedFormat)
{
    edit(chapter("Intro.mif"), "<PgfNextTag `'>", "<PgfNextTag `OldStyle'>"); // Body's next tag
    // Not in use while Body's PgfUseNextTag is No.
    Result inert = run({"stats", chapter("Intro.mif").string()});
    ASSERT_EQ(inert.exit, 0) << inert.err;
    EXPECT_FALSE(Contains(inert.out, "## Next tags naming unused formats")) << inert.out;

    edit(chapter("Intro.mif"), "<PgfUseNextTag No>", "<PgfUseNextTag Yes>");
    Result r = run({"stats", chapter("Intro.mif").string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "## Next tags naming unused formats\nIntro.mif: Body -> OldStyle\n")) << r.out;
    Result csv = run({"--format", "csv", "stats", chapter("Intro.mif").string()});
    EXPECT_TRUE(Contains(csv.out, "\r\ntag,OldStyle,yes,yes,0,0,0,0,\"\"\"Body\"\"\"\r\n")) << csv.out;
}

TEST_F(Tool, CsvAndJsonQuoteWhatNeedsQuoting)
{
    // A tag with a comma, quotes and a backslash survives both parsers.
    edit(chapter("Intro.mif"), "<PgfTag `OldStyle'>", "<PgfTag `Old, \"Style\\\\'>");
    Result csv = run({"--format", "csv", "stats", chapter("Intro.mif").string()});
    ASSERT_EQ(csv.exit, 0) << csv.err;
    Result fromCsv =
        python("import csv, sys\nprint([r[1] for r in csv.reader(sys.stdin) if r[1].startswith('Old')])\n", csv.out);
    EXPECT_EQ(fromCsv.out, "['Old, \"Style\\\\']\n") << fromCsv.err << csv.out;
    Result json = run({"--format", "json", "stats", chapter("Intro.mif").string()});
    Result fromJson = python(
        "import json, sys\nprint([t['tag'] for t in json.load(sys.stdin)['tags'] if t['tag'].startswith('Old')])\n",
        json.out);
    EXPECT_EQ(fromJson.out, "['Old, \"Style\\\\']\n") << fromJson.err << json.out;
}

// ---- compare --------------------------------------------------------------------------------

TEST_F(Tool, CompareWithItselfIsEqual)
{
    Result r = run({"compare", chapter("Intro.mif").string(), chapter("Intro.mif").string()});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "The paragraph catalogues are the same.")) << r.out;
}

TEST_F(Tool, CompareNamesMissingExtraAndDifferingPropertiesInReportUnits)
{
    fs::copy_file(chapter("Intro.mif"), file("Template.mif"));
    edit(file("Template.mif"), "<PgfTag `OldStyle'>", "<PgfTag `Quote'>"); // missing from Intro; OldStyle extra
    edit(file("Template.mif"), "<FSize  10.0 pt>", "<FSize  11.0 pt>");    // Body's font size
    edit(file("Template.mif"), "<PgfFIndent  0.0\">", "<PgfFIndent  0.25\">");

    Result text = run({"compare", chapter("Intro.mif").string(), file("Template.mif").string()});
    EXPECT_EQ(text.exit, 4) << text.err;
    EXPECT_TRUE(Contains(text.out, "## Missing from Intro.mif\nQuote\n")) << text.out;
    EXPECT_TRUE(Contains(text.out, "## Extra in Intro.mif\nOldStyle\n")) << text.out;

    Result json = run({"--format", "json", "compare", chapter("Intro.mif").string(), file("Template.mif").string()});
    EXPECT_EQ(json.exit, 4);
    Result parsed = python(R"(
import json, sys
c = json.load(sys.stdin)
print(c["equal"], c["missing"], c["extra"])
for d in c["different"]:
    print(d["format"], d["property"], d["document"], "|", d["template"])
)",
                           json.out);
    ASSERT_EQ(parsed.exit, 0) << parsed.err << json.out;
    EXPECT_EQ(parsed.out, "False ['Quote'] ['OldStyle']\n"
                          "Body FSize 10.00 points | 11.00 points\n"
                          "Body PgfFIndent 0.000 inches | 0.250 inches\n");

    Result csv = run({"--format", "csv", "compare", chapter("Intro.mif").string(), file("Template.mif").string()});
    Result rows = python("import csv, sys\nfor r in csv.reader(sys.stdin): print('/'.join(r))\n", csv.out);
    EXPECT_EQ(rows.out, "kind/format/property/document/template\nmissing/Quote///\nextra/OldStyle///\n"
                        "different/Body/FSize/10.00 points/11.00 points\n"
                        "different/Body/PgfFIndent/0.000 inches/0.250 inches\n")
        << rows.err << csv.out;

    Result missing = run({"compare", chapter("Intro.mif").string(), file("nothing.mif").string()});
    EXPECT_EQ(missing.exit, 2);
    EXPECT_TRUE(Contains(missing.err, "nothing.mif")) << missing.err;
}

// ---- the HTML page -----------------------------------------------------------------------

// Chromium as Debian installs it, run headless; empty when there is none.
std::string Chromium()
{
    for (const char* name : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
        if (access(name, X_OK) == 0)
            return name;
    return {};
}

TEST_F(Tool, StatsHtmlIsOnePageThatNeedsNothingElse)
{
    Result r = run({"stats", "--html", file("stats.html").string(), book().string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    const std::string page = Slurp(file("stats.html"));
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_FALSE(Contains(page, "http:")) << "the page refers to the network";
    EXPECT_FALSE(Contains(page, "https:"));
    EXPECT_FALSE(Contains(page, " src=")) << "the page loads something";
    EXPECT_FALSE(Contains(page, "<link"));
    EXPECT_TRUE(Contains(page, "<td class=\"num count\" data-file=\"reference/Tables.mif\"")) << page;
    EXPECT_TRUE(Contains(page, "<tr data-tag=\"OldStyle\" class=\"unused\">")) << page;
}

TEST_F(Tool, StatsHtmlRendersAndSortsInChromium)
{
    const std::string chromium = Chromium();
    if (chromium.empty())
        GTEST_SKIP() << "chromium is not installed (scripts/setup installs it); the page is not rendered";
    Result r = run({"stats", "--html", file("stats.html").string(), book().string()});
    ASSERT_EQ(r.exit, 0) << r.err;

    const std::string flags = " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                              " --disable-background-networking --disable-component-update --disable-sync"
                              " --user-data-dir=" +
                              Quote(file("profile").string());
    const std::string url = "file://" + file("stats.html").string() + "#sort=-paragraphs";
    std::string cmd = Quote(chromium) + flags + " --virtual-time-budget=2000 --dump-dom " + Quote(url) + " >" +
                      Quote(file("dom.html").string()) + " 2>" + Quote(file("chromium.txt").string());
    const int status = std::system(cmd.c_str());
    const std::string dom = Slurp(file("dom.html"));
    if (status != 0 && dom.empty())
        GTEST_SKIP() << "chromium cannot run here: " << Slurp(file("chromium.txt"));

    // The script ran: the table is marked ready and sorted by paragraphs, largest first.
    EXPECT_TRUE(Contains(dom, "data-ready=\"yes\"")) << dom;
    EXPECT_TRUE(Contains(dom, "aria-sort=\"descending\"")) << dom;
    const size_t body = dom.find("<tbody>");
    ASSERT_NE(body, std::string::npos) << dom;
    EXPECT_EQ(dom.find("<tr data-tag=", body), dom.find("<tr data-tag=\"CellBody\"", body)) << dom;
    EXPECT_LT(dom.find("data-tag=\"Body\"", body), dom.find("data-tag=\"OldStyle\"", body));
    // The matrix cells as the page shows them.
    const size_t bodyRow = dom.find("<tr data-tag=\"Body\"", body);
    const std::string row = dom.substr(bodyRow, dom.find("</tr>", bodyRow) - bodyRow);
    EXPECT_TRUE(Contains(row, "data-file=\"Intro.mif\"")) << row;
    for (const char* cell : {">6</td>", ">5</td>", ">4</td>", ">15</td>"})
        EXPECT_TRUE(Contains(row, cell)) << cell << " in " << row;

    // The screenshot is kept beside the build for a person to look at.
    fs::create_directories(TAGWRIGHT_ARTEFACT_DIR);
    const fs::path shot = fs::path(TAGWRIGHT_ARTEFACT_DIR) / "stats-heatmap.png";
    fs::remove(shot);
    cmd = Quote(chromium) + flags +
          " --hide-scrollbars --window-size=1100,700 --virtual-time-budget=2000"
          " --screenshot=" +
          Quote(shot.string()) + " " + Quote(url) + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    ASSERT_TRUE(fs::exists(shot));
    EXPECT_EQ(Slurp(shot).substr(1, 3), "PNG");
}

} // namespace
} // namespace tw::cli_test
