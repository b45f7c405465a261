// The fixed knowledge the program teaches: six continents and eighty
// navigable rivers, each river tied to its continent by a one-digit code.
//
// These tables are the start of the data flow. The window copies them into
// its controls once, at start; from then on the selection controller reads
// them back only through those controls, by position. Nothing here changes
// while the program runs. Every text is UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace catalogue {

// Row number = continent code = index of the continent's option button.
// Bulgarian alphabetical order, as the buttons show it top to bottom.
inline constexpr std::array<std::string_view, 6> continents = {
    "Австралия", "Азия", "Африка", "Европа", "Северна Америка", "Южна Америка",
};

struct River {
    std::string_view name; // shown as is; five names keep a trailing blank
    std::string_view code; // the continent code as one decimal digit
};

inline constexpr std::size_t riverCount = 80;

// In ascending (Bulgarian alphabetical) order of name. "Урал" crosses two
// continents and so stands twice, at adjacent positions.
extern const std::array<River, riverCount> rivers;

// Reads a continent code the way the code column is meant to be read: leading
// blanks are skipped, then the longest decimal number is taken. A text that
// does not begin with a number gives 0.
double parseLeadingNumber(std::string_view text);

} // namespace catalogue
