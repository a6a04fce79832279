// cli_book_compare_test.cpp - a book against its template: the chapter that drifted is named
// with what drifted, in every output form, and the exit status says whether all match.

#include <algorithm>

#include "tests/cli/tool_fixture.h"

namespace tw::cli_test {
namespace {

// Chapter paths as printed: Windows prints its own separator; the names are compared with '/'.
std::string Slashed(std::string text)
{
#ifdef _WIN32
    std::replace(text.begin(), text.end(), '\\', '/');
#endif
    return text;
}

class BookCompare : public Tool {
protected:
    void SetUp() override
    {
        Tool::SetUp();
        // Every chapter of the example book has Intro's catalogue.
        fs::copy_file(chapter("Intro.mif"), file("Template.mif"));
    }
    Result compare(const std::vector<std::string>& options = {})
    {
        std::vector<std::string> args = {"compare"};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), {book().string(), file("Template.mif").string()});
        Result r = run(args);
        r.out = Slashed(r.out);
        r.err = Slashed(r.err);
        return r;
    }
};

TEST_F(BookCompare, EveryChapterMatchingItsTemplateExitsZero)
{
    Result r = compare();
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "reference/Tables.mif: matches\nAppendix.mif: matches\n")) << r.out;
}

TEST_F(BookCompare, TheDriftedChapterIsNamedInEveryForm)
{
    // Appendix: Body one point larger, Note renamed Remark.
    edit(chapter("Appendix.mif"), "<FSize  10.0 pt>", "<FSize  11.0 pt>");
    edit(chapter("Appendix.mif"), "<PgfTag `Note'>", "<PgfTag `Remark'>");
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases = {
        {{},
         {"Intro.mif: matches\n", "reference/Tables.mif: matches\n",
          "Appendix.mif: differs (1 missing, 1 extra, 1 different)\n", "# Appendix.mif against Template.mif\n",
          "Body    FSize     11.00 points  10.00 points\n"}},
        {{"--format", "csv"},
         {"chapter,kind,format,property,document,template\r\n", "Appendix.mif,missing,Note,,,\r\n",
          "Appendix.mif,extra,Remark,,,\r\n", "Appendix.mif,different,Body,FSize,11.00 points,10.00 points\r\n"}},
        {{"--format", "json"},
         {"\"book\": \"Example.book.mif\"", "\"document\": \"Appendix.mif\", \"template\": \"Template.mif\", "
                                            "\"equal\": false"}},
        {{"--html", "-"},
         {"<td class=\"different\" data-chapter=\"Appendix.mif\" title=\"FSize: 11.00 points (template 10.00 "
          "points)\">1 property</td>",
          "<td class=\"missing\" data-chapter=\"Appendix.mif\"",
          "<th class=\"differs\" title=", "<td class=\"same\" data-chapter=\"Intro.mif\">"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.empty() ? "text" : c.options.back());
        Result r = compare(c.options);
        EXPECT_EQ(r.exit, 4) << r.err;
        for (const std::string& part : c.said)
            EXPECT_TRUE(Contains(r.out, part)) << part << "\n" << r.out;
        EXPECT_FALSE(Contains(r.out, "Intro.mif,")) << r.out;
    }
}

TEST_F(BookCompare, AChapterThatCannotBeReadIsNamedAndExitsTwo)
{
    edit(chapter("Appendix.mif"), "<FSize  10.0 pt>", "<FSize  11.0 pt>");
    fs::remove(chapter("reference/Tables.mif"));
    Result r = compare();
    EXPECT_EQ(r.exit, 2) << r.err;
    EXPECT_TRUE(
        Contains(r.err, "tagwright: error: " + Slashed(chapter("reference/Tables.fm").string()) + ": no such file"))
        << r.err;
    EXPECT_TRUE(Contains(r.out, "reference/Tables.fm: cannot be read\nAppendix.mif: differs")) << r.out;

    // A template that is a book is a usage error; one document against a template is as before.
    EXPECT_EQ(run({"compare", book().string(), book().string()}).exit, 1);
    Result one = run({"compare", chapter("Appendix.mif").string(), file("Template.mif").string()});
    EXPECT_EQ(one.exit, 4);
    EXPECT_EQ(one.out.rfind("# Appendix.mif against Template.mif\n", 0), 0u) << one.out;
}

} // namespace
} // namespace tw::cli_test
