// cli_tables_csv_test.cpp - tag tables as CSV: a table made as CSV, filled in as a
// spreadsheet would, converts a document and a book exactly as the same table as a MIF
// document does; a CSV not of a table's shape is refused with its line and reason.

#include "tests/cli/tool_fixture.h"

namespace tw::cli_test {
namespace {

// The same rows as a MIF table document, written as the publishing program would save one.
void WriteMifTable(const fs::path& to, const std::vector<std::vector<std::string>>& rows)
{
    std::ofstream out(to);
    out << "<MIFFile 2019>\n<PgfCatalog\n <Pgf <PgfTag `Body'>>\n <Pgf <PgfTag `CellBody'>>\n>\n"
           "<Tbls\n <Tbl\n  <TblID 1>\n  <TblTag `Format A'>\n  <TblNumColumns "
        << rows.front().size() << ">\n";
    for (size_t r = 0; r < rows.size(); r++) {
        out << (r == 0 ? "  <TblH\n" : r == 1 ? "  <TblBody\n" : "") << "   <Row\n";
        for (const std::string& cell : rows[r])
            out << "    <Cell <CellContent <Para <PgfTag `CellBody'>"
                << (cell.empty() ? "" : " <ParaLine <String `" + cell + "'>>") << ">>>\n";
        out << "   >\n" << (r == 0 || r + 1 == rows.size() ? "  >\n" : "");
    }
    out << " >\n>\n<TextFlow <TFTag `A'> <TFAutoConnect Yes>\n <Para <PgfTag `Body'> <ParaLine <ATbl 1>>>\n>\n";
}

TEST_F(Tool, AConversionTableFilledInAsCsvConvertsAsTheSameTableInMif)
{
    Result made = run(
        {"make-conversion", "--choice", "all", chapter("Intro.mif").string(), "-o", file("conversion.csv").string()});
    ASSERT_EQ(made.exit, 0) << made.err;
    const std::string csv = Slurp(file("conversion.csv"));
    ASSERT_EQ(csv.rfind("Source Tag,Destination Tag\r\nBody,\r\nBulleted,\r\n", 0), 0u) << csv;
    // One row per tag, as the table document has them: the listing shows the same rows.
    for (const std::string tag : {"Heading2", "OldStyle", "TableTitle"})
        EXPECT_TRUE(Contains(csv, "\r\n" + tag + ",\r\n")) << tag;

    // Filled in: Bulleted becomes Body; the first of two Heading2 rows (a missing format) wins.
    std::string filled = csv;
    filled.replace(filled.find("Bulleted,"), 9, "\"Bulleted\",Body");
    filled.replace(filled.find("Heading2,"), 9, "Heading2,No Such Format\r\nHeading2,Heading1");
    std::ofstream(file("filled.csv"), std::ios::binary) << filled;
    std::vector<std::vector<std::string>> rows = {{"Source Tag", "Destination Tag"}};
    std::istringstream lines(filled);
    std::string line;
    std::getline(lines, line); // the header
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line[0] == '"')
            line = "Bulleted,Body";
        rows.push_back({line.substr(0, line.find(',')), line.substr(line.find(',') + 1)});
    }
    WriteMifTable(file("filled.mif"), rows);

    Result dry = run({"--dry-run", "convert", chapter("Intro.mif").string(), "--table", file("filled.csv").string()});
    EXPECT_EQ(dry.exit, 0) << dry.err;
    EXPECT_TRUE(Contains(dry.out, "retagged Bulleted -> Body: 2\n")) << dry.out;
    EXPECT_FALSE(Contains(dry.out, "Heading2 ->")) << dry.out;

    // A document and the whole book, once through each table, from the same files.
    const auto original = bookBytes();
    std::map<std::string, std::map<std::string, std::string>> results;
    for (const std::string table : {"filled.csv", "filled.mif"}) {
        Result doc =
            run({"--yes", "--write", "convert", chapter("Intro.mif").string(), "--table", file(table).string()});
        EXPECT_EQ(doc.exit, 0) << table << ": " << doc.err;
        const std::string converted = Slurp(chapter("Intro.mif"));
        for (const auto& [path, bytes] : original) // back to the book as it was
            std::ofstream(path, std::ios::binary) << bytes;
        Result book = run({"--yes", "convert", this->book().string(), "--table", file(table).string()});
        EXPECT_EQ(book.exit, 0) << table << ": " << book.err;
        results[table] = bookBytes();
        results[table]["document"] = converted;
        for (const auto& [path, bytes] : original)
            std::ofstream(path, std::ios::binary) << bytes;
    }
    EXPECT_NE(results["filled.csv"]["document"], original.at(chapter("Intro.mif").string()));
    EXPECT_NE(results["filled.csv"], original);
    EXPECT_EQ(results["filled.csv"], results["filled.mif"]);
}

