// icu_binding_test.cpp - the plug-in finds the host's ICU at run time, whatever it is named:
// each test lays out an installation of its own (a copy of Tagwright.dll and the ICU files
// under test in one folder; this program's own folder holds no ICU) and checks that the
// plug-in loads, lists and converts text through what it found, or, with no ICU, that it
// still lists and says once which library it looked for.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "../e2e/plugin_fixture.h"

namespace tw::e2e {
namespace {

namespace fs = std::filesystem;

#define STRINGIFY2(x) #x
#define STRINGIFY(x) STRINGIFY2(x)
const std::string kIcuMajor = STRINGIFY(TAGWRIGHT_ICU_MAJOR);

class IcuBindingTest : public PluginTest {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / (std::string("tagwright-icu-") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::copy_file(Session::DefaultPluginPath(), dir_ / "Tagwright.dll");
    }
    void TearDown() override
    {
        session.unload();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Copies an ICU file into the installation.
    void Add(const fs::path& file) { fs::copy_file(file, dir_ / file.filename()); }
    static fs::path HostFile(const std::string& name)
    {
        return fs::path(Session::DefaultPluginPath()).parent_path() / name;
    }
    static fs::path OtherIcu(const std::string& name) { return fs::path(TAGWRIGHT_OTHER_ICU_DIR) / name; }

    // Loads this installation's plug-in and lists a document's tags; the name of a tag and
    // of a book file that cannot be opened (reported on the console through a conversion).
    void LoadAndList()
    {
        std::string error;
        ASSERT_TRUE(session.load(error, (dir_ / "Tagwright.dll").string())) << error;
        DocBuilder doc(model(), "C:\\Docs\\plain.fm");
        doc.format("Body").format("Spare").paragraph("Body", "text");
        Open(doc);
        session.command(1);
        EXPECT_EQ(Output(), (std::vector<ParagraphText>{H1("plain.fm"), H2("Paragraph Tags Used:"), Body("Body"),
                                                        H2("Paragraph Tags Not Used:"), Body("Spare")}));
    }

    // Runs a book listing over one missing ASCII-named file and one missing file with an
    // accented name; returns the console lines.
    std::vector<std::string> MissingFilesConsole()
    {
        BookBuilder book(model(), "C:\\Books\\Guide.book");
        book.file("C:\\Books\\plain.fm").file("C:\\Books\\Caf\xC3\xA9.fm");
        session.activate(session.add(*book.build()));
        session.command(9);
        return session.consoleLines();
    }

    static size_t CountContaining(const std::vector<std::string>& lines, const std::string& part)
    {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }

    fs::path dir_;
};

TEST_F(IcuBindingTest, VersionSuffixedIcuBesideThePlugin)
{
    Add(HostFile("icuuc" + kIcuMajor + ".dll"));
    Add(HostFile("icudt" + kIcuMajor + ".dll"));
    LoadAndList();
    auto console = MissingFilesConsole();
    EXPECT_EQ(CountContaining(console, "Could not open file:C:\\Books\\plain.fm"), 1u);
    EXPECT_EQ(CountContaining(console, "Could not open file:C:\\Books\\Caf\xC3\xA9.fm"), 1u)
        << "FrameRoman converted to UTF-8 through the plug-in's ICU";
    EXPECT_EQ(CountContaining(console, "no ICU library"), 0u);
}

TEST_F(IcuBindingTest, AnotherVersionsNamesAndSuffix)
{
    // icuuc58.dll exports ucnv_open_58 and the rest, and nothing under this ICU's suffix.
    Add(OtherIcu("icuuc58.dll"));
    HMODULE other = LoadLibraryA((dir_ / "icuuc58.dll").string().c_str());
    ASSERT_NE(other, nullptr);
    EXPECT_NE(GetProcAddress(other, "ucnv_open_58"), nullptr);
    EXPECT_EQ(GetProcAddress(other, ("ucnv_open_" + kIcuMajor).c_str()), nullptr);
    FreeLibrary(other);
    LoadAndList();
    auto console = MissingFilesConsole();
    EXPECT_EQ(CountContaining(console, "Could not open file:C:\\Books\\Caf\xC3\xA9.fm"), 1u);
    EXPECT_EQ(CountContaining(console, "no ICU library"), 0u);
}

TEST_F(IcuBindingTest, UnversionedNameWithoutSuffixes)
{
    Add(OtherIcu("icuuc.dll"));
    LoadAndList();
    auto console = MissingFilesConsole();
    EXPECT_EQ(CountContaining(console, "Could not open file:C:\\Books\\Caf\xC3\xA9.fm"), 1u);
    EXPECT_EQ(CountContaining(console, "no ICU library"), 0u);
}

TEST_F(IcuBindingTest, ALibraryWithoutTheFunctionsIsPassedOver)
{
    // A DLL named like ICU that is not ICU: the plug-in goes on to the next name.
    fs::copy_file(OtherIcu("icuuc58.dll"), dir_ / "icuuc99.dll");
    Add(OtherIcu("icuuc.dll"));
    LoadAndList();
    auto console = MissingFilesConsole();
    EXPECT_EQ(CountContaining(console, "Could not open file:C:\\Books\\Caf\xC3\xA9.fm"), 1u);
}

TEST_F(IcuBindingTest, NoIcuStillListsAndSaysSoOnce)
{
    LoadAndList();
    auto console = MissingFilesConsole();
    session.command(1);
    console = session.consoleLines();
    ASSERT_EQ(CountContaining(console, "no ICU library"), 1u) << session.host().consoleText();
    auto line = *std::find_if(console.begin(), console.end(),
                              [](const std::string& l) { return l.find("no ICU library") != std::string::npos; });
    EXPECT_NE(line.find("icuuc<NN>.dll or icuuc.dll"), std::string::npos) << line;
    EXPECT_NE(line.find(dir_.filename().string()), std::string::npos) << "names the plug-in's folder: " << line;
    // Plain ASCII still reaches the console; the accented name has no converter.
    EXPECT_EQ(CountContaining(console, "Could not open file:C:\\Books\\plain.fm"), 1u);
    EXPECT_EQ(CountContaining(console, "Caf"), 0u);
}

} // namespace
} // namespace tw::e2e
