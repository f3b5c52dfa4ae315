#include "free_format.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace bsf {

DataFileError::DataFileError(Kind kind, std::filesystem::path file, int line, const std::string& english,
                             std::string token, int os_error)
    : std::runtime_error(english),
      kind_(kind),
      file_(std::move(file)),
      line_(line),
      token_(std::move(token)),
      os_error_(os_error)
{
}

std::string japanese_os_reason(int os_error)
{
  switch (os_error) {
    case EACCES:
    case EPERM: return "書き込みの権限がありません";
    case EROFS: return "読み取り専用の場所です";
    case ENOSPC: return "ディスクの空きがありません";
    case EDQUOT: return "ディスクの使用量の上限に達しています";
    case ENOENT: return "フォルダがありません";
    case ENOTDIR: return "フォルダの名前がファイルと重なっています";
    case EISDIR: return "同じ名前のフォルダがあるため置き換えられません";
    case EIO: return "ディスクの読み書きに失敗しました";
    case ENAMETOOLONG: return "ファイル名が長すぎます";
    default: return "システムのエラー番号 " + std::to_string(os_error);
  }
}

std::string japanese_message(const DataFileError& e)
{
  const std::string name = e.file().filename().string();
  const std::string folder = e.file().parent_path().string();
  const std::string at = e.line() > 0 ? name + " の " + std::to_string(e.line()) + " 行目" : name;
  switch (e.kind()) {
    case DataFileError::Kind::NotFound: return "ファイル " + name + " がフォルダ " + folder + " にありません。";
    case DataFileError::Kind::CannotOpen: return "ファイル " + name + " を開けません（フォルダ " + folder + "）。";
    case DataFileError::Kind::EndsEarly:
      return "ファイル " + name + " はデータの途中（" + std::to_string(e.line()) + " 行目）で終わっています（フォルダ " +
             folder + "）。";
    case DataFileError::Kind::NotANumber:
      return at + " の「" + e.token() + "」は数値として読めません（フォルダ " + folder + "）。";
    case DataFileError::Kind::BadValue:
      return at + " の値「" + e.token() + "」は使えません（フォルダ " + folder + "）。データファイルが壊れています。";
    case DataFileError::Kind::CannotWrite:
      return "ファイル " + name + " をフォルダ " + folder + " に書き込めません: " + japanese_os_reason(e.os_error()) +
             "。";
  }
  return e.what();
}

namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r'; }

}  // namespace

FreeFormatReader::FreeFormatReader(const std::filesystem::path& file)
    : file_(file), name_(file.filename().string()), in_(file, std::ios::binary)
{
  if (!in_) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec))
      throw DataFileError(DataFileError::Kind::CannotOpen, file, 0, name_ + ": cannot be opened for reading");
    throw DataFileError(DataFileError::Kind::NotFound, file, 0,
                        name_ + ": file not found in " + file.parent_path().string());
  }
}

std::string FreeFormatReader::shortest(double v)
{
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

void FreeFormatReader::fail(DataFileError::Kind kind, const std::string& what, const std::string& token) const
{
  throw DataFileError(kind, file_, line_number_, name_ + ", line " + std::to_string(line_number_) + ": " + what, token);
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
    if (line_number_ == 0 && !fill()) fail(DataFileError::Kind::EndsEarly, "the file is empty");
    pos_ = line_.size();
    return;
  }
  if (!fill()) fail(DataFileError::Kind::EndsEarly, "the file ends before its header line");
  pos_ = line_.size();
}

double FreeFormatReader::next(std::string_view what)
{
  for (;;) {
    while (pos_ < line_.size() && is_separator(line_[pos_])) ++pos_;
    if (pos_ < line_.size()) break;
    if (!fill()) {
      ++line_number_;
      fail(DataFileError::Kind::EndsEarly, "the file ends before " + std::string(what));
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
    fail(DataFileError::Kind::NotANumber, "cannot read " + std::string(what) + " from \"" + std::string(token) + "\"",
         std::string(token));
  pos_ = end;
  return value;
}

}  // namespace bsf
