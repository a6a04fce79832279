// properties_test.cpp - property answers the client relies on: whole property lists and the
// override flag, format deletion, traversal of flows, chains, tables, pages and books, the
// selection with command code 259, and failures for numbers the host does not know.
#include <gtest/gtest.h>

#include "bridge/boundary.h"
#include "client_view.h"
#include "host/model/builder.h"
#include "host/model/properties.h"

namespace tw::host {
namespace {

using testing::ClientView;

struct Properties : ::testing::Test {
    Host host{MemoryMode::TaskMemory};
    ClientView c{host};

    ObjectId named(ObjectId doc, const char* name)
    {
        int32_t st = -1;
        ObjectId id = 0;
        HostSlotGetNamedObject(c.api())(c.api(), doc, OBJ_PGF_FORMAT, name, &st, &id);
        return st == 0 ? id : 0;
    }
    // GetPropertyList of one object, SetPropertyList onto another, as the client applies a format.
    int32_t copyList(ObjectId doc, ObjectId from, ObjectId to)
    {
        int32_t st = -1;
        PropertyList list{};
        HostSlotGetPropertyList(c.api())(c.api(), doc, from, &st, &list);
        if (st != 0)
            return st;
        HostSlotSetPropertyList(c.api())(c.api(), doc, to, &list, &st);
        for (uint32_t i = 0; i < list.count; i++) {
            TypedValue& v = list.entries[i].value;
            if (v.kind == VALUE_STRING)
                c.release(v.u.s);
            if (v.kind == VALUE_TABS) {
                for (uint32_t t = 0; t < v.u.tabs.count; t++)
                    c.release(v.u.tabs.tabs[t].leader);
                c.release(v.u.tabs.tabs);
            }
        }
        c.release(list.entries);
        return st;
    }
};

TEST_F(Properties, ApplyingAFormatsWholeListRetagsAndClearsTheOverride)
{
    DocBuilder b(host.model());
    b.format("Body").format("Note", {{615, 9 << 16}, {574, std::vector<TabStop>{{0x480000, TAB_DECIMAL, ".", ','}}}});
    b.paragraph("Body", "text", {{553, 6 << 16}});
    ObjectId para = b.lastParagraph();
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    ASSERT_EQ(c.getInt(doc, para, PROP_OVERRIDE), 1);

    ObjectId note = named(doc, "Note");
    ASSERT_NE(note, 0u);
    EXPECT_EQ(copyList(doc, note, para), 0);
    EXPECT_EQ(c.getString(doc, para, PROP_NAME), "Note");
    EXPECT_EQ(c.getInt(doc, para, PROP_OVERRIDE), 0);
    EXPECT_EQ(c.getInt(doc, para, 615), 9 << 16);
    EXPECT_EQ(c.getInt(doc, para, 553), 0);
    const Document& d = *host.model().document(doc);
    EXPECT_EQ(d.paragraph(para)->props, d.format(note)->props);
    EXPECT_EQ(d.paragraph(para)->text, "text");
}

TEST_F(Properties, ClearingTheOverrideFlagKeepsTheParagraphsProperties)
{
    DocBuilder b(host.model());
    b.format("Body").paragraph("Body", "x", {{570, 3 << 16}});
    ObjectId para = b.lastParagraph();
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    EXPECT_EQ(c.setInt(doc, para, PROP_OVERRIDE, 0), 0);
    EXPECT_EQ(c.getInt(doc, para, PROP_OVERRIDE), 0);
    EXPECT_EQ(c.getInt(doc, para, 570), 3 << 16);
    // Setting one property to something other than the format's marks it again.
    EXPECT_EQ(c.setInt(doc, para, 611, 1), 0);
    EXPECT_EQ(c.getInt(doc, para, PROP_OVERRIDE), 1);
}

TEST_F(Properties, AFormatlessParagraphGivenAPropertyReadsAsOverridden)
{
    DocBuilder b(host.model());
    b.format("Body").paragraph("Ghost", "x");
    ObjectId para = b.lastParagraph();
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    ASSERT_EQ(c.getInt(doc, para, PROP_OVERRIDE), 0);
    // Retagging to another tag without a format sets no property of its own.
    EXPECT_EQ(c.setString(doc, para, PROP_NAME, "Phantom"), 0);
    EXPECT_EQ(c.getInt(doc, para, PROP_OVERRIDE), 0);
    EXPECT_EQ(c.setInt(doc, para, 611, 1), 0);
    EXPECT_EQ(c.getInt(doc, para, PROP_OVERRIDE), 1);
}

TEST_F(Properties, FormatListsCarryNameAndEveryModelledPropertyWithItsKind)
{
    DocBuilder b(host.model());
    b.format("Heading1", {{751, std::string("White")}, {604, std::string("Helvetica")}});
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    ObjectId f = named(doc, "Heading1");
    int32_t st = -1;
    PropertyList list{};
    HostSlotGetPropertyList(c.api())(c.api(), doc, f, &st, &list);
    ASSERT_EQ(st, 0);
    EXPECT_EQ(list.count, ParagraphProperties().size());
    ASSERT_GT(list.count, 0u);
    EXPECT_EQ(list.entries[0].ident.number, PROP_NAME);
    EXPECT_STREQ(list.entries[0].value.u.s, "Heading1");
    for (uint32_t i = 0; i < list.count; i++) {
        const PropertyEntry& e = list.entries[i];
        if (e.ident.number == 751) {
            EXPECT_EQ(e.value.kind, VALUE_SCALAR4);
            EXPECT_EQ(c.getString(doc, static_cast<ObjectId>(e.value.u.i), PROP_NAME), "White");
        }
        if (e.ident.number == 604) {
            EXPECT_EQ(host.model().fontFamilies.at(static_cast<size_t>(e.value.u.i)), "Helvetica");
        }
        if (e.value.kind == VALUE_STRING)
            c.release(e.value.u.s);
        if (e.value.kind == VALUE_TABS)
            c.release(e.value.u.tabs.tabs);
    }
    c.release(list.entries);
}

TEST_F(Properties, TabStopsComeBackAsATabList)
{
    DocBuilder b(host.model());
    b.format("Tabbed",
             {{574, std::vector<TabStop>{{0x480000, TAB_DECIMAL, ".", ','}, {0x900000, TAB_RIGHT, "", '.'}}}});
    b.format("Plain");
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    PropertyIdent id{574, nullptr};
    int32_t st = -1;
    TabList tabs{};
    HostSlotGetTabListProperty(c.api())(c.api(), doc, named(doc, "Tabbed"), &id, &st, &tabs);
    ASSERT_EQ(st, 0);
    ASSERT_EQ(tabs.count, 2u);
    EXPECT_EQ(tabs.tabs[0].position, 0x480000);
    EXPECT_EQ(tabs.tabs[0].kind, TAB_DECIMAL);
    EXPECT_STREQ(tabs.tabs[0].leader, ".");
    EXPECT_EQ(tabs.tabs[0].decimal, ',');
    EXPECT_EQ(tabs.tabs[1].kind, TAB_RIGHT);
    for (uint32_t i = 0; i < tabs.count; i++)
        c.release(tabs.tabs[i].leader);
    c.release(tabs.tabs);
    TabList none{};
    HostSlotGetTabListProperty(c.api())(c.api(), doc, named(doc, "Plain"), &id, &st, &none);
    EXPECT_EQ(st, 0);
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(none.tabs, nullptr);
}

TEST_F(Properties, AListWithAnUnknownNumberAppliesTheRestAndReportsTheFailure)
{
    DocBuilder b(host.model());
    b.format("Body").paragraph("Body", "x");
    ObjectId para = b.lastParagraph();
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    PropertyEntry entries[2] = {};
    entries[0].ident.number = 9999;
    entries[0].value.kind = VALUE_INT;
    entries[1].ident.number = 556;
    entries[1].value.kind = VALUE_SCALAR2;
    entries[1].value.u.i = 18 << 16;
    PropertyList list{2, entries};
    int32_t st = 0;
    HostSlotSetPropertyList(c.api())(c.api(), doc, para, &list, &st);
    EXPECT_NE(st, 0);
    EXPECT_EQ(c.getInt(doc, para, 556), 18 << 16);
    EXPECT_EQ(c.getInt(doc, para, PROP_OVERRIDE), 1);
}

TEST_F(Properties, DeletingAFormatRemovesItFromTheCatalogueOnly)
{
    DocBuilder b(host.model());
    b.format("Body").format("Note").format("Heading1").paragraph("Note", "kept");
    ObjectId para = b.lastParagraph();
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    int32_t st = -1;
    HostSlotDeleteObject(c.api())(c.api(), doc, named(doc, "Note"), &st);
    EXPECT_EQ(st, 0);
    std::vector<std::string> names;
    for (ObjectId f = c.getId(0, doc, PROP_FIRST_PGF_FORMAT); f; f = c.getId(doc, f, PROP_NEXT_PGF_FORMAT))
        names.push_back(c.getString(doc, f, PROP_NAME));
    EXPECT_EQ(names, (std::vector<std::string>{"Body", "Heading1"}));
    EXPECT_EQ(c.getString(doc, para, PROP_NAME), "Note");
    EXPECT_EQ(named(doc, "Note"), 0u);
    HostSlotDeleteObject(c.api())(c.api(), doc, para, &st);
    EXPECT_NE(st, 0); // only formats are deleted here
}

TEST_F(Properties, EveryParagraphHolderIsReachable)
{
    DocBuilder b(host.model());
    b.paragraph("Body", "one").paragraph("Body", "two");
    b.footnote({{"Footnote", "fn"}});
    b.table({{"h"}, {"c"}}, 1, "CellBody", {"title"});
    b.flow("B").paragraph("Side", "side");
    ObjectId doc = host.model().adoptDocument(b.build()).id;

    std::vector<std::string> seen;
    auto walk = [&](ObjectId p) {
        for (; p; p = c.getId(doc, p, PROP_NEXT_PARAGRAPH))
            seen.push_back(c.getString(doc, p, PROP_NAME) + ":" + host.model().document(doc)->paragraph(p)->text);
    };
    for (ObjectId f = c.getId(0, doc, PROP_FIRST_FLOW); f; f = c.getId(doc, f, PROP_NEXT_FLOW))
        walk(c.getId(doc, c.getId(doc, f, PROP_FIRST_FRAME), PROP_FIRST_PARAGRAPH));
    for (ObjectId h = c.getId(0, doc, PROP_FIRST_TEXT_HOLDER); h; h = c.getId(doc, h, PROP_NEXT_TEXT_HOLDER))
        walk(c.getId(doc, h, PROP_FIRST_PARAGRAPH));
    for (ObjectId t = c.getId(0, doc, PROP_FIRST_TABLE); t; t = c.getId(doc, t, PROP_NEXT_TABLE)) {
        for (ObjectId r = c.getId(doc, t, PROP_FIRST_ROW); r; r = c.getId(doc, r, PROP_NEXT_ROW))
            for (ObjectId cell = c.getId(doc, r, PROP_FIRST_CELL); cell; cell = c.getId(doc, cell, PROP_NEXT_CELL))
                walk(c.getId(doc, cell, PROP_FIRST_PARAGRAPH));
        walk(c.getId(doc, t, PROP_FIRST_PARAGRAPH));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Body:one", "Body:two", "Side:side", "Footnote:fn", "CellBody:h",
                                              "CellBody:c", "TableTitle:title"}));
}