// Tags that a spreadsheet would take for formulas (=, +, -, @ at their start) are written with
// a leading quote, and so is a tag that begins with a quote; reading the table takes the quote
// away again, so each converts as itself.
TEST_F(Tool, TagsThatLookLikeFormulasAreWrittenSafelyAndReadBackAsThemselves)
{
    const fs::path doc = file("formulas.mif");
    std::ofstream(doc, std::ios::binary)
        << "<MIFFile 2019>\n<PgfCatalog\n <Pgf <PgfTag `Body'>>\n <Pgf <PgfTag `-Draft'>>\n"
           " <Pgf <PgfTag `=Total'>>\n <Pgf <PgfTag `\\qQuoted'>>\n>\n<TextFlow <TFTag `A'>\n"
           " <Para <PgfTag `-Draft'> <ParaLine <String `a'>>>\n <Para <PgfTag `=Total'> <ParaLine <String `b'>>>\n"
           " <Para <PgfTag `\\qQuoted'> <ParaLine <String `c'>>>\n>\n";
    Result made = run({"make-conversion", "--choice", "all", doc.string(), "-o", file("t.csv").string()});
    ASSERT_EQ(made.exit, 0) << made.err;
    std::string csv = Slurp(file("t.csv"));
    for (const std::string row : {"\r\n'-Draft,\r\n", "\r\n'=Total,\r\n", "\r\n''Quoted,\r\n"})
        EXPECT_TRUE(Contains(csv, row)) << csv;
    csv.replace(csv.find("'-Draft,"), 8, "'-Draft,Body");
    csv.replace(csv.find("''Quoted,"), 9, "''Quoted,'=Total");
    std::ofstream(file("t.csv"), std::ios::binary) << csv;
    Result dry = run({"--dry-run", "convert", doc.string(), "--table", file("t.csv").string()});
    EXPECT_EQ(dry.exit, 0) << dry.err;
    EXPECT_TRUE(Contains(dry.out, "retagged -Draft -> Body: 1\n")) << dry.out;
    EXPECT_TRUE(Contains(dry.out, "retagged 'Quoted -> =Total: 1\n")) << dry.out;
}

TEST_F(Tool, AListTableAsCsvKeepsWhatTheSameListInMifKeeps)
{
    const std::string intro = chapter("Intro.mif").string();
    ASSERT_EQ(run({"make-list", "--choice", "in-use", intro, "-o", file("keep.csv").string()}).exit, 0);
    ASSERT_EQ(run({"make-list", "--choice", "in-use", intro, "-o", file("keep.mif").string()}).exit, 0);
    Result viaCsv =
        run({"--dry-run", "--format", "json", "keep-listed", book().string(), "--table", file("keep.csv").string()});
    Result viaMif =
        run({"--dry-run", "--format", "json", "keep-listed", book().string(), "--table", file("keep.mif").string()});
    EXPECT_EQ(viaCsv.exit, 0) << viaCsv.err;
    EXPECT_TRUE(Contains(viaCsv.out, "\"formatsDeleted\": [\"Note\"")) << viaCsv.out;
    EXPECT_EQ(viaCsv.out, viaMif.out);
}

TEST_F(Tool, ACsvNotShapedAsATagTableIsRefusedWithItsLineAndReason)
{
    struct Case {
        std::string command; // keep-listed or convert
        std::string csv;
        std::string said; // after "bad.csv: "
    };
    const std::vector<Case> cases = {
        {"convert", "", "line 1: no header row"},
        {"convert", "Source Tag;Destination Tag\r\nBody;Heading1\r\n", "line 1: the header has 1 field"},
        {"convert", "Tag,New Tag\r\n", "line 1: the header must be 'Tags to Keep'"},
        {"convert", "Tags to Keep\r\nBody\r\n", "line 1: this is a list table; the command takes a conversion table"},
        {"keep-listed", "Source Tag,Destination Tag\r\n",
         "line 1: this is a conversion table; the command takes a list"},
        {"convert", "Source Tag,Destination Tag\r\nBody,Heading1\r\nBulleted\r\n", "line 3: 1 field; a row of a"},
        {"convert", "Source Tag,Destination Tag\nBody,Heading1,Note\n", "line 2: 3 fields"},
        {"keep-listed", "Tags to Keep\r\n\"Body\r\n", "line 2: a field holds a line break"},
        {"keep-listed", "Tags to Keep\r\nBody\r\n\"Heading1", "line 3: a quoted field is not closed"},
        {"keep-listed", "Tags to Keep\r\nBo\"dy\r\n", "line 2: a quote inside an unquoted field"},
        {"keep-listed", "Tags to Keep\r\n\"Body\"x\r\n", "line 2: text after the closing quote"},
        {"keep-listed", "Tags to Keep\r\nBody\r\nCaf\xe9\r\n", "line 3: not UTF-8 text"},
    };
    const auto before = bookBytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        std::ofstream(file("bad.csv"), std::ios::binary) << c.csv;
        Result r = run({"--yes", c.command, book().string(), "--table", file("bad.csv").string()});
        EXPECT_EQ(r.exit, 2) << r.err;
        EXPECT_TRUE(Contains(r.err, "tagwright: error: " + file("bad.csv").string() + ": " + c.said)) << r.err;
        EXPECT_EQ(bookBytes(), before);
    }
    // What a spreadsheet adds is taken: a byte order mark, LF line ends, blank lines.
    std::ofstream(file("ok.csv"), std::ios::binary) << "\xEF\xBB\xBFSource Tag,Destination Tag\n\nBulleted,Body\n";
    Result ok = run({"--dry-run", "convert", chapter("Intro.mif").string(), "--table", file("ok.csv").string()});
    EXPECT_EQ(ok.exit, 0) << ok.err;
    EXPECT_TRUE(Contains(ok.out, "retagged Bulleted -> Body: 2")) << ok.out;
}

} // namespace
} // namespace tw::cli_test
