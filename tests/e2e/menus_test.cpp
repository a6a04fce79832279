// menus_test.cpp - the "Paragraphs" submenus as the host sees them after the plug-in has
// initialised: item order, names, labels and shortcuts, where they sit inside an existing
// "Tools" menu, and the notification request.
#include <algorithm>

#include "plugin_fixture.h"

namespace tw::e2e {
namespace {

using host::MemoryMode;
using host::MenuItem;
using host::ObjKind;

// One line per menu item: "<number> <name> '<label>' [shortcut]", "--- <separator>" or
// "menu <name> '<label>'".
std::vector<std::string> Describe(Model& m, const MenuItem& menu)
{
    std::vector<std::string> lines;
    for (ObjectId id : menu.items) {
        const MenuItem* item = m.menuItem(id);
        if (!item) {
            lines.push_back("?");
            continue;
        }
        switch (item->kind) {
        case ObjKind::Separator: lines.push_back("--- " + item->name); break;
        case ObjKind::Command:
            lines.push_back(std::to_string(item->command) + " " + item->name + " '" + item->label + "'" +
                            (item->shortcut.empty() ? "" : " " + item->shortcut));
            break;
        default: lines.push_back("menu " + item->name + " '" + item->label + "'");
        }
    }
    return lines;
}

std::vector<std::string> Labels(Model& m, const MenuItem& menu)
{
    std::vector<std::string> labels;
    for (ObjectId id : menu.items)
        labels.push_back(m.menuItem(id) ? m.menuItem(id)->label : "?");
    return labels;
}

int CountMenusNamed(Model& m, const std::string& name)
{
    return static_cast<int>(
        std::count_if(m.menus.begin(), m.menus.end(), [&](const auto& entry) { return entry.second.name == name; }));
}

bool Holds(const MenuItem* menu, ObjectId item)
{
    return menu && std::find(menu->items.begin(), menu->items.end(), item) != menu->items.end();
}

class MenusTest : public PluginTest, public ::testing::WithParamInterface<MemoryMode> {
protected:
    MenusTest() : PluginTest(GetParam()) { }

    // A "Tools" menu made by another client before the plug-in loads, holding commands with
    // the given labels.
    void ExistingTools(const std::string& name, const std::string& bar, const std::vector<std::string>& labels)
    {
        ObjectId tools = model().defineMenu(name, "Tools").id;
        model().addToMenu(model().menuByName(bar, ObjKind::Menu)->id, tools);
        int number = 500;
        for (const auto& label : labels) {
            ObjectId item = model().defineCommand(number, "Other" + std::to_string(number), label, "").id;
            number++;
            model().addToMenu(tools, item);
        }
    }