TEST_F(Properties, CommandCode259MakesThePageShowingTheSelectionCurrent)
{
    DocBuilder b(host.model());
    b.paragraph("Body", "body");
    ObjectId bodyPara = b.lastParagraph();
    b.flow("M", PageKind::Master).paragraph("Header", "on master");
    ObjectId masterPara = b.lastParagraph();
    Document& d = host.model().adoptDocument(b.build());
    ObjectId master = c.getId(0, d.id, PROP_FIRST_MASTER_PAGE);
    ASSERT_NE(master, 0u);
    EXPECT_NE(c.getId(0, d.id, PROP_FIRST_REFERENCE_PAGE), 0u);
    EXPECT_EQ(c.getId(d.id, master, PROP_NEXT_PAGE), 0u);

    auto select = [&](ObjectId p) {
        PropertyIdent sel{PROP_SELECTION, nullptr};
        TextRange r{{p, 0}, {p, TW_END_OF_OBJECT}};
        int32_t st = -1;
        HostSlotSetTextRangeProperty(c.api())(c.api(), 0, d.id, &sel, &r, &st);
        ASSERT_EQ(st, 0);
        int32_t code = COMMAND_SHOW_SELECTION;
        IntList codes{1, &code};
        HostSlotRunCommandCodes(c.api())(c.api(), &codes, &st);
        ASSERT_EQ(st, 0);
    };
    select(masterPara);
    EXPECT_EQ(c.getId(0, d.id, PROP_CURRENT_PAGE), master);
    select(bodyPara);
    EXPECT_EQ(c.getId(0, d.id, PROP_CURRENT_PAGE), d.bodyPages.front());
}

