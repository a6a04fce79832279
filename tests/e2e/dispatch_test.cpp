// dispatch_test.cpp - commands and text messages as another client or the user sends them:
// which document or book a command works on after "SetDocId"/"SetBookId", that pending
// identifiers last exactly one command, the document check, About, and shutdown.
#include "plugin_fixture.h"

namespace tw::e2e {
namespace {

class DispatchTest : public PluginTest {
protected:
    void SetUp() override
    {
        DocBuilder a(model(), "C:\\Docs\\a.fm");
        a.paragraph("Body", "text");
        docA = Open(a);
        DocBuilder b(model(), "C:\\Docs\\b.fm");
        b.paragraph("Body", "text");
        docB = Open(b); // active
        Load();
    }

    // Heading of the listing command 1 writes: which document it worked on.
    std::string ListedDocument()
    {
        auto out = Output();
        return out.empty() ? "<none>" : out.front().text;
    }

    std::string Id(ObjectId id) { return std::to_string(id); }

    // The user brings b.fm back to the front (each listing leaves its output document
    // active), then a command or message runs.
    void Command(int32_t number)
    {
        session.activate(docB);
        session.command(number);
    }
    void Message(const std::string& text)
    {
        session.activate(docB);
        session.message(text);
    }

    ObjectId docA = 0;
    ObjectId docB = 0;
};

TEST_F(DispatchTest, SetDocIdNamesTheDocumentOfTheNextCommandOnly)
{
    session.message("SetDocId " + Id(docA));
    Message("ListParagraphUsage");
    EXPECT_EQ(ListedDocument(), "a.fm");
    Message("ListParagraphUsage");
    EXPECT_EQ(ListedDocument(), "b.fm");
    // A menu command consumes it just the same.
    session.message("SetDocId " + Id(docA));
    Command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(ListedDocument(), "a.fm");
    Command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(ListedDocument(), "b.fm");
}

TEST_F(DispatchTest, SetDocIdArgumentParsing)
{
    session.message("SetDocId   " + Id(docA) + "   ");
    Command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(ListedDocument(), "a.fm") << "blanks around the number";

    session.message("SetDocIdentity " + Id(docA));
    Command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(ListedDocument(), "a.fm") << "only the prefix is tested";

    session.message("SetDocId " + Id(docA));
    session.message("SetDocId");
    Command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(ListedDocument(), "a.fm") << "no blank: unchanged";

    session.message("SetDocId " + Id(docA));
    session.message("SetDocId x");
    Command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(ListedDocument(), "b.fm") << "not a number: cleared";

    session.message("setdocid " + Id(docA));
    Command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(ListedDocument(), "b.fm") << "the keyword is case-sensitive";
}

TEST_F(DispatchTest, OtherNotificationsAndUnknownTextsAreIgnored)
{
    session.notify(14, 0, "SetDocId " + Id(docA), 0);
    session.notify(14, 0, "ListParagraphUsage", 0);
    EXPECT_TRUE(session.outputDocuments().empty());
    Command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(ListedDocument(), "b.fm");

    for (const char* text : {"ListParagraphUsageBookIndFiles", "ParagraphUsageBookByFormat", "listparagraphusage",
                             "ListParagraphUsage ", "", "Nothing"}) {
        session.message(text);
        EXPECT_TRUE(session.outputDocuments().empty()) << text;
    }
    EXPECT_TRUE(session.alerts().empty());
}

TEST_F(DispatchTest, UnknownCommandNumberOnlyClearsPendingIdentifiers)
{
    session.message("SetDocId " + Id(docA));
    session.command(42);
    EXPECT_TRUE(session.outputDocuments().empty());
    EXPECT_TRUE(session.alerts().empty());
    Command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(ListedDocument(), "b.fm");
}

TEST_F(DispatchTest, MessageNamesRunTheirCommands)
{
    BookBuilder builder(model(), "C:\\Books\\Guide.book");
    ObjectId book = session.add(*builder.build());
    session.activate(book);

    session.message("ListParagraphUsageBookIndvidual");
    EXPECT_EQ(Output(), (std::vector<ParagraphText>{H1("Guide.book")}));
    session.message("ListParagraphUsageBookByTag");
    EXPECT_EQ(Output(), (std::vector<ParagraphText>{H1("Guide.book")}));
    session.message("ListParagraphUsageBook");
    EXPECT_EQ(Output(), (std::vector<ParagraphText>{H1("Guide.book"), H2("Paragraph Tags Used:"),
                                                    H2("Paragraph Tags Not Used:")}));
    session.message("TagwrightAbout");
    ASSERT_EQ(session.alerts().size(), 1u);
}

TEST_F(DispatchTest, SetBookIdNamesTheBookOfTheNextCommand)
{
    BookBuilder first(model(), "C:\\Books\\First.book");
    ObjectId firstBook = session.add(*first.build());
    BookBuilder second(model(), "C:\\Books\\Second.book");
    session.activate(session.add(*second.build()));

    session.message("SetBookId " + Id(firstBook));
    session.message("ListParagraphUsageBook");
    EXPECT_EQ(Output().front(), H1("First.book"));
    session.message("ListParagraphUsageBook");
    EXPECT_EQ(Output().front(), H1("Second.book"));
}

class NoDocumentTest : public PluginTest { };

TEST_F(NoDocumentTest, CommandsThatNeedADocumentSayWhy)
{
    Load();
    // (Command 4 decides for itself; the report commands end quietly.)
    for (int32_t command :
         {TW_CMD_LIST_USAGE, TW_CMD_DELETE_UNUSED, TW_CMD_CREATE_LIST, TW_CMD_CREATE_CONVERSION, TW_CMD_CONVERT,
          TW_CMD_REMOVE_OVERRIDES, TW_CMD_FIND_NEXT_OVERRIDE, TW_CMD_TAG_REPORT, TW_CMD_TAG_REPORT_SINGLE}) {
        size_t before = session.alerts().size();
        session.command(command);
        bool noted = session.alerts().size() == before + 1 &&
                     session.alerts().back().text == "Please open a document first." &&
                     session.alerts().back().kind == 2;
        bool needsDocument = command != TW_CMD_TAG_REPORT && command != TW_CMD_TAG_REPORT_SINGLE;
        EXPECT_EQ(noted, needsDocument) << "command " << command;
        if (!needsDocument) {
            EXPECT_EQ(session.alerts().size(), before) << "command " << command;
        }
        EXPECT_TRUE(session.outputDocuments().empty()) << "command " << command;
    }
    // The message name of command 6 is checked too; its menu command name is no message.
    size_t before = session.alerts().size();
    session.message("ConvertParagraphsInDoc");
    EXPECT_EQ(session.alerts().size(), before);
    session.message("ConvertParagraphsDoc");
    EXPECT_EQ(session.alerts().size(), before + 1);
}

TEST_F(NoDocumentTest, PendingBookIsClearedEvenWhenTheCommandStopsEarly)
{
    BookBuilder builder(model(), "C:\\Books\\Pending.book");
    ObjectId book = session.add(*builder.build());
    session.activate(0);
    Load();

    session.message("SetBookId " + std::to_string(book));
    session.command(TW_CMD_LIST_USAGE);
    ASSERT_EQ(session.alerts().size(), 1u);
    session.command(TW_CMD_LIST_USAGE_BOOK);
    auto out = Output();
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.front().tag, "Heading1");
    EXPECT_EQ(out.front().text, "") << "no active book: the book heading stays empty";
}

TEST_F(DispatchTest, AboutShowsProductAndVersion)
{
    session.command(TW_CMD_ABOUT);
    ASSERT_EQ(session.alerts().size(), 1u);
    const auto& about = session.alerts().front();
    EXPECT_EQ(about.kind, 2);
    EXPECT_EQ(about.text.rfind("Tagwright \nVersion 2.1 Build 104 \n", 0), 0u) << about.text;
    EXPECT_GT(about.text.size(), std::string("Tagwright \nVersion 2.1 Build 104 \n").size());
}

TEST_F(DispatchTest, ShutdownReleasesEveryHostInterface)
{
    session.command(TW_CMD_LIST_USAGE);
    session.command(TW_CMD_ABOUT);
    session.unload();
    EXPECT_EQ(session.host().sink(), nullptr);
    EXPECT_EQ(session.host().outstandingReferences(), 0);
}

} // namespace
} // namespace tw::e2e

