// pgf_props_test.cpp - a paragraph property set that stores only its differences reads as a
// plain ordered map through any sequence of copies, changes and erasures; a copy that changes
// a few properties stores those few; and the MIF reader gives a paragraph that restates its
// format's values no set of its own.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <stdexcept>
#include <vector>

#include "host/mif/document.h"
#include "host/mif/pgf.h"
#include "host/mif/tree.h"
#include "host/model/pgf_props.h"
#include "host/model/properties.h"

using namespace tw::host;

namespace {

using Plain = std::map<int32_t, PropValue>;
constexpr int32_t kFirstIndent = 556, kSpaceAbove = 553;

// Everything a reader of the set can ask, against the plain map: size, the ordered walk, and
// every key of the range by find, count and at; a found key's iterator walks on to the next.
void ExpectReadsAs(const PgfProps& set, const Plain& plain, int32_t keys)
{
    ASSERT_EQ(set.size(), plain.size());
    EXPECT_EQ(set.empty(), plain.empty());
    EXPECT_LE(set.depth(), PgfProps::kMaxDepth);
    using Entries = std::vector<std::pair<int32_t, PropValue>>;
    ASSERT_EQ(Entries(set.begin(), set.end()), Entries(plain.begin(), plain.end()));
    for (int32_t k = 0; k < keys; ++k) {
        auto want = plain.find(k);
        auto it = set.find(k);
        EXPECT_EQ(set.count(k), plain.count(k)) << "key " << k;
        if (want == plain.end()) {
            EXPECT_TRUE(it == set.end()) << "key " << k;
            EXPECT_THROW((void)set.at(k), std::out_of_range) << "key " << k;
            continue;
        }
        ASSERT_TRUE(it != set.end()) << "key " << k;
        EXPECT_EQ(it->first, k);
        EXPECT_EQ(it->second, want->second) << "key " << k;
        EXPECT_EQ(set.at(k), want->second) << "key " << k;
        ++it, ++want;
        if (want == plain.end())
            EXPECT_TRUE(it == set.end()) << "after key " << k;
        else if (it == set.end())
            ADD_FAILURE() << "the walk ends after key " << k << ", the plain map goes on to " << want->first;
        else
            EXPECT_EQ(it->first, want->first) << "after key " << k;
    }
}

// A few values of each kind, so that a change often sets what the set already holds.
PropValue SomeValue(std::mt19937& rng)
{
    switch (rng() % 5) {
    case 0: return int32_t(0);
    case 1: return int32_t(1);
    case 2: return std::string("a");
    case 3: return std::string("b");
    default: return std::vector<TabStop>{{0x10000, TAB_LEFT, ".", '.'}};
    }
}

struct RandomUse {
    unsigned seed;
    int32_t keys; // the key range; the first set starts with most of it
};

class PgfPropsAgainstMap : public ::testing::TestWithParam<RandomUse> { };

// Sets copied from each other in any order (chains of bases, bases dropped, copies of copies),
// changed, erased and cleared, read after every step as plain maps would read.
TEST_P(PgfPropsAgainstMap, ReadsAsAPlainMapAfterEveryStep)
{
    const RandomUse use = GetParam();
    std::mt19937 rng(use.seed);
    constexpr size_t kSets = 6;
    std::vector<PgfProps> sets(kSets);
    std::vector<Plain> plain(kSets);
    for (int32_t k = 0; k < use.keys; ++k)
        if (rng() % 8 != 0) {
            PropValue v = SomeValue(rng);
            sets[0][k] = v;
            plain[0][k] = v;
        }
    for (int step = 0; step < 3000; ++step) {
        const size_t i = rng() % kSets, j = rng() % kSets;
        const int32_t key = static_cast<int32_t>(rng() % static_cast<unsigned>(use.keys));
        const unsigned op = rng() % 100;
        SCOPED_TRACE("step " + std::to_string(step) + ", op " + std::to_string(op) + ", sets " + std::to_string(i) +
                     " and " + std::to_string(j) + ", key " + std::to_string(key));
        if (op < 20) {
            sets[i] = sets[j];
            plain[i] = plain[j];
        } else if (op < 70) {
            PropValue v = SomeValue(rng);
            sets[i][key] = v;
            plain[i][key] = v;
        } else if (op < 98) {
            EXPECT_EQ(sets[i].erase(key), plain[i].erase(key));
        } else {
            sets[i].clear();
            plain[i].clear();
        }
        ASSERT_NO_FATAL_FAILURE(ExpectReadsAs(sets[i], plain[i], use.keys));
        EXPECT_EQ(sets[i] == sets[j], plain[i] == plain[j]);
        EXPECT_EQ(sets[j] == sets[i], plain[i] == plain[j]);
        if (step % 100 == 0) {
            for (size_t s = 0; s < kSets; ++s) {
                SCOPED_TRACE("set " + std::to_string(s));
                ASSERT_NO_FATAL_FAILURE(ExpectReadsAs(sets[s], plain[s], use.keys));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, PgfPropsAgainstMap,
                         ::testing::Values(RandomUse{1, 8}, RandomUse{2, 8}, RandomUse{3, 40}, RandomUse{4, 40},
                                           RandomUse{5, 120}, RandomUse{6, 120}, RandomUse{7, 120}),
                         [](const auto& info) {
                             return "seed" + std::to_string(info.param.seed) + "_keys" +
                                    std::to_string(info.param.keys);
                         });

TEST(PgfProps, ACopyStoresOnlyWhatItChanges)
{
    const PgfProps format = DefaultParagraphProps();
    ASSERT_GT(format.size(), 50u);
    PgfProps para = format;
    para[kFirstIndent] = 18 * 65536;
    para[kSpaceAbove] = 6 * 65536;
    EXPECT_EQ(para.stored(), 2u);
    EXPECT_EQ(para.size(), format.size());
    EXPECT_EQ(format, DefaultParagraphProps()) << "the format is not changed by its copy";

    // Setting back the format's values shares the format's set again; setting what the set
    // holds keeps it shared.
    para[kFirstIndent] = format.at(kFirstIndent);
    para[kSpaceAbove] = format.at(kSpaceAbove);
    EXPECT_EQ(para, format);
    EXPECT_TRUE(para.sharesWith(format)) << "a copy changed back shares its base again";
    PgfProps same = format;
    same[kSpaceAbove] = format.at(kSpaceAbove);
    EXPECT_TRUE(same.sharesWith(format));
}

// A chain of copies, each of the one before with one change: every set keeps reading as its own
// content, the look-ups stay short, and what each stores stays a few entries.
TEST(PgfProps, ChainsOfCopiesStayShort)
{
    std::vector<PgfProps> chain{DefaultParagraphProps()};
    std::vector<Plain> plain{Plain(chain[0].begin(), chain[0].end())};
    const int32_t first = chain[0].begin()->first;
    for (int32_t n = 1; n <= 20; ++n) {
        PgfProps next = chain.back();
        Plain want = plain.back();
        next[first] = n;
        want[first] = n;
        if (n % 3 == 0) {
            int32_t gone = std::next(want.begin(), n)->first;
            next.erase(gone);
            want.erase(gone);
        }
        chain.push_back(next);
        plain.push_back(want);
    }
    for (size_t n = 0; n < chain.size(); ++n) {
        SCOPED_TRACE("copy " + std::to_string(n));
        ASSERT_NO_FATAL_FAILURE(ExpectReadsAs(chain[n], plain[n], 3000));
        if (n > 0) {
            EXPECT_LE(chain[n].stored(), 10u);
        }
    }
}

// Equal content through different bases is equal; an erased key or one changed value is not.
TEST(PgfProps, EqualityComparesTheMergedContent)
{
    const PgfProps base = {{1, int32_t(1)}, {2, std::string("x")}, {3, int32_t(3)}, {4, int32_t(4)}};
    PgfProps viaChange = base, viaErase = base, rebuilt;
    viaChange[2] = std::string("y");
    PgfProps other = viaChange; // a base of its own, changed back and forth
    other[1] = int32_t(5);
    other[1] = int32_t(1);
    for (auto [k, v] : viaChange)
        rebuilt[k] = v;
    EXPECT_TRUE(viaChange == other);
    EXPECT_TRUE(rebuilt == viaChange);
    EXPECT_TRUE(viaChange == rebuilt);
    viaErase.erase(4);
    PgfProps erasedElsewhere = viaChange;
    erasedElsewhere[2] = std::string("x");
    erasedElsewhere.erase(4);
    EXPECT_TRUE(viaErase == erasedElsewhere);
    EXPECT_FALSE(viaErase == base) << "an erased key counts";
    EXPECT_FALSE(viaChange == base) << "a changed value counts";
}

// The reader: a paragraph whose own <Pgf> restates its format stores nothing and shares the
// format's set; one that also changes two properties stores two.
TEST(PgfProps, ReaderStoresOnlyAParagraphsOwnDifferences)
{
    const std::string restated = "<PgfFont <FSize 11.0 pt>> <PgfLIndent 20.0 pt> <PgfSpBefore 4.0 pt>";
    const std::string bytes = "<MIFFile 2019>\n<PgfCatalog <Pgf <PgfTag `Body'> " + restated +
                              ">>\n"
                              "<TextFlow <TFTag `A'>\n"
                              " <Para <PgfTag `Body'> <Pgf " +
                              restated +
                              "> <ParaLine <String `same'>>>\n"
                              " <Para <PgfTag `Body'> <Pgf " +
                              restated +
                              " <PgfFIndent 18.0 pt> <PgfSpAfter 6.0 pt>> <ParaLine <String `two'>>>\n"
                              ">\n";
    auto src = std::make_shared<MifSource>();
    MifError error;
    ASSERT_TRUE(ParseMif(bytes, "own.mif", *src, error)) << error.text();
    Model m;
    auto doc = ReadMifDocument(m, src, "own.mif");
    ASSERT_TRUE(doc);
    const PgfFormat* body = doc->formatByName("Body");
    ASSERT_TRUE(body);
    std::map<std::string, const Paragraph*> byText;
    for (const auto& [id, p] : doc->paragraphs)
        byText[p.text] = &p;
    ASSERT_TRUE(byText.count("same") && byText.count("two"));
    EXPECT_EQ(body->props.stored(), 3u) << "the format stores what differs from the defaults";
    EXPECT_TRUE(byText["same"]->props.sharesWith(body->props));
    EXPECT_EQ(byText["two"]->props.stored(), 2u);
    EXPECT_EQ(PgfPropsDifferences(byText["two"]->props, body->props), 2);
}

} // namespace
