// text_editing_test.cpp - the host's text behaviour that the client's writing relies on:
// inserting at a location, "\n" splitting paragraphs, text runs, new tables and documents.
#include <gtest/gtest.h>

#include "bridge/boundary.h"
#include "client_view.h"
#include "host/model/builder.h"
#include "host/model/properties.h"

namespace tw::host {
namespace {

using testing::ClientView;

struct TextEditing : ::testing::Test {
    Host host;
    ClientView c{host};

    TextLoc addText(ObjectId doc, TextLoc at, const char* text, int32_t* status = nullptr)
    {
        int32_t st = -1;
        TextLoc after{};
        HostSlotAddText(c.api())(c.api(), doc, &at, text, &st, &after);
        if (status)
            *status = st;
        return after;
    }
    std::vector<std::pair<int32_t, std::string>> items(ObjectId doc, TextRange range)
    {
        int32_t st = -1;
        TextItemList list{};
        HostSlotGetTextForRange(c.api())(c.api(), doc, &range, 1, &st, &list);
        std::vector<std::pair<int32_t, std::string>> out;
        for (uint32_t i = 0; i < list.count; i++) {
            EXPECT_EQ(list.items[i].kind, TEXT_ITEM_STRING);
            out.emplace_back(list.items[i].offset, list.items[i].data.text);
            c.release(list.items[i].data.text);
        }
        c.release(list.items);
        return out;
    }
};

TEST_F(TextEditing, NewCustomDocumentHasOneEmptyParagraphInItsMainFlowAndSelectsIt)
{
    int32_t st = -1;
    ObjectId doc = 0;
    HostSlotNewCustomDocument(c.api())(c.api(), 576 << 16, 792 << 16, 1, 72 << 16, 72 << 16, 72 << 16, 72 << 16,
                                       72 << 16, 0, 1, &st, &doc);
    ASSERT_EQ(st, 0);
    ASSERT_NE(doc, 0u);
    EXPECT_EQ(host.model().document(doc)->geometry.width, 576 << 16);
    EXPECT_EQ(host.model().document(doc)->geometry.columnGap, 72 << 16);
    EXPECT_EQ(c.getId(0, 0, PROP_ACTIVE_DOC), doc);
    EXPECT_EQ(c.getString(doc, doc, PROP_NAME), "");
    ObjectId flow = c.getId(0, doc, PROP_MAIN_FLOW);
    ObjectId frame = c.getId(doc, flow, PROP_LAST_FRAME);
    ObjectId para = c.getId(doc, frame, PROP_LAST_PARAGRAPH);
    ASSERT_NE(para, 0u);
    EXPECT_EQ(c.getId(doc, frame, PROP_FIRST_PARAGRAPH), para);
    EXPECT_EQ(c.getId(doc, para, PROP_NEXT_PARAGRAPH), 0u);
    EXPECT_EQ(host.model().document(doc)->paragraph(para)->text, "");
    for (const char* tag : {"Heading1", "Heading2", "Body"}) {
        int32_t s = -1;
        ObjectId f = 0;
        HostSlotGetNamedObject(c.api())(c.api(), doc, OBJ_PGF_FORMAT, tag, &s, &f);
        EXPECT_EQ(s, 0) << tag;
    }
    PropertyIdent sel{PROP_SELECTION, nullptr};
    TextRange r{};
    HostSlotGetTextRangeProperty(c.api())(c.api(), 0, doc, &sel, &st, &r);
    EXPECT_EQ(r.begin.object, para);

    ObjectId none = 0;
    HostSlotNewCustomDocument(c.api())(c.api(), 576 << 16, 792 << 16, 1, 0, 400 << 16, 400 << 16, 0, 0, 0, 1, &st,
                                       &none);
    EXPECT_NE(st, 0); // margins larger than the page
    EXPECT_EQ(none, 0u);
}

TEST_F(TextEditing, InsertedTextLandsAtTheOffsetAndNewlineSplitsKeepingTagAndProperties)
{
    DocBuilder b(host.model());
    b.format("Body").paragraph("Body", "Hello world", {{615, 20 << 16}});
    ObjectId para = b.lastParagraph();
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    ASSERT_TRUE(host.model().document(doc)->paragraph(para)->overridden);

    TextLoc after = addText(doc, {para, 5}, ",");
    EXPECT_EQ(after.object, para);
    EXPECT_EQ(after.offset, 6);
    after = addText(doc, after, "\n");
    ObjectId tail = after.object;
    ASSERT_NE(tail, para);
    EXPECT_EQ(after.offset, 0);

    Document& d = *host.model().document(doc);
    EXPECT_EQ(d.paragraph(para)->text, "Hello,");
    EXPECT_EQ(d.paragraph(tail)->text, " world");
    EXPECT_EQ(c.getId(doc, para, PROP_NEXT_PARAGRAPH), tail);
    // Both halves keep the tag, the properties and so the override.
    EXPECT_EQ(c.getString(doc, tail, PROP_NAME), "Body");
    EXPECT_EQ(c.getInt(doc, tail, 615), 20 << 16);
    EXPECT_EQ(c.getInt(doc, tail, PROP_OVERRIDE), 1);
    EXPECT_EQ(c.getInt(doc, para, PROP_OVERRIDE), 1);
}

TEST_F(TextEditing, AppendingAtTheLastParagraphBuildsParagraphsInCallOrder)
{
    Document& d = host.model().newCustomDocument(576 << 16, 792 << 16);
    for (const char* text : {"First", "Second"}) {
        ObjectId last = d.lastParagraphOfFlow(d.mainFlow);
        TextLoc after = addText(d.id, {last, 0}, text);
        addText(d.id, after, "\n");
    }
    std::vector<std::string> texts;
    for (ObjectId p = d.firstParagraphOfFlow(d.mainFlow); p; p = d.nextParagraph(p))
        texts.push_back(d.paragraph(p)->text);
    EXPECT_EQ(texts, (std::vector<std::string>{"First", "Second", ""}));
}

TEST_F(TextEditing, SplittingBeforeAnAnchorTakesTheAnchoredTableAlong)
{
    DocBuilder b(host.model());
    b.paragraph("Body", "before after").table({{"h"}});
    ObjectId para = b.lastParagraph();
    ObjectId table = b.lastTable();
    Document& d = host.model().adoptDocument(b.build());
    TextLoc after = addText(d.id, {para, 6}, "\n");
    EXPECT_EQ(d.paragraph(para)->text, "before");
    EXPECT_TRUE(d.paragraph(para)->items.empty());
    ASSERT_EQ(d.paragraph(after.object)->items.size(), 1u);
    EXPECT_EQ(d.paragraph(after.object)->items[0].offset, 6); // " after" then the anchor
    EXPECT_EQ(d.table(table)->anchor, after.object);
}

TEST_F(TextEditing, EndOffsetsAppendAndBadLocationsFail)
{
    DocBuilder b(host.model());
    b.paragraph("Body", "ab");
    ObjectId para = b.lastParagraph();
    ObjectId doc = host.model().adoptDocument(b.build()).id;
    TextLoc after = addText(doc, {para, TW_END_OF_OBJECT}, "c");
    EXPECT_EQ(after.offset, 3);
    EXPECT_EQ(host.model().document(doc)->paragraph(para)->text, "abc");
    int32_t st = 0;
    after = addText(doc, {0, 0}, "x", &st);
    EXPECT_NE(st, 0);
    addText(doc + 999, {para, 0}, "x", &st);
    EXPECT_NE(st, 0);
}

TEST_F(TextEditing, TextItemsComeOnePerRunAndSkipTheEndMark)
{
    DocBuilder b(host.model());
    b.paragraph("Body", "Tags to Keep");
    ObjectId para = b.lastParagraph();
    b.footnote({{"Footnote", "note"}});
    Document& d = host.model().adoptDocument(b.build());
    // A character-format change after "Tags " starts a second run.
    d.paragraph(para)->items.insert(d.paragraph(para)->items.begin(), InlineItem{5, InlineItem::FontChange, 0, -1});
    auto runs = items(d.id, {{para, 0}, {para, TW_END_OF_OBJECT}});
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], (std::pair<int32_t, std::string>{0, "Tags "}));
    EXPECT_EQ(runs[1], (std::pair<int32_t, std::string>{5, "to Keep"}));
    EXPECT_TRUE(items(d.id, {{para, 2}, {para, 2}}).empty());
}

