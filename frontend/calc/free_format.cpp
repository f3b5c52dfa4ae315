#include "free_format.h"

#include <charconv>

namespace bsf {

namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r'; }

}  // namespace

FreeFormatReader::FreeFormatReader(const std::filesystem::path& file)
    : name_(file.filename().string()), in_(file, std::ios::binary)
{
  if (!in_) {
    std::error_code ec;
    throw DataFileError(name_ + ": " +
                        (std::filesystem::exists(file, ec) ? "cannot be opened for reading"
                                                           : "file not found in " + file.parent_path().string()));
  }
}

void FreeFormatReader::fail(const std::string& what) const
{
  throw DataFileError(name_ + ", line " + std::to_string(line_number_) + ": " + what);
}

bool FreeFormatReader::fill()
{
  if (!std::getline(in_, line_)) return false;
  ++line_number_;
  pos_ = 0;
  return true;
}

void FreeFormatReader::skip_line()
{
  if (pos_ < line_.size() || line_number_ == 0) {
    if (line_number_ == 0 && !fill()) fail("the file is empty");
    pos_ = line_.size();
    return;
  }
  if (!fill()) fail("the file ends before its header line");
  pos_ = line_.size();
}

double FreeFormatReader::next(std::string_view what)
{
  for (;;) {
    while (pos_ < line_.size() && is_separator(line_[pos_])) ++pos_;
    if (pos_ < line_.size()) break;
    if (!fill()) {
      ++line_number_;
      fail("the file ends before " + std::string(what));
    }
  }
  std::size_t end = pos_;
  while (end < line_.size() && !is_separator(line_[end])) ++end;
  const std::string_view token(line_.data() + pos_, end - pos_);
  const char* first = token.data();
  const char* last = token.data() + token.size();
  if (first != last && *first == '+') ++first;
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last)
    fail("cannot read " + std::string(what) + " from \"" + std::string(token) + "\"");
  pos_ = end;
  return value;
}

}  // namespace bsf
