// Free-format reading of the front end's data files: numbers one after the
// other, separated by blanks, tabs, commas or line ends, wherever the lines
// break. Locale-independent: the decimal mark is always the point.
#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace bsf {

// A data file that is missing, cannot be read, ends early or holds text
// where a number belongs. The message names the file, the line and the text.
class DataFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FreeFormatReader {
 public:
  // Opens `file`; throws DataFileError naming it when it cannot be opened.
  explicit FreeFormatReader(const std::filesystem::path& file);

  // The next number. `what` says what it should be, for the error message
  // when the file ends before it.
  double next(std::string_view what);

  // Passes over the rest of the current line (or the next whole line when
  // the current one is used up): a header line.
  void skip_line();

  int line_number() const { return line_number_; }

 private:
  bool fill();  // reads the next line; false at end of file
  [[noreturn]] void fail(const std::string& what) const;

  std::string name_;
  std::ifstream in_;
  std::string line_;
  std::size_t pos_ = 0;
  int line_number_ = 0;
};

}  // namespace bsf
