// Reading and writing of the engine's text files and console lines.
//
// The exchange and data files are fixed-column text in the tradition of
// formatted Fortran input: a numeric field is a column range, blanks inside it
// are ignored, a field without a decimal point carries a stated number of
// implied decimals, and an exponent part (1.234E-02, 1.2E+03) is allowed.
// Free fields are read as the first number on the line. Console numbers are
// fixed-width fields that fill with asterisks when the value does not fit.
//
// Everything here is written once and used by every reader of the engine.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "file_io.h"

namespace bsf {

// A failure to read the run conditions or a data file. The message names the
// file, the line and the offending text, in words a user can act on.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where a value comes from, for error messages.
struct SourceLocation {
  std::string file;  // file name as the user knows it
  int line = 0;      // 1-based line number, 0 when not tied to a line
};

[[noreturn]] void throw_input_error(const SourceLocation& where, const std::string& what);

// Sequential line reader. Accepts CR LF and LF line ends (a trailing CR is
// removed) and keeps the line number for error messages.
class LineReader {
 public:
  // Opens `name` in `dir` (matched without regard to case, find_file_nocase
  // of file_io.h). Throws InputError
  // naming the file when it does not exist or cannot be opened.
  LineReader(const std::filesystem::path& dir, std::string_view name);

  // Reads the next line into `line`; false at end of file.
  bool next(std::string& line);

  // Reads the next line; throws InputError when the file ends before it.
  // `what` says what the line should have held.
  std::string require(std::string_view what);

  const std::string& file_name() const { return name_; }
  int line_number() const { return line_number_; }
  SourceLocation here() const { return {name_, line_number_}; }

 private:
  std::string name_;
  std::ifstream in_;
  int line_number_ = 0;
};

// Column range of a fixed field, 1-based and inclusive, as data layouts are
// usually written down.
struct Columns {
  int first;
  int last;
};

// Reads a real from columns `cols` of `line` with `implied_decimals` implied
// decimals. Blanks are ignored anywhere in the field; a line shorter than the
// field is padded with blanks. The decimal string is converted with correct
// rounding to the nearest single-precision value. An empty or malformed field
// throws InputError naming `where`, the columns and the text.
float read_fixed_real(std::string_view line, Columns cols, int implied_decimals,
                      const SourceLocation& where);

// Reads a 32-bit signed integer from columns `cols`; blanks ignored.
std::int32_t read_fixed_int(std::string_view line, Columns cols, const SourceLocation& where);

// Reads the first number on the line, ended by a blank, a comma or the line
// end. Returns nullopt when the line holds no value at all (only blanks and
// commas); throws InputError when the first item is not a number.
std::optional<float> read_free_real(std::string_view line, const SourceLocation& where);

// Formats `value` as a Fortran Fw.d field: right-aligned in `width`
// characters with exactly `decimals` digits after the point (with 0 decimals
// the point is still written, as in "   30."). A value that does not fit is
// shown as `width` asterisks.
std::string format_fixed(double value, int width, int decimals);

// Formats an integer right-aligned in `width` characters, asterisks on overflow.
std::string format_int(long long value, int width);

}  // namespace bsf