TEST_F(TextEditing, NewTableAtALocationHasHeadingRowCellsWithOneEmptyParagraph)
{
    Document& d = host.model().newCustomDocument(576 << 16, 792 << 16);
    ObjectId para = d.firstParagraphOfFlow(d.mainFlow);
    TextLoc at{para, 0};
    int32_t st = -1;
    ObjectId table = 0;
    HostSlotNewTable(c.api())(c.api(), d.id, "Format A", 2, 3, 1, 0, &at, &st, &table);
    ASSERT_EQ(st, 0);
    EXPECT_EQ(c.getId(0, d.id, PROP_FIRST_TABLE), table);
    EXPECT_EQ(d.table(table)->format, "Format A");
    int rows = 0;
    for (ObjectId r = c.getId(d.id, table, PROP_FIRST_ROW); r; r = c.getId(d.id, r, PROP_NEXT_ROW)) {
        int cells = 0;
        for (ObjectId cell = c.getId(d.id, r, PROP_FIRST_CELL); cell; cell = c.getId(d.id, cell, PROP_NEXT_CELL)) {
            EXPECT_EQ(c.getInt(d.id, cell, PROP_CELL_COLUMN), cells);
            ObjectId p = c.getId(d.id, cell, PROP_FIRST_PARAGRAPH);
            ASSERT_NE(p, 0u);
            EXPECT_EQ(c.getId(d.id, p, PROP_NEXT_PARAGRAPH), 0u);
            EXPECT_EQ(c.getId(d.id, p, PROP_PARAGRAPH_CELL), cell);
            EXPECT_EQ(c.getId(d.id, cell, PROP_CELL_ROW), r);
            EXPECT_EQ(d.paragraph(p)->text, "");
            cells++;
        }
        EXPECT_EQ(cells, 2);
        rows++;
    }
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(d.row(d.table(table)->rows[0])->kind, RowKind::Heading);

    // A cell paragraph takes text; the selection in it names the table (129).
    ObjectId first =
        c.getId(d.id, c.getId(d.id, c.getId(d.id, table, PROP_FIRST_ROW), PROP_FIRST_CELL), PROP_FIRST_PARAGRAPH);
    addText(d.id, {first, 0}, "Source Tag");
    EXPECT_EQ(items(d.id, {{first, 0}, {first, TW_END_OF_OBJECT}}).at(0).second, "Source Tag");
    PropertyIdent sel{PROP_SELECTION, nullptr};
    TextRange r{{first, 0}, {first, 0}};
    HostSlotSetTextRangeProperty(c.api())(c.api(), 0, d.id, &sel, &r, &st);
    EXPECT_EQ(c.getId(0, d.id, PROP_SELECTED_TABLE), table);
}

