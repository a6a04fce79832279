// cli_exact_edits_test.cpp - convert and remove-overrides on every MIF file at hand (the project's
// own test data, the example book and the real samples beside the checkout): each paragraph the
// command changes reads back as the rules say, every other paragraph reads as before, and the
// saved file differs from the original only in the statements of those paragraphs (and, for a
// paragraph after one of them, in statements added so that it keeps what it was).
#include "tests/cli/tool_fixture.h"

#include <algorithm>
#include <functional>
#include <set>

#include "bridge/boundary.h"
#include "host/model/builder.h"
#include "host/files/mif_store.h"
#include "host/mif/tree.h"
#include "host/model/properties.h"

namespace tw::cli_test {
namespace {

using host::MifSource;
using host::PgfProps;

// A document as the host reads it, with its paragraphs in file order.
struct Read {
    host::Model m;
    std::unique_ptr<host::Document> doc;
    std::vector<const host::Paragraph*> paras;
    std::set<ObjectId> titles; // paragraphs of table titles
};

void Load(const fs::path& path, Read& r)
{
    host::LoadResult loaded = host::LoadMifFile(r.m, path.string());
    ASSERT_TRUE(loaded.doc) << path << ": " << loaded.error;
    r.doc = std::move(loaded.doc);
    for (const auto& [id, p] : r.doc->paragraphs)
        r.paras.push_back(&p);
    std::sort(r.paras.begin(), r.paras.end(), [](auto* a, auto* b) { return a->mifNode < b->mifNode; });
    for (ObjectId t : r.doc->tables)
        for (ObjectId p : r.doc->table(t)->title)
            r.titles.insert(p);
}

void Parse(const std::string& bytes, MifSource& src)
{
    host::MifError error;
    ASSERT_TRUE(host::ParseMif(bytes, "file.mif", src, error)) << error.text();
}

std::string Text(const MifSource& src, int32_t node) { return host::SerializeMifNode(src, node); }

// Whether a statement inside a <Pgf> carries a property the host models.
bool Modelled(std::string_view name, std::string_view parent)
{
    if (name == "PgfTag" || name == "PgfNumTabs" || name == "TabStop" || name == "PgfCellMargins" ||
        name.substr(0, 7) == "PgfCell")
        return true;
    return host::FindParagraphPropertyByMif(parent == "PgfFont" ? "PgfFont" : "", name) != nullptr;
}

// The statements of a paragraph's <PgfTag> and <Pgf>s the host does not model, each as its
// bytes, in order (inside <PgfFont> too).
std::vector<std::string> Unmodelled(const MifSource& src, int32_t para)
{
    std::vector<std::string> out;
    std::function<void(int32_t, std::string_view)> walk = [&](int32_t node, std::string_view parent) {
        for (int32_t c : src.children(node)) {
            std::string_view name = src.name(c);
            if (name == "PgfFont")
                walk(c, name);
            else if (!Modelled(name, parent))
                out.push_back(Text(src, c));
        }
    };
    for (int32_t pgf : src.children(para, "Pgf"))
        walk(pgf, "Pgf");
    return out;
}

// Every statement of a paragraph but its tag and property statements, as bytes, in order.
std::vector<std::string> Rest(const MifSource& src, int32_t para)
{
    std::vector<std::string> out;
    for (int32_t c : src.children(para))
        if (src.name(c) != "Pgf" && src.name(c) != "PgfTag")
            out.push_back(Text(src, c));
    return out;
}

// What each <Para> of a file reads with that the host does not model, in file order, as MIF
// passes it on: a paragraph that names a catalogue format at its own <PgfTag> starts from that
// format's statements, any other from the paragraph before it's; its <Pgf>s, and the paragraph
// defaults of the table formats met on the way, change them. Each statement by name
// ("PgfFont/FLanguage" inside the font), with its bytes.
using Inherited = std::map<std::string, std::string>;

std::vector<Inherited> InheritedUnmodelled(const MifSource& src)
{
    auto apply = [&](int32_t pgf, Inherited& state) {
        if (int32_t inner = src.firstChild(pgf, "Pgf"); inner >= 0)
            pgf = inner;
        for (int32_t c : src.children(pgf)) {
            std::string_view name = src.name(c);
            if (name == "PgfFont") {
                for (int32_t f : src.children(c))
                    if (!Modelled(src.name(f), "PgfFont"))
                        state["PgfFont/" + std::string(src.name(f))] = Text(src, f);
            } else if (!Modelled(name, "Pgf")) {
                state[std::string(name)] = Text(src, c);
            }
        }
    };
    std::map<std::string, Inherited> formats;
    for (int32_t cat : src.children(0, "PgfCatalog"))
        for (int32_t pgf : src.children(cat, "Pgf")) {
            std::string tag(src.firstToken(src.firstChild(pgf, "PgfTag")));
            apply(pgf, formats[tag]);
        }
    std::vector<Inherited> out;
    Inherited state;
    std::function<void(int32_t)> walk = [&](int32_t node) {
        for (int32_t c : src.children(node)) {
            std::string_view name = src.name(c);
            if (name == "PgfCatalog" || name == "TblCatalog")
                continue;
            if (name == "TblTitlePgf1" || name == "TblColumnH" || name == "TblColumnBody" || name == "TblColumnF") {
                apply(c, state);
            } else if (name == "Para") {
                for (int32_t s : src.children(c)) {
                    if (src.name(s) == "PgfTag") {
                        if (auto it = formats.find(std::string(src.firstToken(s))); it != formats.end())
                            state = it->second;
                    } else if (src.name(s) == "Pgf") {
                        apply(s, state);
                    }
                }
                out.push_back(state);
            } else {
                walk(c);
            }
        }
    };
    walk(0);
    return out;
}

// All statements of a paragraph's <Pgf>s and <PgfTag>s, as bytes (inside <PgfFont> too).
std::multiset<std::string> PgfStatements(const MifSource& src, int32_t para)
{
    std::multiset<std::string> out;
    std::function<void(int32_t)> walk = [&](int32_t node) {
        for (int32_t c : src.children(node)) {
            if (src.name(c) == "PgfFont")
                walk(c);
            else
                out.insert(Text(src, c));
        }
    };
    for (int32_t c : src.children(para))
        if (src.name(c) == "PgfTag")
            out.insert(Text(src, c));
        else if (src.name(c) == "Pgf")
            walk(c);
    return out;
}

// Compares the original and the saved file statement by statement. `changedParas` are the
// <Para> nodes (of the original) whose paragraphs the command changed; `checkPara` judges a
// differing <Para>; a catalogue format may differ in its next tag only where `nextTags`.
struct TreeDiff {
    const MifSource& a;
    const MifSource& b;
    std::function<void(int32_t, int32_t)> checkPara;
    bool nextTags = false;