TEST_F(Properties, BookComponentsAnswerKindChildrenParentAndNext)
{
    BookBuilder bb(host.model(), "/books/b.book");
    bb.file("ch1.fm").group("Part").file("ch2.fm").group("Folder", kComponentFolder).end().end().file("ch4.fm");
    ObjectId book = host.model().adoptBook(bb.build()).id;
    EXPECT_EQ(c.getId(0, 0, PROP_ACTIVE_BOOK), book);
    ObjectId ch1 = c.getId(0, book, PROP_FIRST_COMPONENT);
    EXPECT_EQ(c.getString(book, ch1, PROP_NAME), "ch1.fm");
    ObjectId part = c.getId(book, ch1, PROP_NEXT_COMPONENT);
    EXPECT_EQ(c.getInt(book, part, PROP_COMPONENT_KIND), kComponentGroup);
    ObjectId ch2 = c.getId(book, part, PROP_FIRST_CHILD_COMPONENT);
    EXPECT_EQ(c.getId(book, ch2, PROP_PARENT_COMPONENT), part);
    ObjectId folder = c.getId(book, ch2, PROP_NEXT_COMPONENT);
    EXPECT_EQ(c.getInt(book, folder, PROP_COMPONENT_KIND), kComponentFolder);
    EXPECT_EQ(c.getId(book, folder, PROP_FIRST_CHILD_COMPONENT), 0u);
    EXPECT_EQ(c.getId(book, folder, PROP_NEXT_COMPONENT), 0u);
    EXPECT_EQ(c.getString(book, c.getId(book, part, PROP_NEXT_COMPONENT), PROP_NAME), "ch4.fm");
    EXPECT_EQ(c.getId(book, ch1, PROP_PARENT_COMPONENT), 0u);
}

