// properties.cpp - the paragraph property table: numbers, MIF statements, types, units and
// defaults (a new document's "Body"-like settings), with keyword lookups for enumerations.
#include "host/model/properties.h"

#include <array>
#include <cstring>
#include <deque>
#include <string>
#include <unordered_map>

namespace tw::host {
namespace {

constexpr int32_t kPt = 0x10000;
constexpr int32_t kPercent100 = 0x10000;

// A whole percentage as the MIF reader stores "<PgfMaxWordSpace 110>": rounded to the nearest
// 1/65536, so that a default and the same value spelled out are one value.
constexpr int32_t WholePercent(int32_t percent) { return (percent * kPercent100 + 50) / 100; }

constexpr Keyword kAlignment[] = {{1, "Left"}, {2, "Right"}, {3, "Center"}, {4, "LeftRight"}};
constexpr Keyword kCase[] = {{0, "FAsTyped"}, {1, "FSmallCaps"}, {2, "FLowercase"}, {3, "FUppercase"}};
constexpr Keyword kPosition[] = {{0, "FNormal"}, {1, "FSuperscript"}, {2, "FSubscript"}};
constexpr Keyword kUnderlining[] = {{0, "FNoUnderlining"}, {1, "FSingle"}, {2, "FDouble"}, {3, "FNumeric"}};
constexpr Keyword kPlacementStyle[] = {
    {0, "Normal"}, {1, "SideheadTop"}, {2, "SideheadFirstBaseline"}, {3, "SideheadLastBaseline"},
    {4, "RunIn"},  {5, "Straddle"},    {6, "StraddleNormalOnly"}};
constexpr Keyword kPlacement[] = {{0, "Anywhere"}, {1, "ColumnTop"}, {2, "PageTop"}, {3, "LPageTop"}, {4, "RPageTop"}};
constexpr Keyword kCellAlignment[] = {{0, "Top"}, {1, "Middle"}, {2, "Bottom"}};
constexpr Keyword kLineSpacing[] = {{0, "Fixed"}, {1, "Proportional"}}; // 0 fixed, as the API reads it
constexpr Keyword kLanguage[] = {{0, "NoLanguage"},
                                 {1, "USEnglish"},
                                 {2, "UKEnglish"},
                                 {3, "German"},
                                 {4, "SwissGerman"},
                                 {5, "French"},
                                 {6, "CanadianFrench"},
                                 {7, "Spanish"},
                                 {8, "Catalan"},
                                 {9, "Italian"},
                                 {10, "Portuguese"},
                                 {11, "Brazilian"},
                                 {12, "Danish"},
                                 {13, "Dutch"},
                                 {14, "Norwegian"},
                                 {15, "Nynorsk"},
                                 {16, "Finnish"},
                                 {17, "Swedish"},
                                 {18, "Japanese"},
                                 {19, "TraditionalChinese"},
                                 {20, "SimplifiedChinese"},
                                 {21, "Korean"},
                                 {22, "NewGerman"},
                                 {23, "NewSwissGerman"},
                                 {24, "NewDutch"},
                                 {25, "Greek"},
                                 {26, "Russian"},
                                 {27, "Czech"},
                                 {28, "Polish"},
                                 {29, "Hungarian"},
                                 {30, "Turkish"},
                                 {31, "Slovak"},
                                 {32, "Slovenian"},
                                 {33, "Bulgarian"},
                                 {34, "Croatian"},
                                 {35, "Estonian"},
                                 {36, "Latvian"},
                                 {37, "Lithuanian"},
                                 {38, "Romanian"},
                                 {39, "Arabic"},
                                 {40, "Hebrew"},
                                 {41, "Thai"},
                                 {42, "Farsi"}};

PropertyInfo Plain(int32_t n, const char* mif, const char* parent, PropType t, PropUnit u, PropValue v)
{
    return PropertyInfo{n, mif, parent, t, u, std::move(v), {}, 0, 0};
}
PropertyInfo Enum(int32_t n, const char* mif, const char* parent, std::span<const Keyword> k, int32_t v)
{
    return PropertyInfo{n, mif, parent, PropType::Enum, PropUnit::None, v, k, 0, 0};
}
PropertyInfo Font(int32_t n, const char* mif, int32_t list, const char* v)
{
    return PropertyInfo{n, mif, "PgfFont", PropType::FontIndex, PropUnit::None, std::string(v), {}, 0, list};
}
PropertyInfo Margin(int32_t n, int32_t part)
{
    return PropertyInfo{n, "PgfCellMargins", nullptr, PropType::CellMargin, PropUnit::Point, int32_t{0}, {}, part, 0};
}

const std::vector<PropertyInfo>& PropertyTable()
{
    using T = PropType;
    using U = PropUnit;
    static const std::vector<PropertyInfo> table = {
        Plain(20, "PgfTag", nullptr, T::Name, U::None, std::string()),
        // default font
        Enum(619, "FCase", "PgfFont", kCase, 0),
        Plain(611, "FChangeBar", "PgfFont", T::Bool, U::None, 0),
        Plain(751, "FColor", "PgfFont", T::ColorName, U::None, std::string("Black")),
        Plain(992, "FBackgroundColor", "PgfFont", T::ColorName, U::None, std::string()),
        Font(604, "FFamily", 55, "Times"),
        Font(607, "FAngle", 58, "Regular"),
        Plain(615, "FSize", "PgfFont", T::Metric, U::Point, 12 * kPt),
        Font(605, "FVar", 56, "Regular"),
        Font(606, "FWeight", 57, "Regular"),
        Plain(618, "FDW", "PgfFont", T::Percent, U::PercentDecimal, 0),
        Plain(643, "FStretch", "PgfFont", T::Percent, U::PercentDecimal, kPercent100),
        Plain(610, "FOverline", "PgfFont", T::Bool, U::None, 0),
        Plain(614, "FPairKern", "PgfFont", T::Bool, U::None, 1),
        Enum(620, "FPosition", "PgfFont", kPosition, 0),
        Plain(609, "FStrike", "PgfFont", T::Bool, U::None, 0),
        Enum(608, "FUnderlining", "PgfFont", kUnderlining, 0),
        // basic
        Enum(547, "PgfAlignment", nullptr, kAlignment, 4),
        Enum(577, "PgfLanguage", nullptr, kLanguage, 1),
        Plain(574, "TabStop", nullptr, T::TabList, U::Point, std::vector<TabStop>{}),
        Plain(550, "PgfLetterSpace", nullptr, T::Bool, U::None, 0),
        Plain(571, "PgfMinWordSpace", nullptr, T::Percent, U::PercentInt, WholePercent(90)),
        Plain(572, "PgfMaxWordSpace", nullptr, T::Percent, U::PercentInt, WholePercent(110)),
        Plain(557, "PgfOptWordSpace", nullptr, T::Percent, U::PercentInt, kPercent100),
        Plain(556, "PgfFIndent", nullptr, T::Metric, U::Point, 0),
        Plain(555, "PgfLIndent", nullptr, T::Metric, U::Point, 0),
        Plain(570, "PgfRIndent", nullptr, T::Metric, U::Point, 0),
        Plain(558, "PgfLeading", nullptr, T::Metric, U::Point, 2 * kPt),
        Enum(587, "PgfLineSpacing", nullptr, kLineSpacing, 0),
        Plain(553, "PgfSpBefore", nullptr, T::Metric, U::Point, 0),
        Plain(568, "PgfSpAfter", nullptr, T::Metric, U::Point, 0),
        // pagination
        Plain(561, "PgfBlockSize", nullptr, T::Int, U::None, 1),
        Plain(565, "PgfWithNext", nullptr, T::Bool, U::None, 0),
        Plain(551, "PgfWithPrev", nullptr, T::Bool, U::None, 0),
        Enum(579, "PgfPlacementStyle", nullptr, kPlacementStyle, 0),
        Plain(578, "PgfRunInDefaultPunct", nullptr, T::String, U::None, std::string(". ")),
        Enum(567, "PgfPlacement", nullptr, kPlacement, 0),
        // next tag
        Plain(566, "PgfUseNextTag", nullptr, T::Bool, U::None, 0),
        Plain(552, "PgfNextTag", nullptr, T::String, U::None, std::string()),
        // autonumbering
        Plain(562, "PgfAutoNum", nullptr, T::Bool, U::None, 0),
        Plain(563, "PgfNumAtEnd", nullptr, T::Bool, U::None, 0),
        Plain(549, "PgfNumberFont", nullptr, T::String, U::None, std::string()),
        Plain(548, "PgfNumFormat", nullptr, T::String, U::None, std::string()),
        // hyphenation
        Plain(564, "PgfHyphenate", nullptr, T::Bool, U::None, 0),
        Plain(559, "HyphenMaxLines", nullptr, T::Int, U::None, 2),
        Plain(575, "HyphenMinPrefix", nullptr, T::Int, U::None, 3),
        Plain(560, "HyphenMinSuffix", nullptr, T::Int, U::None, 3),
        Plain(576, "HyphenMinWord", nullptr, T::Int, U::None, 5),
        // reference frames
        Plain(569, "PgfBotSeparator", nullptr, T::String, U::None, std::string()),
        Plain(554, "PgfTopSeparator", nullptr, T::String, U::None, std::string()),
        // table cells
        Enum(585, "PgfCellAlignment", nullptr, kCellAlignment, 0),
        Margin(583, 0),
        Margin(581, 1),
        Margin(584, 2),
        Margin(582, 3),
        Plain(586, "PgfCellLMarginFixed", nullptr, T::CellMarginBits, U::None, 0),
        // PDF
        Plain(2258, "PgfPDFDestination", nullptr, T::Bool, U::None, 0),
        Plain(589, "PgfAcrobatLevel", nullptr, T::Int, U::None, 0),
        Plain(600, "PgfPDFStructureLevel", nullptr, T::Int, U::None, 0),
    };
    return table;
}

} // namespace

std::span<const PropertyInfo> ParagraphProperties() { return PropertyTable(); }

const PropertyInfo* FindParagraphProperty(int32_t number)
{
    for (const auto& info : PropertyTable())
        if (info.number == number)
            return &info;
    return nullptr;
}

const PropertyInfo* FindParagraphPropertyByMif(std::string_view parent, std::string_view mifName)
{
    // Asked for every statement of every <Pgf> read: one hash lookup, not a walk of the table.
    static const std::deque<std::string> keys = [] {
        std::deque<std::string> k;
        for (const auto& info : PropertyTable())
            k.push_back(std::string(info.parent ? info.parent : "") + '/' + info.mif);
        return k;
    }();
    static const std::unordered_map<std::string_view, const PropertyInfo*> byName = [] {
        std::unordered_map<std::string_view, const PropertyInfo*> m;
        size_t i = 0;
        for (const auto& info : PropertyTable())
            m.emplace(keys[i++], &info);
        return m;
    }();
    char key[96];
    if (parent.size() + mifName.size() + 1 > sizeof key)
        return nullptr;
    std::memcpy(key, parent.data(), parent.size());
    key[parent.size()] = '/';
    std::memcpy(key + parent.size() + 1, mifName.data(), mifName.size());
    auto it = byName.find(std::string_view(key, parent.size() + 1 + mifName.size()));
    return it == byName.end() ? nullptr : it->second;
}

std::optional<int32_t> KeywordValue(const PropertyInfo& info, std::string_view keyword)
{
    for (const auto& k : info.keywords)
        if (keyword == k.mif)
            return k.value;
    return std::nullopt;
}

const char* KeywordName(const PropertyInfo& info, int32_t value)
{
    for (const auto& k : info.keywords)
        if (k.value == value)
            return k.mif;
    return nullptr;
}

PgfProps DefaultParagraphProps()
{
    // Built once; every copy shares it until it is changed.
    static const PgfProps defaults = [] {
        PgfProps props;
        for (const auto& info : PropertyTable())
            if (info.type != PropType::Name)
                props[info.number] = info.initial;
        return props;
    }();
    return defaults;
}

} // namespace tw::host
