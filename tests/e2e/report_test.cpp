// report_test.cpp - the paragraph tag report as the user reads it: every line of one format
// in its fixed order and number formats, the display and font-size units, tab stops, the
// sorted "All Tags" sections, and the format chosen in "Selected Tag...".
#include <algorithm>

#include "plugin_fixture.h"

namespace tw::e2e {
namespace {

using host::PgfProps;
using host::TabStop;

using Listing = std::vector<ParagraphText>;

constexpr int32_t kPt = 0x10000;
constexpr int32_t kInch = 0x480000;

// The report of a format holding every default property, with inches and points as units.
Listing DefaultSection()
{
    return {
        H2("Default Font"),
        Body("Capitalization: Normal "),
        Body("Change Bar: False "),
        Body("Color: Black "),
        Body("Background Color:  "),
        Body("Font Family: Times "),
        Body("Font Angle: Regular "),
        Body("Font Size: 12.00 points"),
        Body("Font Variation: Regular "),
        Body("Font Weight: Regular "),
        Body("Spread: 0.00%"),
        Body("Stretch: 100.00%"),
        Body("Overline: False "),
        Body("Pair Kern: True "),
        Body("Position: Normal "),
        Body("Strikethrough: False "),
        Body("Underlining: None "),
        Body("Alignment: Justified "),
        Body("Language: usenglish "),
        H2("Tabs"),
        H2("Word Spacing"),
        Body("Allow Automatic Letter Spacing: False "),
        Body("Minimum: 90.00%"),
        Body("Maximum: 110.00%"),
        Body("Optimum: 100.00%"),
        H2("Indents"),
        Body("First Indent: 0.000 inches"),
        Body("Left Indent: 0.000 inches"),
        Body("Right Indent: 0.000 inches"),
        H2("Line Spacing"),
        Body("Line Spacing: 14.00 points"),
        Body("Spacing: Fixed "),
        Body("Space Above: 0.00 points"),
        Body("Space Below: 0.00 points"),
        H2("Pagination"),
        Body("Widow-Orphan Lines: 1 "),
        Body("Keep With Next: False "),
        Body("Keep With Previous: False "),
        Body("Format: In Column "),
        Body("Run-in Head Default Punctuation: .  "),
        Body("Start: Anywhere "),
        H2("Next Tag"),
        Body("Use Next Tag: False "),
        Body("Next Tag:  "),
        H2("Autonumbering"),
        Body("Autonumbering: False "),
        Body("Number at End: False "),
        Body("Character Format:  "),
        Body("Autonumber Format:  "),
        H2("Hyphenation"),
        Body("Hyphenate: False "),
        Body("Max Number Adjacent: 2 "),
        Body("Shortest Prefix: 3 "),
        Body("Shortest Suffix: 3 "),
        Body("Shortest Word: 5 "),
        H2("Reference Frames"),
        Body("Frame Below Paragraph:  "),
        Body("Frame Above Paragraph:  "),
        H2("Table Cells"),
        Body("Cell Vertical Alignment: Top "),
        Body("Bottom Margin - From Table Format Plus: 0.00 points"),
        Body("Top Margin - From Table Format Plus: 0.00 points"),
        Body("Left Margin - From Table Format Plus: 0.00 points"),
        Body("Right Margin - From Table Format Plus: 0.00 points"),
        H2("PDF Properties"),
        Body("Named Destination: False "),
        Body("Bookmark Level: 0 "),
        Body("Structure Level: 0 "),
    };
}

// The lines of a listing that start with prefix.
Listing Matching(const Listing& listing, const std::string& prefix)
{
    Listing lines;
    for (const auto& p : listing)
        if (p.text.rfind(prefix, 0) == 0)
            lines.push_back(p);
    return lines;
}

class ReportTest : public PluginTest {
protected:
    // One document holding the given formats; its units as given.
    ObjectId OpenWith(const std::vector<std::pair<std::string, PgfProps>>& formats, int32_t displayUnit = kInch,
                      int32_t fontSizeUnit = kPt)
    {
        DocBuilder doc(model(), "C:\\Docs\\d.fm");
        for (const auto& [name, props] : formats)
            doc.format(name, props);
        doc.doc().displayUnits = displayUnit;
        doc.doc().fontSizeUnits = fontSizeUnit;
        ObjectId id = Open(doc);
        return id;
    }

