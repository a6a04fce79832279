// properties.h - the one table of paragraph properties the host models: property number, the
// MIF statement that carries it, its value type and unit, and its default. The MIF reader and
// writer and the host API's property answers all work from this table.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "host/model/pgf_props.h"

namespace tw::host {

enum class PropType : uint8_t {
    Name,           // the tag itself (20); MIF <PgfTag>; kept outside PgfProps
    Int,            // MIF integer
    Bool,           // MIF Yes/No; 1 or 0
    Enum,           // MIF keyword; see `keywords`
    Metric,         // MIF dimension; 1/65536 point (see `unit`)
    Percent,        // 0x10000 = 100 %; see `unit` for how MIF writes it
    String,         // MIF `string'
    ColorName,      // answered as a colour object id; kept as the colour's name; MIF `name'
    FontIndex,      // answered as an index into application list 55..58; kept as the name
    TabList,        // MIF <PgfNumTabs n> followed by <TabStop ...> statements
    CellMargin,     // one of the four values of MIF <PgfCellMargins L T R B>
    CellMarginBits, // 586: bits 1 left, 2 bottom, 4 right, 8 top from <PgfCell?MarginFixed>
};

enum class PropUnit : uint8_t {
    None,
    Point,          // MIF "12.0 pt" (any MIF unit accepted on input)
    PercentDecimal, // MIF "100.0%"
    PercentInt,     // MIF "90" meaning 90 %
};

struct Keyword {
    int32_t value;
    const char* mif;
};

struct PropertyInfo {
    int32_t number;
    const char* mif;    // statement name, e.g. "FSize"
    const char* parent; // enclosing statement inside <Pgf>, e.g. "PgfFont"; null: directly in <Pgf>
    PropType type;
    PropUnit unit;
    PropValue initial;                 // default of a new format / paragraph
    std::span<const Keyword> keywords; // Enum only
    int32_t part = 0;                  // CellMargin: index in <PgfCellMargins> (0 L, 1 T, 2 R, 3 B)
    int32_t fontList = 0;              // FontIndex: the application list (55..58)
};

// Every modelled paragraph property, in the order property lists are handed out
// (property 20 first).
std::span<const PropertyInfo> ParagraphProperties();
const PropertyInfo* FindParagraphProperty(int32_t number);
const PropertyInfo* FindParagraphPropertyByMif(std::string_view parent, std::string_view mifName);

// Keyword <-> value for Enum properties; nullopt / null when unknown.
std::optional<int32_t> KeywordValue(const PropertyInfo& info, std::string_view keyword);
const char* KeywordName(const PropertyInfo& info, int32_t value);

// The MIF keyword a colour statement holds for "no colour" (a font's background, as MIF 2019
// writes it). The model keeps it as this name, and a document read from MIF has a colour object
// of that name, so that it is answered like any other colour.
inline constexpr const char* kNoColor = "NoColor";

// A full property set holding every default (what a new format gets).
PgfProps DefaultParagraphProps();

} // namespace tw::host
