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

// A data or exchange file that is missing, cannot be read, ends early,
// holds text where a number belongs, or cannot be written. what() is the
// English message naming the file, the line and the text (for the command
// line); japanese_message() says the same for the windows.
class DataFileError : public std::runtime_error {
 public:
  enum class Kind {
    NotFound,    // no such file in the folder
    CannotOpen,  // there, but cannot be opened for reading
    EndsEarly,   // the file ends before a value it must hold
    NotANumber,  // text where a number belongs
    BadValue,    // a number the file's use cannot take (its message says why)
    CannotWrite, // creating, writing or replacing failed; os_error() says why
  };

  DataFileError(Kind kind, std::filesystem::path file, int line, const std::string& english,
                std::string token = {}, int os_error = 0);

  Kind kind() const { return kind_; }
  const std::filesystem::path& file() const { return file_; }
  int line() const { return line_; }            // 0 when no line is concerned
  const std::string& token() const { return token_; }  // the text that is not a number
  int os_error() const { return os_error_; }    // errno of a failed write, else 0

 private:
  Kind kind_;
  std::filesystem::path file_;
  int line_;
  std::string token_;
  int os_error_;
};

// The error in Japanese, naming the file, the folder, the line and the text.
std::string japanese_message(const DataFileError& e);

// The reason for an operating-system error number, in Japanese.
std::string japanese_os_reason(int os_error);

class FreeFormatReader {
 public:
  // Opens `file`; throws DataFileError naming it when it cannot be opened.
  explicit FreeFormatReader(const std::filesystem::path& file);

  // The next number. `what` says what it should be, for the error message
  // when the file ends before it.
  double next(std::string_view what);

  // The next number, which `ok` must accept: else an error naming the file,
  // the line, the value and `rule` (what the value must be).
  template <class Ok>
  double next_where(std::string_view what, Ok&& ok, std::string_view rule)
  {
    const double v = next(what);
    if (!ok(v)) fail(DataFileError::Kind::BadValue, std::string(what) + " " + shortest(v) + " " + std::string(rule), shortest(v));
    return v;
  }

  // Passes over the rest of the current line (or the next whole line when
  // the current one is used up): a header line.
  void skip_line();

  int line_number() const { return line_number_; }

 private:
  bool fill();  // reads the next line; false at end of file
  [[noreturn]] void fail(DataFileError::Kind kind, const std::string& what, const std::string& token = {}) const;
  static std::string shortest(double v);

  std::filesystem::path file_;
  std::string name_;
  std::ifstream in_;
  std::string line_;
  std::size_t pos_ = 0;
  int line_number_ = 0;
};

}  // namespace bsf