    // Runs "Selected Tag..." choosing name and returns the report without its heading.
    Listing ReportOf(const std::string& name)
    {
        session.chooseFromList(name);
        session.command(TW_CMD_TAG_REPORT_SINGLE);
        Listing out = Output();
        EXPECT_FALSE(out.empty());
        if (out.empty())
            return out;
        EXPECT_EQ(out.front(), H1(name));
        out.erase(out.begin());
        return out;
    }
};

TEST_F(ReportTest, SelectedTagReportsEveryGroupInOrder)
{
    OpenWith({{"Body", {}}, {"Alpha", {}}});
    Load();
    EXPECT_EQ(ReportOf("Body"), DefaultSection()) << "no empty paragraph after the section";
    ASSERT_EQ(session.host().listDialogs().size(), 1u);
    const auto& dialog = session.host().listDialogs()[0];
    EXPECT_EQ(dialog.title, "Choose a format.");
    EXPECT_EQ(dialog.items, (std::vector<std::string>{"Alpha", "Body"}));
    EXPECT_EQ(dialog.defaultIndex, 0);
}

TEST_F(ReportTest, ValuesAreReadTheWayTheReportPrintsThem)
{
    PgfProps props = {
        {611, 2},                  // boolean 2 is not true
        {619, 4},                  // capitalization not listed: no line
        {547, 0},                  // alignment not listed: no line
        {618, 0x1000},             // spread 6.25 %
        {751, std::string("White")},
        {992, std::string("Black")},
        {604, std::string("Courier")},
        {606, std::string("Bold")},
        {556, kInch},              // first indent 1 inch
        {558, 3 * kPt},            // line spacing shows 3 pt + the 12 pt font size
        {587, 1},
        {577, 0},                  // no language
        {589, 123456789},          // wider than eight digits
        {586, 0x2 | 0x1},          // bottom and left margins are custom
        {582, 2 * kPt},
        {583, 4 * kPt},
        {578, std::string("")},
    };
    OpenWith({{"Body", props}});
    Load();
    Listing report = ReportOf("Body");
    EXPECT_TRUE(Matching(report, "Capitalization").empty());
    EXPECT_TRUE(Matching(report, "Alignment").empty());
    EXPECT_EQ(report.front(), H2("Default Font")) << "headings are written regardless";
    for (const auto& [prefix, line] : std::vector<std::pair<std::string, std::string>>{
             {"Change Bar", "Change Bar: False "},
             {"Spread", "Spread: 6.25%"},
             {"Color", "Color: White "},
             {"Background Color", "Background Color: Black "},
             {"Font Family", "Font Family: Courier "},
             {"Font Weight", "Font Weight: Bold "},
             {"First Indent", "First Indent: 1.000 inches"},
             {"Line Spacing:", "Line Spacing: 15.00 points"},
             {"Spacing", "Spacing: Not Fixed "},
             {"Language", "Language:  "},
             {"Bookmark Level", "Bookmark Level: 123456789 "},
             {"Run-in", "Run-in Head Default Punctuation:  "},
         })
        EXPECT_EQ(Matching(report, prefix), (Listing{Body(line)})) << prefix;
    EXPECT_EQ(Matching(report, "Bottom Margin"), (Listing{Body("Bottom Margin - Custom: 2.00 points")}));
    EXPECT_EQ(Matching(report, "Top Margin"), (Listing{Body("Top Margin - From Table Format Plus: 0.00 points")}));
    EXPECT_EQ(Matching(report, "Left Margin"), (Listing{Body("Left Margin - Custom: 4.00 points")}));
    EXPECT_EQ(Matching(report, "Right Margin"), (Listing{Body("Right Margin - From Table Format Plus: 0.00 points")}));
}

TEST_F(ReportTest, DisplayAndFontSizeUnits)
{
    PgfProps props = {{556, kInch}, {615, 12 * kPt}};
    struct Case {
        int32_t display, fontSize;
        std::string indent, size;
    };
    for (const Case& c : std::vector<Case>{
             {kPt, kPt, "First Indent: 72.000 points", "Font Size: 12.00 points"},
             {0x1C58B1, 46448, "First Indent: 2.540 centimeters", "Font Size: 16.93 Q"},
             {0x20000, kPt, "First Indent: 36.000 ", "Font Size: 12.00 points"}, // unit without a name
             // Units that read 0 would divide by zero: the values are shown in points.
             {0, 0, "First Indent: 72.000 points", "Font Size: 12.00 points"},
         }) {
        SCOPED_TRACE(c.indent);
        OpenWith({{"Body", props}}, c.display, c.fontSize);
        if (!session.loaded())
            Load();
        Listing report = ReportOf("Body");
        EXPECT_EQ(Matching(report, "First Indent"), (Listing{Body(c.indent)}));
        EXPECT_EQ(Matching(report, "Font Size"), (Listing{Body(c.size)}));
    }
}

TEST_F(ReportTest, OneLinePerTabStopInTheHostsOrder)
{
    std::vector<TabStop> tabs = {
        {kInch, TAB_LEFT, "", '.'},
        {kInch / 2, 7, "..", 0}, // a type the report does not name, no decimal character
        {2 * kInch, TAB_DECIMAL, "-", ','},
    };
    OpenWith({{"Tabbed", {{574, tabs}}}, {"Plain", {}}});
    Load();
    Listing report = ReportOf("Tabbed");
    auto tabsAt = std::find(report.begin(), report.end(), H2("Tabs"));
    ASSERT_NE(tabsAt, report.end());
    EXPECT_EQ(Listing(tabsAt, tabsAt + 5),
              (Listing{H2("Tabs"),
                       Body("Tab: Type: Left Align   Position: 1.000 inches  Decimal: .  Leader:  "),
                       Body("Tab: Type:   Position: 0.500 inches  Decimal:   Leader: .. "),
                       Body("Tab: Type: Decimal   Position: 2.000 inches  Decimal: ,  Leader: - "),
                       H2("Word Spacing")}));
}

TEST_F(ReportTest, AllTagsSortsByteWiseAndEndsEachSectionWithAnEmptyBody)
{
    OpenWith({{"body", {}}, {"Heading2", {}}, {"Heading1x", {}}, {"Body", {}}, {"Zeta", {}}});
    Load();
    session.command(TW_CMD_TAG_REPORT);
    Listing out = Output();
    std::vector<std::string> names;
    for (size_t i = 0; i < out.size(); i++) {
        if (out[i].tag != "Heading1")
            continue;
        names.push_back(out[i].text);
        if (i > 0) {
            EXPECT_EQ(out[i - 1], Body("")) << "before " << out[i].text;
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Body", "Heading1x", "Heading2", "Zeta", "body"}));
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), Body(""));
    Listing expected = {H1("Body")};
    Listing section = DefaultSection();
    expected.insert(expected.end(), section.begin(), section.end());
    expected.push_back(Body(""));
    EXPECT_EQ(Listing(out.begin(), out.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(out.size(), 5 * expected.size());
    EXPECT_TRUE(session.host().listDialogs().empty());
}

TEST_F(ReportTest, CancelOrNoDocumentCreatesNothing)
{
    OpenWith({{"Body", {}}});
    Load();
    session.chooseFromList(-1);
    session.command(TW_CMD_TAG_REPORT_SINGLE);
    EXPECT_TRUE(session.outputDocuments().empty());
    EXPECT_EQ(session.host().listDialogs().size(), 1u);

    session.activate(0);
    session.command(TW_CMD_TAG_REPORT);
    EXPECT_TRUE(session.outputDocuments().empty());
    session.command(TW_CMD_TAG_REPORT_SINGLE);
    EXPECT_TRUE(session.outputDocuments().empty());
    EXPECT_EQ(session.host().listDialogs().size(), 1u);
    EXPECT_TRUE(session.alerts().empty()) << "both report commands end silently";
}

} // namespace
} // namespace tw::e2e
