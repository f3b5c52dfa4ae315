// Numbers as the forms read them from text and write them with patterns.
#pragma once

#include <string>
#include <string_view>

namespace bsf {

// What a form field's text holds, read by the forms' rule below.
struct NumberReading {
  enum class Status {
    Ok,          // a number (possibly followed by other text, as in "12cm")
    NoNumber,    // empty, or the text does not begin with a number ("abc")
    OutOfRange,  // a number too large for double precision ("1e400")
  };
  Status status = Status::NoNumber;
  double value = 0.0;  // 0 unless Ok
  bool ok() const { return status == Status::Ok; }
};

// Reads a number from a form field: leading blanks skipped; an optional
// sign, digits with at most one decimal point and an optional exponent are
// taken; reading stops at the first character that does not fit; blanks
// between digits are skipped. The decimal mark is always the point,
// whatever the locale. "12cm" reads 12, " 1.5" 1.5, "2,5" 2; "abc" and ""
// hold no number; "1e400" is out of range, while "1e-400" reads 0.
NumberReading parse_number(std::string_view text);

// Strict reading, for option and CSV values and the dose inputs, where a
// number read from the front of "2,1" would be a silent wrong dose: the
// whole text, blanks around it aside, must be one finite number. Throws
// std::invalid_argument naming the text.
double parse_strict(std::string_view text);

// The value as the forms store it on leaving a field: the number, or 0 for
// a text that holds none; ±infinity for a magnitude beyond double precision.
double read_number(std::string_view text);

// Formats a value with a pattern of '0' (a digit always written), '#' (a
// digit written unless it is a leading zero) and '.', with a leading minus
// sign for a negative value that does not round to zero. Integer digits
// beyond the pattern's are written in full. Patterns in use: "#0.000",
// "000.0", "0000.0", "0.00000", "00000000000".
//
// The value is rounded as a user reads it: its shortest decimal form (the
// fewest digits that give back exactly this double, what a label or a file
// shows) is rounded half away from zero. 1.4725 therefore gives "1.473" to
// three decimals, although the double nearest 1.4725 lies a little below it.
std::string format_pattern(double value, std::string_view pattern);

}  // namespace bsf