    const MenuItem& Menu(const std::string& name)
    {
        const MenuItem* menu = model().menuByName(name, ObjKind::Menu);
        EXPECT_NE(menu, nullptr) << name;
        static const MenuItem none;
        return menu ? *menu : none;
    }
};

TEST_P(MenusTest, DocumentSubmenuHoldsEveryItemInOrder)
{
    Load();
    const MenuItem& tools = Menu("VellTools");
    EXPECT_EQ(tools.label, "Tools");
    EXPECT_EQ(Describe(model(), tools), (std::vector<std::string>{"menu Tagwright 'Paragraphs'"}));
    EXPECT_EQ(Describe(model(), Menu("Tagwright")), (std::vector<std::string>{
                                                        "1 ListParagraphUsage 'List Paragraph Usage'",
                                                        "2 DeleteUnusedParagraphs 'Delete Unused Paragraph Tags'",
                                                        "--- Separator1",
                                                        "3 CreateParagraphList 'Create Paragraph Tag List'",
                                                        "4 RemoveNonlistParagraphs 'Remove Non-list Paragraph Tags'",
                                                        "--- Separator2",
                                                        "5 CreateConversionDocument 'Create Conversion Document'",
                                                        "6 ConvertParagraphsInDoc 'Convert Paragraphs'",
                                                        "--- Separator3",
                                                        "7 RemoveOverrides 'Remove Overrides'",
                                                        "8 FindNextOverride 'Find Next Override' \\!ov",
                                                        "--- Separator4",
                                                        "menu ParagraphTagReport 'Generate Paragraph Tag Report'",
                                                        "--- Separator5",
                                                        "1000 TagwrightAbout 'About Tagwright...'",
                                                    }));
    EXPECT_EQ(Describe(model(), Menu("ParagraphTagReport")),
              (std::vector<std::string>{"16 GenerateParagraphTagReport 'All Tags'",
                                        "17 GenerateParagraphTagReportSingle 'Selected Tag...'"}));
    // The shortcut is the four characters backslash, !, o, v.
    const MenuItem* find = model().menuByName("FindNextOverride", ObjKind::Command);
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->shortcut.size(), 4u);
}

TEST_P(MenusTest, BookSubmenuHoldsEveryItemAndSharesAbout)
{
    Load();
    EXPECT_EQ(Menu("VellToolsBook").label, "Tools");
    EXPECT_EQ(Describe(model(), Menu("VellToolsBook")), (std::vector<std::string>{"menu TagwrightBook 'Paragraphs'"}));
    EXPECT_EQ(Describe(model(), Menu("TagwrightBook")),
              (std::vector<std::string>{
                  "9 ListParagraphUsageBook 'List Paragraph Usage'",
                  "18 ListParagraphUsageBookIndFiles 'List Paragraph Usage - Individual'",
                  "19 ParagraphUsageBookByFormat 'List Paragraph Usage - By Tag'",
                  "10 DeleteUnusedParagraphsBook 'Delete Unused Paragraph Tags'",
                  "--- Separator1",
                  "11 CreateParagraphListBook 'Create Paragraph Tag List'",
                  "12 RemoveNonlistParagraphsBook 'Remove Non-list Paragraph Tags'",
                  "--- Separator2",
                  "13 CreateConversionDocumentBook 'Create Conversion Document'",
                  "14 ConvertParagraphsBook 'Convert Paragraphs'",
                  "--- Separator3",
                  "15 RemoveOverridesBook 'Remove Overrides'",
                  "--- Separator4",
                  "1000 TagwrightAbout 'About Tagwright...'",
              }));
    EXPECT_EQ(Menu("Tagwright").items.back(), Menu("TagwrightBook").items.back());
    EXPECT_EQ(CountMenusNamed(model(), "TagwrightAbout"), 1);
}

TEST_P(MenusTest, ToolsMenusGoOnTheirBarsAndTheQuickBar)
{
    Load();
    ObjectId docTools = Menu("VellTools").id;
    ObjectId bookTools = Menu("VellToolsBook").id;
    EXPECT_TRUE(Holds(&Menu("!MakerMainMenu"), docTools));
    EXPECT_FALSE(Holds(&Menu("!MakerMainMenu"), bookTools));
    EXPECT_TRUE(Holds(&Menu("!BookMainMenu"), bookTools));
    EXPECT_FALSE(Holds(&Menu("!BookMainMenu"), docTools));
    EXPECT_TRUE(Holds(&Menu("!QuickMakerMainMenu"), docTools));
    EXPECT_TRUE(Holds(&Menu("!QuickMakerMainMenu"), bookTools));
    EXPECT_EQ(session.host().notificationsRequested(), std::vector<int32_t>{13});
}

TEST_P(MenusTest, OtherInitialisationTypesBuildNoMenusButAskForMessages)
{
    Load(2);
    EXPECT_EQ(model().menuByName("VellTools", ObjKind::Menu), nullptr);
    EXPECT_EQ(model().menuByName("Tagwright", ObjKind::Menu), nullptr);
    EXPECT_EQ(session.host().notificationsRequested(), std::vector<int32_t>{13});
}

INSTANTIATE_TEST_SUITE_P(BothMemoryModes, MenusTest, ::testing::Values(MemoryMode::Shared, MemoryMode::TaskMemory));

class PlacementTest : public MenusTest { };

TEST_P(PlacementTest, ExistingToolsMenuIsReusedAndParagraphsSortsBeforeStyles)
{
    ExistingTools("VellTools", "!MakerMainMenu", {"Alpha", "Styles"});
    size_t barItems = Menu("!MakerMainMenu").items.size();
    size_t quickItems = Menu("!QuickMakerMainMenu").items.size();
    Load();
    EXPECT_EQ(Labels(model(), Menu("VellTools")), (std::vector<std::string>{"Alpha", "Paragraphs", "Styles"}));
    EXPECT_EQ(CountMenusNamed(model(), "VellTools"), 1);
    EXPECT_EQ(Menu("!MakerMainMenu").items.size(), barItems);
    // The quick bar gains only the book side's new menu.
    EXPECT_EQ(Menu("!QuickMakerMainMenu").items.size(), quickItems + 1);
}

TEST_P(PlacementTest, WalkReachingTheSubmenuLeavesItLast)
{
    ExistingTools("VellTools", "!MakerMainMenu", {"Alpha", "Beta"});
    ExistingTools("VellToolsBook", "!BookMainMenu", {"Alpha", "Beta"});
    Load();
    EXPECT_EQ(Labels(model(), Menu("VellTools")), (std::vector<std::string>{"Alpha", "Beta", "Paragraphs"}));
    EXPECT_EQ(Labels(model(), Menu("VellToolsBook")), (std::vector<std::string>{"Alpha", "Beta", "Paragraphs"}));
}

TEST_P(PlacementTest, LabelsCompareIgnoringCaseByteByByte)
{
    // "styles" stops the walk although lower case; "paragraph styles" does not (its blank
    // sorts below the letter s).
    ExistingTools("VellTools", "!MakerMainMenu", {"Alpha", "paragraph styles", "styles"});
    ExistingTools("VellToolsBook", "!BookMainMenu", {"PARAGRAPHS", "Zed"});
    Load();
    EXPECT_EQ(Labels(model(), Menu("VellTools")),
              (std::vector<std::string>{"Alpha", "paragraph styles", "Paragraphs", "styles"}));
    EXPECT_EQ(Labels(model(), Menu("VellToolsBook")), (std::vector<std::string>{"Paragraphs", "PARAGRAPHS", "Zed"}));
    EXPECT_EQ(CountMenusNamed(model(), "VellToolsBook"), 1);
}

INSTANTIATE_TEST_SUITE_P(Shared, PlacementTest, ::testing::Values(MemoryMode::Shared));

} // namespace
} // namespace tw::e2e
