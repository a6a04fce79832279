// plugin_smoke_test.cpp - the built plug-in loaded into the host exactly as a real host loads
// it (entry point, "Initialize", a command), and let go again with every reference returned.
#include <gtest/gtest.h>

#include <filesystem>

#include "bridge/boundary.h"
#include "host/model/builder.h"
#include "host/com/session.h"

namespace tw::host {
namespace {

bool PluginBuilt() { return std::filesystem::exists(Session::DefaultPluginPath()); }

struct PluginSmoke : ::testing::TestWithParam<MemoryMode> { };

TEST_P(PluginSmoke, LoadsRegistersBuildsMenusRunsACommandAndLetsGo)
{
    if (!PluginBuilt())
        GTEST_SKIP() << "the plug-in library is not built: " << Session::DefaultPluginPath();
    Session s(GetParam());
    DocBuilder b(s.model(), "/docs/ch1.fm");
    b.format("Body").format("Heading1").format("Note").paragraph("Body", "Hello");
    ObjectId doc = s.add(*b.build());

    std::string error;
    ASSERT_TRUE(s.load(error)) << error;
    EXPECT_EQ(s.entryResult(), 0);
    EXPECT_TRUE(s.host().registered());
    EXPECT_NE(s.host().sink(), nullptr);
    EXPECT_NE(s.host().connectedModule(), nullptr);
    const auto& description = s.host().clientDescription();
    EXPECT_NE(std::find(description.begin(), description.end(), std::pair<int32_t, std::string>{2, "Tagwright"}),
              description.end());
    const auto& requested = s.host().notificationsRequested();
    EXPECT_NE(std::find(requested.begin(), requested.end(), NOTIFY_MESSAGE), requested.end());
    MenuItem* tools = s.model().menuByName("VellTools", ObjKind::Menu);
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->label, "Tools");
    MenuItem* sub = s.model().menuByName("Tagwright", ObjKind::Menu);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->label, "Paragraphs");

    s.activate(doc);
    EXPECT_EQ(s.command(TW_CMD_LIST_USAGE), TW_S_OK);
    ASSERT_EQ(s.outputDocuments().size(), 1u);
    auto paragraphs = s.paragraphs(s.outputDocuments().front());
    std::vector<ParagraphText> expected = {{"Heading1", "ch1.fm"},
                                           {"Heading2", "Paragraph Tags Used:"},
                                           {"Body", "Body"},
                                           {"Heading2", "Paragraph Tags Not Used:"},
                                           {"Body", "Heading1"},
                                           {"Body", "Note"},
                                           {"Body", ""}};
    EXPECT_EQ(paragraphs, expected);

    // The same listing asked for by message, for a document that is not the active one.
    ObjectId other = s.add(*DocBuilder(s.model(), "/docs/caf\xC3\xA9.fm").format("Body").build());
    s.activate(doc);
    EXPECT_EQ(s.message("SetDocId " + std::to_string(other)), TW_S_OK);
    EXPECT_EQ(s.message("ListParagraphUsage"), TW_S_OK);
    ASSERT_EQ(s.outputDocuments().size(), 1u);
    EXPECT_EQ(s.paragraphs(s.outputDocuments().front()).front(), (ParagraphText{"Heading1", "caf\xC3\xA9.fm"}));

    s.unload();
    EXPECT_FALSE(s.loaded());
    EXPECT_EQ(s.host().outstandingReferences(), 0);
}

INSTANTIATE_TEST_SUITE_P(BothMemoryModes, PluginSmoke, ::testing::Values(MemoryMode::Shared, MemoryMode::TaskMemory),
                         [](const auto& info) { return info.param == MemoryMode::Shared ? "Shared" : "TaskMemory"; });

TEST(PluginLoading, MissingLibraryIsReportedByName)
{
    Session s;
    std::string error;
    EXPECT_FALSE(s.load(error, "/nonexistent/libNothing.so"));
    EXPECT_NE(error.find("/nonexistent/libNothing.so"), std::string::npos);
}

} // namespace
} // namespace tw::host
