// pgf.cpp - paragraph property statements <-> the model's property sets, from the one
// property table, and the MIF value syntax they use.
#include "host/mif/pgf.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/model/properties.h"

namespace tw::host {
namespace {

constexpr double kMetricPerPoint = 65536.0;

struct TabKindName {
    int32_t kind;
    const char* mif;
};
constexpr TabKindName kTabKinds[] = {
    {TAB_LEFT, "Left"}, {TAB_CENTER, "Center"}, {TAB_RIGHT, "Right"}, {TAB_DECIMAL, "Decimal"}};

// The four cell-margin "fixed" flags and their bits in property 586.
struct MarginFlag {
    const char* mif;
    int32_t bit;
};
constexpr MarginFlag kMarginFlags[] = {
    {"PgfCellLMarginFixed", 1}, {"PgfCellBMarginFixed", 2}, {"PgfCellRMarginFixed", 4}, {"PgfCellTMarginFixed", 8}};
constexpr int32_t kCellMarginOrder[4] = {583, 581, 584, 582}; // L T R B as MIF writes them

bool ParseNumber(std::string_view text, double& value, std::string_view& rest)
{
    std::string buf(text);
    char* end = nullptr;
    value = std::strtod(buf.c_str(), &end);
    if (end == buf.c_str())
        return false;
    rest = text.substr(static_cast<size_t>(end - buf.c_str()));
    return true;
}

std::string DecodeString(const MifSource& src, std::string_view token)
{
    std::string out, error;
    if (!DecodeMifString(token, src.encoding, out, error))
        return {};
    return out;
}

// `v` with as few decimals as read back as the same stored value, `v` times `scale` rounded
// (three at the least, as the publishing program writes them, and trailing zeros dropped but
// one): 8 cm is 226.7717 pt, where three decimals would read back 1/65536 pt off.
std::string FormatNumber(double v, double scale)
{
    const long long want = std::llround(v * scale);
    std::string s;
    for (int places = 3; places <= 9; ++places) {
        char buf[64];
        snprintf(buf, sizeof buf, "%.*f", places, v);
        s = buf;
        if (std::llround(std::strtod(buf, nullptr) * scale) == want)
            break;
    }
    while (s.size() > 1 && s.back() == '0' && s[s.size() - 2] != '.')
        s.pop_back();
    return s;
}

std::string JoinTokens(const std::vector<std::string_view>& tokens)
{
    std::string s;
    for (auto t : tokens) {
        if (!s.empty())
            s += ' ';
        s += t;
    }
    return s;
}

// Reads one leaf statement's value as the property's type; nullopt when it cannot be read.
std::optional<PropValue> ReadValue(const MifReadContext& ctx, const PropertyInfo& info, int32_t node)
{
    const MifSource& src = *ctx.src;
    if (info.type != PropType::Metric && info.type != PropType::Percent) { // one value: no list needed
        std::string_view first = src.firstToken(node);
        if (first.empty())
            return std::nullopt;
        switch (info.type) {
        case PropType::Int:
            return PropValue{static_cast<int32_t>(std::strtol(std::string(first).c_str(), nullptr, 10))};
        case PropType::Bool: return PropValue{int32_t{first == "Yes" ? 1 : 0}};
        case PropType::Enum: {
            auto v = KeywordValue(info, first);
            if (!v)
                return std::nullopt;
            return PropValue{*v};
        }
        case PropType::ColorName:
            if (first == kNoColor) // a keyword, not a colour's name
                return PropValue{std::string(kNoColor)};
            return PropValue{DecodeString(src, first)};
        case PropType::String:
        case PropType::FontIndex: return PropValue{DecodeString(src, first)};
        default: return std::nullopt;
        }
    }
    auto tokens = src.tokens(node);
    if (tokens.empty())
        return std::nullopt;
    switch (info.type) {
    case PropType::Int:
        return PropValue{static_cast<int32_t>(std::strtol(std::string(tokens[0]).c_str(), nullptr, 10))};
    case PropType::Bool: return PropValue{int32_t{tokens[0] == "Yes" ? 1 : 0}};
    case PropType::Enum: {
        auto v = KeywordValue(info, tokens[0]);
        if (!v)
            return std::nullopt;
        return PropValue{*v};
    }
    case PropType::Metric: {
        auto v = ParseMifMetric(tokens, ctx.unitPoints);
        if (!v)
            return std::nullopt;
        return PropValue{*v};
    }
    case PropType::Percent: {
        double v;
        std::string_view rest;
        if (!ParseNumber(JoinTokens(tokens), v, rest))
            return std::nullopt;
        return PropValue{static_cast<int32_t>(std::llround(v * 65536.0 / 100.0))};
    }
    case PropType::String:
    case PropType::ColorName:
    case PropType::FontIndex: return PropValue{DecodeString(src, tokens[0])};
    default: return std::nullopt;
    }
}

std::string ValueText(const MifSource& src, const PropertyInfo& info, const PropValue& value)
{
    switch (info.type) {
    case PropType::Int: return std::to_string(std::get<int32_t>(value));
    case PropType::Bool: return std::get<int32_t>(value) ? "Yes" : "No";
    case PropType::Enum: {
        const char* k = KeywordName(info, std::get<int32_t>(value));
        return k ? k : info.keywords.empty() ? "0" : info.keywords[0].mif;
    }
    case PropType::Metric: return FormatMifMetric(std::get<int32_t>(value)).substr(1);
    case PropType::Percent: {
        double pct = std::get<int32_t>(value) * 100.0 / 65536.0;
        if (info.unit == PropUnit::PercentInt)
            return std::to_string(static_cast<int>(std::lround(pct)));
        return FormatNumber(pct, 65536.0 / 100.0) + "%";
    }
    case PropType::ColorName:
        if (std::get<std::string>(value) == kNoColor)
            return kNoColor;
        return EncodeMifString(std::get<std::string>(value), src.encoding);
    case PropType::String:
    case PropType::FontIndex: return EncodeMifString(std::get<std::string>(value), src.encoding);
    default: return {};
    }
}

std::string TabStopsText(const MifSource& src, const std::vector<TabStop>& tabs)
{
    std::string t = "<PgfNumTabs " + std::to_string(tabs.size()) + ">";
    for (const TabStop& tab : tabs) {
        const char* kind = "Left";
        for (const auto& k : kTabKinds)
            if (k.kind == tab.kind)
                kind = k.mif;
        t += "\n<TabStop \n <TSX " + FormatMifMetric(tab.position) + ">\n <TSType " + kind + ">\n <TSLeaderStr " +
             EncodeMifString(tab.leader, src.encoding) + ">\n";
        if (tab.kind == TAB_DECIMAL)
            t += " <TSDecimalChar " + std::to_string(tab.decimal) + ">\n";
        t += "> # end of TabStop";
    }
    return t;
}

std::string CellMarginsText(const PgfProps& props)
{
    std::string t = "<PgfCellMargins ";
    for (int32_t n : kCellMarginOrder) {
        auto it = props.find(n);
        t += FormatMifMetric(it != props.end() ? std::get<int32_t>(it->second) : 0);
    }
    return t + ">";
}

bool SameValue(const PgfProps& a, const PgfProps& b, int32_t number)
{
    auto ia = a.find(number), ib = b.find(number);
    if (ia == a.end() || ib == b.end())
        return (ia == a.end()) == (ib == b.end());
    return ia->second == ib->second;
}

// The last child of that name: the one a reader's value comes from.
int32_t LastChild(const MifSource& src, int32_t parent, std::string_view name)
{
    int32_t last = -1;
    if (!src.has(parent))
        return last;
    for (int32_t c : src.each(parent, name))
        last = c;
    return last;
}

void ReplaceStatement(MifSource& src, int32_t parent, int32_t old, const std::string& text)
{
    int32_t before = -1;
    if (old >= 0) {
        auto kids = src.children(parent);
        for (size_t i = 0; i < kids.size(); ++i)
            if (kids[i] == old && i + 1 < kids.size())
                before = kids[i + 1];
        src.remove(old);
    }
    src.insert(parent, before, text);
}

} // namespace

std::optional<double> MifUnitPoints(std::string_view u)
{
    if (u == "pt" || u == "point")
        return 1.0;
    if (u == "\"" || u == "in")
        return 72.0;
    if (u == "mm" || u == "millimeter")
        return 72.0 / 25.4;
    if (u == "cm" || u == "centimeter")
        return 72.0 / 2.54;
    if (u == "pc" || u == "pica")
        return 12.0;
    if (u == "dd" || u == "didot")
        return 0.0148 * 72.0;
    if (u == "cc" || u == "cicero")
        return 12 * 0.0148 * 72.0;
    if (u == "Q" || u == "q")
        return 72.0 / 25.4 / 4.0;
    return std::nullopt;
}

std::vector<int32_t> ParseMifMetrics(const std::vector<std::string_view>& tokens, double defaultUnitPoints)
{
    std::vector<int32_t> values;
    for (size_t i = 0; i < tokens.size(); ++i) {
        double v;
        std::string_view rest;
        if (!ParseNumber(tokens[i], v, rest))
            continue;
        double unit = defaultUnitPoints;
        if (!rest.empty()) {
            if (auto u = MifUnitPoints(rest))
                unit = *u;
        } else if (i + 1 < tokens.size()) {
            if (auto u = MifUnitPoints(tokens[i + 1])) {
                unit = *u;
                ++i;
            }
        }
        values.push_back(static_cast<int32_t>(std::llround(v * unit * kMetricPerPoint)));
    }
    return values;
}

std::optional<int32_t> ParseMifMetric(const std::vector<std::string_view>& tokens, double defaultUnitPoints)
{
    auto values = ParseMifMetrics(tokens, defaultUnitPoints);
    if (values.empty())
        return std::nullopt;
    return values[0];
}

std::string FormatMifMetric(int32_t metric)
{
    return " " + FormatNumber(metric / kMetricPerPoint, kMetricPerPoint) + " pt";
}

void ReadPgfStatements(const MifReadContext& ctx, int32_t pgfNode, std::string* tag, PgfProps& props,
                       MifEncoding* encoding)
{
    const MifSource& src = *ctx.src;
    std::vector<TabStop> tabs;
    bool sawTabs = false;
    for (int32_t c : src.each(pgfNode)) {
        std::string_view name = src.name(c);
        if (name == "PgfTag") {
            if (tag)
                *tag = DecodeString(src, src.firstToken(c));
        } else if (name == "PgfFont") {
            for (int32_t f : src.each(c)) {
                std::string_view fname = src.name(f);
                if (fname == "FEncoding") {
                    if (encoding && src.legacy)
                        *encoding = MifEncodingFromFont(DecodeString(src, src.firstToken(f)));
                    continue;
                }
                if (const PropertyInfo* info = FindParagraphPropertyByMif("PgfFont", fname))
                    if (auto v = ReadValue(ctx, *info, f))
                        props[info->number] = *v;
            }
        } else if (name == "PgfNumTabs") {
            sawTabs = true;
            tabs.clear();
        } else if (name == "TabStop") {
            sawTabs = true;
            TabStop tab;
            for (int32_t t : src.each(c)) {
                std::string_view tname = src.name(t);
                auto tokens = src.tokens(t);
                if (tokens.empty())
                    continue;
                if (tname == "TSX")
                    tab.position = ParseMifMetric(tokens, ctx.unitPoints).value_or(0);
                else if (tname == "TSType") {
                    for (const auto& k : kTabKinds)
                        if (tokens[0] == k.mif)
                            tab.kind = k.kind;
                } else if (tname == "TSLeaderStr")
                    tab.leader = DecodeString(src, tokens[0]);
                else if (tname == "TSDecimalChar")
                    tab.decimal = std::atoi(std::string(tokens[0]).c_str());
            }
            tabs.push_back(tab);
        } else if (name == "PgfCellMargins") {
            auto values = ParseMifMetrics(src.tokens(c), ctx.unitPoints);
            for (size_t i = 0; i < values.size() && i < 4; ++i)
                props[kCellMarginOrder[i]] = values[i];
        } else {
            bool flag = false;
            for (const auto& m : kMarginFlags) {
                if (name != m.mif)
                    continue;
                flag = true;
                int32_t bits = 0;
                if (auto it = props.find(586); it != props.end())
                    bits = std::get<int32_t>(it->second);
                bits = src.firstToken(c) == "Yes" ? (bits | m.bit) : (bits & ~m.bit);
                props[586] = bits;
            }
            if (flag)
                continue;
            const PropertyInfo* info = FindParagraphPropertyByMif("", name);
            if (info && info->type != PropType::Name && info->type != PropType::TabList &&
                info->type != PropType::CellMargin && info->type != PropType::CellMarginBits)
                if (auto v = ReadValue(ctx, *info, c))
                    props[info->number] = *v;
        }
    }
    if (sawTabs)
        props[574] = tabs;
}

bool IsModelledPgfStatement(std::string_view parent, std::string_view name)
{
    if (parent == "PgfFont")
        return FindParagraphPropertyByMif("PgfFont", name) != nullptr;
    if (name == "PgfTag" || name == "PgfFont" || name == "PgfNumTabs" || name == "TabStop" || name == "PgfCellMargins")
        return true;
    for (const auto& m : kMarginFlags)
        if (name == m.mif)
            return true;
    return FindParagraphPropertyByMif("", name) != nullptr;
}

void WritePgfStatements(MifSource& src, int32_t pgf, const PgfProps& want, const PgfProps& have, const PgfProps* base)
{
    int32_t font = src.firstChild(pgf, "PgfFont");
    bool marginsDone = false, flagsDone = false;
    // Whether the holder reads as `want` for a property once the node says nothing of it.
    auto fromBase = [&](int32_t number) { return base && SameValue(want, *base, number); };
    for (const PropertyInfo& info : ParagraphProperties()) {
        if (info.type == PropType::Name || SameValue(want, have, info.number))
            continue;
        auto it = want.find(info.number);
        if (it == want.end())
            continue;
        if (info.type == PropType::TabList) {
            // The tab stops are written as a group: drop the old ones, add the new after the count.
            int32_t count = src.firstChild(pgf, "PgfNumTabs");
            int32_t before = -1;
            if (count >= 0) {
                auto kids = src.children(pgf);
                for (size_t i = 0; i < kids.size(); ++i)
                    if (kids[i] == count) {
                        size_t j = i + 1;
                        while (j < kids.size() && src.name(kids[j]) == "TabStop")
                            ++j;
                        before = j < kids.size() ? kids[j] : -1;
                    }
            }
            for (int32_t t : src.children(pgf, "TabStop"))
                src.remove(t);
            src.remove(count);
            if (!fromBase(info.number))
                src.insert(pgf, before, TabStopsText(src, std::get<std::vector<TabStop>>(it->second)));
            continue;
        }
        if (info.type == PropType::CellMargin) {
            if (marginsDone)
                continue;
            marginsDone = true;
            int32_t old = LastChild(src, pgf, "PgfCellMargins");
            bool allFromBase = old >= 0;
            for (int32_t n : kCellMarginOrder)
                allFromBase = allFromBase && fromBase(n);
            if (allFromBase)
                src.remove(old);
            else
                ReplaceStatement(src, pgf, old, CellMarginsText(want));
            continue;
        }
        if (info.type == PropType::CellMarginBits) {
            if (flagsDone)
                continue;
            flagsDone = true;
            auto bitsOf = [](const PgfProps& props) {
                auto found = props.find(586);
                return found == props.end() ? 0 : std::get<int32_t>(found->second);
            };
            int32_t bits = bitsOf(want), had = bitsOf(have), baseBits = base ? bitsOf(*base) : 0;
            for (const auto& m : kMarginFlags) {
                if ((bits & m.bit) == (had & m.bit))
                    continue;
                int32_t old = LastChild(src, pgf, m.mif);
                if (base && old >= 0 && (bits & m.bit) == (baseBits & m.bit)) {
                    src.remove(old);
                    continue;
                }
                std::string text = std::string("<") + m.mif + " " + ((bits & m.bit) ? "Yes" : "No") + ">";
                ReplaceStatement(src, pgf, old, text);
            }
            continue;
        }
        bool inFont = info.parent != nullptr;
        int32_t parent = inFont ? font : pgf;
        int32_t existing = LastChild(src, parent, info.mif);
        if (existing >= 0 && fromBase(info.number)) {
            src.remove(existing);
            if (inFont && src.children(font).empty()) {
                src.remove(font);
                font = -1;
            }
            continue;
        }
        std::string value = ValueText(src, info, it->second);
        if (existing >= 0) {
            src.setValue(existing, value);
            continue;
        }
        if (inFont && font < 0) {
            auto added = src.insert(pgf, -1, "<PgfFont \n> # end of PgfFont");
            font = added.empty() ? -1 : added[0];
            if (font < 0)
                continue;
            parent = font;
        }
        bool spaced = info.type == PropType::Metric || info.type == PropType::Percent;
        src.insert(parent, -1,
                   std::string("<") + info.mif + " " + (spaced && info.unit != PropUnit::PercentInt ? " " : "") +
                       value + ">");
    }
}

std::string PgfStatementText(const MifSource& src, const std::string& tag, const PgfProps& props)
{
    std::string t = "<Pgf \n <PgfTag " + EncodeMifString(tag, src.encoding) + ">\n";
    std::string font;
    bool marginsDone = false, flagsDone = false;
    for (const PropertyInfo& info : ParagraphProperties()) {
        auto it = props.find(info.number);
        if (info.type == PropType::Name || it == props.end())
            continue;
        if (info.type == PropType::TabList) {
            std::string tabs = TabStopsText(src, std::get<std::vector<TabStop>>(it->second));
            std::string indented;
            for (char c : tabs)
                indented += c == '\n' ? std::string("\n ") : std::string(1, c);
            t += " " + indented + "\n";
            continue;
        }
        if (info.type == PropType::CellMargin) {
            if (!marginsDone)
                t += " " + CellMarginsText(props) + "\n";
            marginsDone = true;
            continue;
        }
        if (info.type == PropType::CellMarginBits) {
            if (!flagsDone)
                for (const auto& m : kMarginFlags)
                    t += std::string(" <") + m.mif + " " + ((std::get<int32_t>(it->second) & m.bit) ? "Yes" : "No") +
                         ">\n";
            flagsDone = true;
            continue;
        }
        bool spaced =
            (info.type == PropType::Metric || info.type == PropType::Percent) && info.unit != PropUnit::PercentInt;
        std::string line =
            std::string("<") + info.mif + " " + (spaced ? " " : "") + ValueText(src, info, it->second) + ">\n";
        if (info.parent)
            font += "  " + line;
        else
            t += " " + line;
    }
    if (!font.empty())
        t += " <PgfFont \n" + font + " > # end of PgfFont\n";
    return t + "> # end of Pgf";
}

int PgfPropsDifferences(const PgfProps& a, const PgfProps& b)
{
    int n = 0;
    for (const auto& [number, value] : a) {
        auto it = b.find(number);
        n += it == b.end() || !(it->second == value);
    }
    for (const auto& [number, value] : b)
        n += a.find(number) == a.end();
    return n;
}

} // namespace tw::host
