// Numbers as the forms read them from text and write them with patterns.
#pragma once

#include <string>
#include <string_view>

namespace bsf {

// Reads a number from a form field: leading blanks skipped; an optional
// sign, digits with at most one decimal point and an optional exponent are
// taken; reading stops at the first character that does not fit; blanks
// between digits are skipped. An empty text or one that does not begin with
// a number reads as 0. The decimal mark is always the point, whatever the
// locale. "12cm" reads 12, "abc" 0, " 1.5" 1.5, "2,5" 2.
double read_number(std::string_view text);

// Formats a value with a pattern of '0' (a digit always written), '#' (a
// digit written unless it is a leading zero) and '.', rounded half away from
// zero to the pattern's decimals, with a leading minus sign for a negative
// value that does not round to zero. Integer digits beyond the pattern's are
// written in full. Patterns in use: "#0.000", "000.0", "0000.0", "0.00000",
// "00000000000".
std::string format_pattern(double value, std::string_view pattern);

}  // namespace bsf
