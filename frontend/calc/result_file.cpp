#include "result_file.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data_tables.h"

namespace bsf {

std::optional<EngineResult> read_result_file(const std::filesystem::path& dir)
{
  std::ifstream in(resolve_nocase(dir, "ResultBSF.txt"), std::ios::binary);
  if (!in) return std::nullopt;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad() || text.empty() || text.back() != '\n') return std::nullopt;

  std::vector<double> values;
  std::size_t pos = 0;
  auto separator = [](char ch) { return ch == ' ' || ch == '\t' || ch == ',' || ch == '\r' || ch == '\n'; };
  while (values.size() < 3) {
    while (pos < text.size() && separator(text[pos])) ++pos;
    if (pos == text.size()) return std::nullopt;
    std::size_t end = pos;
    while (end < text.size() && !separator(text[end])) ++end;
    double v = 0.0;
    const char* first = text.data() + pos;
    const char* last = text.data() + end;
    if (*first == '+') ++first;  // from_chars takes no plus sign
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last || !std::isfinite(v)) return std::nullopt;
    values.push_back(v);
    pos = end;
  }
  return EngineResult{values[0], values[1], values[2]};
}

}  // namespace bsf