namespace tw::e2e {
namespace {

// The row of the command table with that command name; null for none.
const TwCommandInfo* CommandByName(const std::string& name)
{
    for (const TwCommandInfo& info : TwCommandInfos)
        if (name == info.name)
            return &info;
    return nullptr;
}

// The command table as another client uses it: each message runs its own command, so a
// command that needs a document says so when none is open, and no other does.
TEST_F(NoDocumentTest, EveryMessageOfTheCommandTableRunsItsCommand)
{
    Load();
    std::set<int32_t> numbers;
    std::set<std::string> messages;
    for (const TwCommandInfo& info : TwCommandInfos) {
        EXPECT_TRUE(numbers.insert(info.number).second) << info.name;
        EXPECT_TRUE(messages.insert(info.message).second) << info.name;
        EXPECT_EQ(CommandByName(info.name), &info);
        EXPECT_EQ(TwCommandByNumber(info.number), &info);
        if (!(info.flags & TW_COMMAND_NEEDS_DOCUMENT))
            continue;
        size_t before = session.alerts().size();
        session.message(info.message);
        ASSERT_EQ(session.alerts().size(), before + 1) << info.message;
        EXPECT_EQ(session.alerts().back().text, "Please open a document first.") << info.message;
    }
    EXPECT_EQ(numbers.size(), 20u);
    EXPECT_EQ(TwCommandByNumber(42), nullptr);
    EXPECT_EQ(CommandByName("NoSuchCommand"), nullptr);
}

} // namespace
} // namespace tw::e2e