TEST_F(TextEditing, ColumnWidthsAndTheTableSettingAreReadAndWritten)
{
    Document& d = host.model().newCustomDocument(576 << 16, 792 << 16);
    TextLoc at{d.firstParagraphOfFlow(d.mainFlow), 0};
    int32_t st = -1;
    ObjectId table = 0;
    HostSlotNewTable(c.api())(c.api(), d.id, "Format A", 1, 0, 1, 0, &at, &st, &table);
    ASSERT_EQ(st, 0); // a table of heading rows only is allowed
    EXPECT_EQ(c.setInt(d.id, table, PROP_TABLE_SETTING, 0), 0);
    EXPECT_EQ(c.getInt(d.id, table, PROP_TABLE_SETTING), 0);

    PropertyIdent w{PROP_COLUMN_WIDTHS, nullptr};
    IntList widths{};
    HostSlotGetIntListProperty(c.api())(c.api(), d.id, table, &w, &st, &widths);
    ASSERT_EQ(widths.count, 1u);
    widths.values[0] = 0x900000;
    HostSlotSetIntListProperty(c.api())(c.api(), d.id, table, &w, &widths, &st);
    EXPECT_EQ(st, 0);
    c.release(widths.values);
    EXPECT_EQ(d.table(table)->columnWidths, std::vector<int32_t>{0x900000});
    int32_t two[2] = {1, 2};
    IntList wrong{2, two};
    HostSlotSetIntListProperty(c.api())(c.api(), d.id, table, &w, &wrong, &st);
    EXPECT_NE(st, 0);
}

} // namespace
} // namespace tw::host