TEST_F(Properties, UnknownNumbersAndObjectsFailWithAStatus)
{
    DocBuilder b(host.model());
    b.format("Body").paragraph("Body", "x");
    ObjectId para = b.lastParagraph();
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    int32_t st = 0;
    c.getInt(doc, para, 4242, &st);
    EXPECT_NE(st, 0);
    c.getId(0, 0, 4242, &st);
    EXPECT_NE(st, 0);
    c.getString(doc, 999999, PROP_NAME, &st);
    EXPECT_NE(st, 0);
    EXPECT_EQ(c.getString(999999, para, PROP_NAME, &st), "<null>");
    EXPECT_NE(st, 0);
    c.getId(0, 0, PROP_FIRST_FLOW, &st); // a document property asked of the application
    EXPECT_NE(st, 0);
    c.getString(doc, para, 615, &st); // right number, wrong type
    EXPECT_NE(st, 0);
    EXPECT_EQ(c.getId(0, 0, PROP_FIRST_OPEN_DOC), doc);
    EXPECT_EQ(c.getId(doc, doc, PROP_NEXT_OPEN_DOC), 0u);
}

TEST_F(Properties, ApplicationAnswersFontListsUnitsAndScreenUpdating)
{
    Document& d = host.model().newCustomDocument(576 << 16, 792 << 16);
    EXPECT_EQ(c.getString(0, 0, PROP_INSTALL_DIR), DefaultInstallDir());
    EXPECT_EQ(c.setInt(0, 0, PROP_SCREEN_UPDATING, 0), 0);
    EXPECT_EQ(c.getInt(0, 0, PROP_SCREEN_UPDATING), 0);
    EXPECT_EQ(c.getInt(d.id, d.id, PROP_DISPLAY_UNITS), 0x480000);
    EXPECT_EQ(c.getInt(d.id, d.id, PROP_FONT_SIZE_UNITS), 0x10000);
    EXPECT_EQ(c.setInt(d.id, d.id, PROP_DOC_MODE, 1), 0);
    EXPECT_EQ(c.getInt(d.id, d.id, PROP_DOC_MODE), 1);
    for (int32_t prop : {PROP_FONT_FAMILIES, PROP_FONT_VARIATIONS, PROP_FONT_WEIGHTS, PROP_FONT_ANGLES}) {
        PropertyIdent id{prop, nullptr};
        int32_t st = -1;
        StringArray names{};
        HostSlotGetStringArrayProperty(c.api())(c.api(), 0, 0, &id, &st, &names);
        ASSERT_EQ(st, 0);
        EXPECT_GT(names.count, 0u);
        EXPECT_STREQ(names.strings[0], prop == PROP_FONT_FAMILIES ? "Times" : "Regular");
        for (uint32_t i = 0; i < names.count; i++)
            c.release(names.strings[i]);
        c.release(names.strings);
    }
}

} // namespace
} // namespace tw::host