    void compare(int32_t na, int32_t nb)
    {
        if (Text(a, na) == Text(b, nb))
            return;
        std::string where = std::string(a.name(na)) + " at line " + std::to_string(a.line(na));
        ASSERT_EQ(a.name(na), b.name(nb)) << where;
        if (a.name(na) == "Para") {
            checkPara(na, nb);
            return;
        }
        if (a.name(na) == "Pgf" && a.name(a.parent(na)) == "PgfCatalog") {
            auto ka = a.children(na), kb = b.children(nb);
            ASSERT_EQ(ka.size(), kb.size()) << where;
            for (size_t i = 0; i < ka.size(); ++i)
                if (Text(a, ka[i]) != Text(b, kb[i])) {
                    EXPECT_TRUE(nextTags && a.name(ka[i]) == "PgfNextTag")
                        << where << ": " << Text(a, ka[i]) << " became " << Text(b, kb[i]);
                }
            return;
        }
        // Any other statement: the same values and the same children, compared in turn.
        auto ka = a.children(na), kb = b.children(nb);
        ASSERT_EQ(a.tokens(na), b.tokens(nb)) << where;
        ASSERT_EQ(ka.size(), kb.size()) << where << " gained or lost statements";
        for (size_t i = 0; i < ka.size(); ++i)
            ASSERT_NO_FATAL_FAILURE(compare(ka[i], kb[i]));
    }
};

class ExactEdits : public Tool {
protected:
    // Every MIF document at hand: tests/data, the example book's chapters, the samples.
    static std::vector<fs::path> Files()
    {
        std::vector<fs::path> files;
        const fs::path source = TAGWRIGHT_SOURCE_DIR;
        for (const fs::path& dir :
             {source / "tests" / "data", source / "examples" / "book", fs::path(TAGWRIGHT_MIF_SAMPLES)}) {
            if (!fs::is_directory(dir))
                continue;
            for (const auto& e : fs::directory_iterator(dir))
                if (e.path().extension() == ".mif" && Slurp(e.path()).rfind("<MIFFile", 0) == 0)
                    files.push_back(e.path());
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    // A conversion table of the given rows, saved as MIF.
    void WriteTable(const std::vector<std::pair<std::string, std::string>>& rows)
    {
        host::Model m;
        host::DocBuilder b(m, file("conversion.mif").string());
        b.format("Body").format("CellHeading").format("CellBody").paragraph("Body", "Conversion");
        std::vector<std::vector<std::string>> cells{{"Source Tag", "Destination Tag"}};
        for (const auto& [from, to] : rows)
            cells.push_back({from, to});
        b.table(cells);
        auto doc = b.build();
        host::MifStore store;
        std::string error;
        ASSERT_TRUE(store.save(m, *doc, file("conversion.mif").string(), error)) << error;
    }

    // Checks a saved file against its original: `expect` gives what each paragraph (of the
    // original) should read as now, tag and properties.
    void Check(const std::string& before, const fs::path& saved,
               const std::function<void(const Read&, const host::Paragraph&, std::string&, PgfProps&)>& expect,
               bool nextTags)
    {
        Read r0, r1;
        {
            fs::path original = file("original.mif");
            std::ofstream(original, std::ios::binary) << before;
            ASSERT_NO_FATAL_FAILURE(Load(original, r0));
        }
        ASSERT_NO_FATAL_FAILURE(Load(saved, r1));
        ASSERT_EQ(r0.paras.size(), r1.paras.size());
        std::map<int32_t, size_t> index; // original <Para> node -> position
        std::vector<bool> changed(r0.paras.size());
        for (size_t i = 0; i < r0.paras.size(); ++i) {
            const host::Paragraph& p0 = *r0.paras[i];
            const host::Paragraph& p1 = *r1.paras[i];
            std::string tag;
            PgfProps props;
            expect(r0, p0, tag, props);
            SCOPED_TRACE("paragraph `" + p0.text.substr(0, 60) + "' tagged " + p0.tag);
            EXPECT_EQ(p1.text, p0.text);
            EXPECT_EQ(p1.tag, tag);
            EXPECT_TRUE(p1.props == props);
            for (const auto& [n, v] : props)
                if (!p1.props.count(n) || p1.props.at(n) != v)
                    ADD_FAILURE() << "property " << n << " differs"
                                  << (std::holds_alternative<std::string>(v)
                                          ? ": " + std::get<std::string>(v) + " expected, read " +
                                                (p1.props.count(n) &&
                                                         std::holds_alternative<std::string>(p1.props.at(n))
                                                     ? std::get<std::string>(p1.props.at(n))
                                                     : std::string("?"))
                                          : std::string());
            changed[i] = p0.tag != tag || !(p0.props == props);
            index[p0.mifNode] = i;
        }
        MifSource a, b;
        ASSERT_NO_FATAL_FAILURE(Parse(before, a));
        ASSERT_NO_FATAL_FAILURE(Parse(Slurp(saved), b));
        std::vector<bool> touched(r0.paras.size());
        TreeDiff diff{a, b, {}, nextTags};
        diff.checkPara = [&](int32_t na, int32_t nb) {
            auto it = index.find(na);
            ASSERT_NE(it, index.end()) << "a statement of no paragraph changed at line " << a.line(na);
            size_t i = it->second;
            touched[i] = true;
            SCOPED_TRACE("paragraph at line " + std::to_string(a.line(na)));
            // The text and everything else of the paragraph stay; a paragraph the command
            // changed keeps each statement the host does not model, in its order.
            EXPECT_EQ(Rest(a, na), Rest(b, nb));
            if (changed[i]) {
                EXPECT_EQ(Unmodelled(a, na), Unmodelled(b, nb));
                return;
            }
            // A paragraph the command did not change, written because the one before it
            // changed: it only gains statements (those it inherited and would have lost among
            // them, which the check below sees).
            EXPECT_TRUE(i > 0 && (changed[i - 1] || touched[i - 1])) << "written though nothing before it changed";
            auto old = PgfStatements(a, na), now = PgfStatements(b, nb);
            for (const std::string& s : old)
                EXPECT_TRUE(now.count(s) >= old.count(s)) << "lost " << s;
        };
        ASSERT_NO_FATAL_FAILURE(diff.compare(0, 0));
        // Every paragraph the command did not change reads with the same statements the host
        // does not model as before, its own and those it inherits.
        const auto inherited0 = InheritedUnmodelled(a), inherited1 = InheritedUnmodelled(b);
        ASSERT_EQ(inherited0.size(), inherited1.size());
        std::vector<int32_t> paraNodes;
        std::function<void(int32_t)> collect = [&](int32_t node) {
            for (int32_t c : a.children(node)) {
                std::string_view name = a.name(c);
                if (name == "Para")
                    paraNodes.push_back(c);
                else if (name != "PgfCatalog" && name != "TblCatalog")
                    collect(c);
            }
        };
        collect(0);
        ASSERT_EQ(paraNodes.size(), inherited0.size());
        for (size_t k = 0; k < paraNodes.size(); ++k) {
            auto it = index.find(paraNodes[k]);
            if (it == index.end() || changed[it->second])
                continue;
            EXPECT_EQ(inherited0[k], inherited1[k]) << "paragraph at line " << a.line(paraNodes[k])
                                                    << " reads with other statements the host does not model";
        }
    }
};

TEST_F(ExactEdits, ConvertChangesOnlyTheRetaggedParagraphs)
{
    for (const fs::path& path : Files()) {
        SCOPED_TRACE(path.string());
        Read r;
        ASSERT_NO_FATAL_FAILURE(Load(path, r));
        const host::Document& d = *r.doc;
        if (d.catalogue.size() < 2)
            continue;
        // Sources: the tags of the first footnote, table title and cell paragraphs, of the
        // first and the last paragraph, and of one that another inherits from; destination: a
        // catalogue format none of them is.
        std::vector<std::string> sources;
        auto add = [&](const std::vector<ObjectId>& ids) {
            if (!ids.empty())
                if (const host::Paragraph* p = r.doc->paragraph(ids.front());
                    p && std::find(sources.begin(), sources.end(), p->tag) == sources.end())
                    sources.push_back(p->tag);
        };
        for (ObjectId h : d.textHolders)
            add(r.doc->holder(h)->paragraphs);
        for (ObjectId t : d.tables) {
            add(r.doc->table(t)->title);
            for (ObjectId row : r.doc->table(t)->rows)
                for (ObjectId c : r.doc->row(row)->cells)
                    add(r.doc->cell(c)->paragraphs);
        }
        if (!r.paras.empty()) {
            add({r.paras.front()->id});
            add({r.paras.back()->id});
        }
        // And the first paragraph of another tag whose next takes its properties from it under
        // another tag (it names no format of its own): retagging it changes what the next
        // inherits.
        for (size_t i = 0; i + 1 < r.paras.size(); ++i)
            if (r.doc->mif->firstChild(r.paras[i + 1]->mifNode, "PgfTag") < 0 &&
                r.paras[i + 1]->tag != r.paras[i]->tag &&
                std::find(sources.begin(), sources.end(), r.paras[i]->tag) == sources.end()) {
                add({r.paras[i]->id});
                break;
            }
        std::string destination;
        for (ObjectId f : d.catalogue)
            if (std::find(sources.begin(), sources.end(), r.doc->format(f)->name) == sources.end())
                destination = r.doc->format(f)->name;
        if (destination.empty() || sources.empty())
            continue;
        std::vector<std::pair<std::string, std::string>> rows;
        for (const auto& s : sources)
            rows.emplace_back(s, destination);
        ASSERT_NO_FATAL_FAILURE(WriteTable(rows));
        const std::string before = Slurp(path);
        fs::path target = file("target.mif");
        std::ofstream(target, std::ios::binary) << before;
        Result run1 = run({"--yes", "--write", "convert", target.string(), "--table", file("conversion.mif").string()});
        ASSERT_EQ(run1.exit, 0) << run1.err;

        auto converted = [&](const std::string& tag) {
            return std::find(sources.begin(), sources.end(), tag) != sources.end() ? destination : tag;
        };
        const PgfProps& destProps = r.doc->formatByName(destination)->props;
        ASSERT_NO_FATAL_FAILURE(Check(
            before, target,
            [&](const Read& r0, const host::Paragraph& p, std::string& tag, PgfProps& props) {
                tag = converted(p.tag);
                props = tag == p.tag ? p.props : destProps;
                // A next tag that applies is converted: in the format applied (its catalogue
                // entry is converted first), and in the paragraph unless it is a table title's.
                auto use = props.find(PROP_USE_NEXT_TAG);
                if (use != props.end() && std::get<int32_t>(use->second) == 1 &&
                    (tag != p.tag || !r0.titles.count(p.id))) {
                    const std::string& next = std::get<std::string>(props.at(PROP_NEXT_TAG_NAME));
                    if (converted(next) != next)
                        props[PROP_NEXT_TAG_NAME] = converted(next);
                }
            },
            true));
    }
}

TEST_F(ExactEdits, RemoveOverridesChangesOnlyTheOverriddenParagraphs)
{
    for (const fs::path& path : Files()) {
        SCOPED_TRACE(path.string());
        const std::string before = Slurp(path);
        fs::path target = file("target.mif");
        std::ofstream(target, std::ios::binary) << before;
        Result run1 = run({"--yes", "--write", "remove-overrides", target.string()});
        ASSERT_EQ(run1.exit, 0) << run1.err;
        ASSERT_NO_FATAL_FAILURE(Check(
            before, target,
            [&](const Read& r0, const host::Paragraph& p, std::string& tag, PgfProps& props) {
                tag = p.tag;
                const host::PgfFormat* f = r0.doc->formatByName(p.tag);
                props = p.overridden && f ? f->props : p.props;
            },
            false));
    }
}

} // namespace
} // namespace tw::cli_test
