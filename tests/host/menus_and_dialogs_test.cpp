// menus_and_dialogs_test.cpp - menus as a client builds them (named bars, separators, define
// and add, labels, first/next items, moving an item), scripted alerts and list choices, the
// console and book status lines, and text converted to and from the client's encoding.
#include <gtest/gtest.h>

#include "bridge/boundary.h"
#include "client_view.h"
#include "host/model/builder.h"
#include "host/mif/text.h"

namespace tw::host {
namespace {

using testing::ClientView;

struct Menus : ::testing::Test {
    Host host;
    ClientView c{host};

    ObjectId named(int32_t type, const char* name, int32_t* status = nullptr)
    {
        int32_t st = -1;
        ObjectId id = 0;
        HostSlotGetNamedObject(c.api())(c.api(), 0, type, name, &st, &id);
        if (status)
            *status = st;
        return st == 0 ? id : 0;
    }
    std::vector<std::string> labels(ObjectId menu)
    {
        std::vector<std::string> out;
        for (ObjectId i = c.getId(0, menu, PROP_FIRST_MENU_ITEM); i; i = c.getId(0, i, PROP_NEXT_MENU_ITEM))
            out.push_back(c.getString(0, i, PROP_LABEL));
        return out;
    }
    ObjectId defineAndAddMenu(ObjectId bar, const char* tag, const char* label, int32_t* status = nullptr)
    {
        int32_t st = -1;
        ObjectId id = 0;
        HostSlotDefineAndAddMenu(c.api())(c.api(), bar, tag, label, &st, &id);
        if (status)
            *status = st;
        return id;
    }
    ObjectId defineMenu(const char* tag, const char* label)
    {
        int32_t st = -1;
        ObjectId id = 0;
        HostSlotDefineMenu(c.api())(c.api(), tag, label, &st, &id);
        return id;
    }
    ObjectId command(int32_t n, ObjectId menu, const char* tag, const char* label)
    {
        int32_t st = -1;
        ObjectId id = 0;
        HostSlotDefineAndAddCommand(c.api())(c.api(), n, menu, tag, label, "", &st, &id);
        return id;
    }
    int32_t addMenu(ObjectId to, ObjectId menu)
    {
        int32_t st = -1;
        HostSlotAddMenuToMenu(c.api())(c.api(), to, menu, &st);
        return st;
    }
    int32_t addCommand(ObjectId to, ObjectId item)
    {
        int32_t st = -1;
        HostSlotAddCommandToMenu(c.api())(c.api(), to, item, &st);
        return st;
    }
    int32_t alert(const char* text, int32_t kind)
    {
        int32_t answer = 12345;
        HostSlotShowAlert(c.api())(c.api(), text, kind, &answer);
        return answer;
    }
    int32_t choose(std::vector<const char*> items, int32_t* chosen)
    {
        int32_t st = 12345;
        StringArray arr{static_cast<uint32_t>(items.size()), const_cast<char**>(items.data())};
        HostSlotChooseFromList(c.api())(c.api(), &st, chosen, "Choose a list type", &arr, -1);
        return st;
    }
};

TEST_F(Menus, PredefinedBarsAndSeparatorsAreFoundByName)
{
    for (const char* bar : {"!MakerMainMenu", "!BookMainMenu", "!QuickMakerMainMenu"})
        EXPECT_NE(named(OBJ_MENU, bar), 0u) << bar;
    for (int i = 1; i <= 5; i++)
        EXPECT_NE(named(OBJ_MENU_SEPARATOR, ("Separator" + std::to_string(i)).c_str()), 0u);
    int32_t st = 0;
    EXPECT_EQ(named(OBJ_MENU, "VellTools", &st), 0u);
    EXPECT_NE(st, 0);
    EXPECT_EQ(named(OBJ_MENU_SEPARATOR, "Separator6"), 0u);
}

TEST_F(Menus, ClientMenusAreBuiltInOrderAndShareCommands)
{
    ObjectId bar = named(OBJ_MENU, "!MakerMainMenu");
    ObjectId tools = defineAndAddMenu(bar, "VellTools", "Tools");
    ASSERT_NE(tools, 0u);
    EXPECT_EQ(labels(bar).back(), "Tools");
    EXPECT_EQ(addMenu(named(OBJ_MENU, "!QuickMakerMainMenu"), tools), 0);
    int32_t st = 0;
    defineAndAddMenu(bar, "VellTools", "Tools again", &st);
    EXPECT_NE(st, 0); // the name is taken

    ObjectId sub = defineMenu("Tagwright", "Paragraphs");
    ObjectId about = command(TW_CMD_ABOUT, sub, "TagwrightAbout", "About Tagwright...");
    EXPECT_EQ(addCommand(sub, named(OBJ_MENU_SEPARATOR, "Separator1")), 0);
    command(TW_CMD_LIST_USAGE, sub, "ListParagraphUsage", "List Paragraph Usage");
    EXPECT_EQ(addMenu(tools, sub), 0);
    EXPECT_EQ(labels(sub), (std::vector<std::string>{"About Tagwright...", "", "List Paragraph Usage"}));
    EXPECT_EQ(host.model().menuItem(about)->command, TW_CMD_ABOUT);

    ObjectId bookSub = defineMenu("TagwrightBook", "Paragraphs");
    EXPECT_EQ(addCommand(bookSub, about), 0); // one command object in two menus
    EXPECT_EQ(labels(bookSub), std::vector<std::string>{"About Tagwright..."});
    EXPECT_NE(addCommand(bookSub, sub), 0); // menus are added with AddMenuToMenu
    EXPECT_NE(addMenu(bookSub, bar), 0);    // a bar goes in no menu
}

TEST_F(Menus, SettingNextItemMovesTheItemBeforeTheGivenOneAndItselfLeavesItAlone)
{
    ObjectId tools = defineMenu("VellTools", "Tools");
    defineAndAddMenu(tools, "A", "Alpha");
    ObjectId styles = defineAndAddMenu(tools, "S", "Styles");
    ObjectId sub = defineMenu("Tagwright", "Paragraphs");
    addMenu(tools, sub);
    ASSERT_EQ(labels(tools), (std::vector<std::string>{"Alpha", "Styles", "Paragraphs"}));
    EXPECT_EQ(c.setId(tools, sub, PROP_NEXT_MENU_ITEM, sub), 0);
    EXPECT_EQ(labels(tools), (std::vector<std::string>{"Alpha", "Styles", "Paragraphs"}));
    EXPECT_EQ(c.setId(tools, sub, PROP_NEXT_MENU_ITEM, styles), 0);
    EXPECT_EQ(labels(tools), (std::vector<std::string>{"Alpha", "Paragraphs", "Styles"}));
    EXPECT_EQ(c.getId(0, sub, PROP_NEXT_MENU_ITEM), styles);
}

TEST_F(Menus, QuestionsTakeScriptedAnswersAndNotesDoNot)
{
    host.queueAlertAnswer(0);
    host.queueAlertAnswer(-1);
    EXPECT_EQ(alert("Please open a document first.", ALERT_NOTE), 0);
    EXPECT_EQ(alert("Are you sure you want to remove paragraph overrides?", ALERT_QUESTION), 0);
    EXPECT_EQ(alert("Are you sure you want to convert paragraph tags?", ALERT_QUESTION), -1);
    EXPECT_NE(alert("Unscripted question?", ALERT_QUESTION), 0); // nobody there: cancel
    ASSERT_EQ(host.alerts().size(), 4u);
    EXPECT_EQ(host.alerts()[0].kind, ALERT_NOTE);
    EXPECT_EQ(host.alerts()[1].text, "Are you sure you want to remove paragraph overrides?");
    EXPECT_EQ(host.alerts()[2].answer, -1);
}

TEST_F(Menus, ListChoicesByIndexOrTextAndCancel)
{
    host.queueListChoice(2);
    host.queueListChoice(std::string("Paragraph Tags in Use"));
    int32_t chosen = -7;
    EXPECT_EQ(choose({"Empty", "Paragraph Tags in Use", "All Paragraph Tags"}, &chosen), 0);
    EXPECT_EQ(chosen, 2);
    EXPECT_EQ(choose({"Empty", "Paragraph Tags in Use", "All Paragraph Tags"}, &chosen), 0);
    EXPECT_EQ(chosen, 1);
    EXPECT_NE(choose({"Empty"}, &chosen), 0); // queue empty: the user cancels
    ASSERT_EQ(host.listDialogs().size(), 3u);
    EXPECT_EQ(host.listDialogs()[0].title, "Choose a list type");
    EXPECT_EQ(host.listDialogs()[0].items.size(), 3u);
    EXPECT_EQ(host.listDialogs()[2].chosen, -1);
}

TEST_F(Menus, ConsoleTextIsKeptAsLinesAndEveryStatusLineIsRecorded)
{
    int32_t st = -1;
    for (const char* piece : {"Could not open file:", "/b/ch2.fm", "\n", "next"})
        HostSlotPrintToConsole(c.api())(c.api(), piece, &st);
    EXPECT_EQ(host.consoleLines(), (std::vector<std::string>{"Could not open file:/b/ch2.fm", "next"}));

    BookBuilder bb(host.model(), "/b/b.book");
    ObjectId book = host.model().adoptBook(bb.file("/b/ch1.fm").build()).id;
    EXPECT_EQ(c.setString(0, book, PROP_STATUS_LINE, "Examining: ch1.fm"), 0);
    EXPECT_EQ(c.setString(0, book, PROP_STATUS_LINE, ""), 0);
    EXPECT_EQ(host.statusLines(), (std::vector<std::string>{"Examining: ch1.fm", ""}));
    EXPECT_EQ(c.getString(0, book, PROP_STATUS_LINE), "");
}

TEST_F(Menus, TextCrossesTheBoundaryInFrameRoman)
{
    ASSERT_TRUE(host.converterReady()) << "the FrameRoman converter is missing from " << DefaultInstallDir();
    DocBuilder b(host.model());
    b.format("Caf\xC3\xA9"); // "Café" in UTF-8
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    ObjectId f = c.getId(0, doc, PROP_FIRST_PGF_FORMAT);
    EXPECT_EQ(c.getString(doc, f, PROP_NAME), "Caf\x8E"); // é is 0x8E in FrameRoman
    EXPECT_EQ(c.setString(doc, f, PROP_NAME, "R\x8Esum\x8E"), 0);
    EXPECT_EQ(host.model().document(doc)->format(f)->name, "R\xC3\xA9sum\xC3\xA9");
    EXPECT_EQ(alert("Caf\x8E", ALERT_NOTE), 0);
    EXPECT_EQ(host.alerts().back().text, "Caf\xC3\xA9");
}

// Legacy MIF text and text crossing the boundary use one FrameRoman: the MIF reader's table
// and the converter the plug-in and host share agree on every character of the set.
TEST_F(Menus, MifReaderAndBoundaryConverterAgreeOnFrameRoman)
{
    ASSERT_TRUE(host.converterReady());
    for (int byte = 0x80; byte <= 0xFF; byte++) {
        const uint32_t cp = FrameRomanToUnicode(static_cast<uint8_t>(byte));
        if (cp == 0)
            continue; // not a character of the set
        std::string utf8;
        if (cp < 0x800)
            utf8 = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
        else
            utf8 = {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (cp & 0x3F))};
        EXPECT_EQ(host.toClient(utf8), std::string(1, static_cast<char>(byte))) << "byte 0x" << std::hex << byte;
        EXPECT_EQ(FrameRomanFromUnicode(cp), byte);
    }
}

} // namespace
} // namespace tw::host
