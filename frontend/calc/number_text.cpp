#include "number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace bsf {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

double read_number(std::string_view text)
{
  // Gathers the characters that form the number, passing over blanks, and
  // stops at the first character that cannot continue it.
  std::string number;
  std::size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && is_blank(text[i])) ++i;
  };
  skip_blanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') number += '-';
    ++i;
    skip_blanks();
  }
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (is_digit(c)) {
      number += c;
      digits = true;
    } else if (c == '.' && !point) {
      number += c;
      point = true;
    } else if (!is_blank(c)) {
      break;
    }
  }
  if (!digits) return 0.0;
  // An exponent counts only when at least one digit follows its letter.
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    bool exp_digits = false;
    for (; j < text.size() && (is_digit(text[j]) || is_blank(text[j])); ++j) {
      if (is_digit(text[j])) {
        exponent += text[j];
        exp_digits = true;
      }
    }
    if (exp_digits) number += exponent;
  }
  double value = 0.0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) return number[0] == '-' ? -HUGE_VAL : HUGE_VAL;
  (void)end;
  return ec == std::errc() ? value : 0.0;
}

std::string format_pattern(double value, std::string_view pattern)
{
  const std::size_t dot = pattern.find('.');
  const std::string_view integer_part = pattern.substr(0, dot);
  const int decimals = dot == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - dot - 1);
  int min_integer_digits = 0;
  for (char c : integer_part) min_integer_digits += c == '0';

  // Round half away from zero: printf rounds an exact binary tie (0.125 to
  // two decimals) to even, a form pattern rounds it up.
  double magnitude = std::fabs(value);
  const long double scaled = static_cast<long double>(magnitude) * std::pow(10.0L, decimals);
  if (scaled - std::floor(scaled) == 0.5L)
    magnitude = static_cast<double>((std::floor(scaled) + 1.0L) / std::pow(10.0L, decimals));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, magnitude);
  std::string digits = buf;

  std::size_t int_len = digits.find('.');
  if (int_len == std::string::npos) int_len = digits.size();
  if (int_len == 1 && digits[0] == '0' && min_integer_digits == 0) {
    digits.erase(0, 1);  // "#.00" writes no leading zero
    int_len = 0;
  }
  if (static_cast<int>(int_len) < min_integer_digits)
    digits.insert(0, static_cast<std::size_t>(min_integer_digits) - int_len, '0');

  const bool rounds_to_zero = digits.find_first_not_of("0.") == std::string::npos;
  return (value < 0.0 && !rounds_to_zero ? "-" : "") + digits;
}

}  // namespace bsf
