// Numbers typed into the forms and numbers written with the forms' patterns.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "number_text.h"

namespace bsf {
namespace {

TEST(ReadNumber, FormFieldTexts)
{
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"12cm", 12.0},   {"abc", 0.0},      {" 1.5", 1.5},     {"2,5", 2.0},      {"", 0.0},
      {"   ", 0.0},     {"20", 20.0},      {"035.6", 35.6},   {"-3.5", -3.5},    {"+4", 4.0},
      {"- 5", -5.0},    {"1 2", 12.0},     {"1 . 5", 1.5},    {".5", 0.5},       {"5.", 5.0},
      {"1.2.3", 1.2},   {"1e3", 1000.0},   {"1.5E-2", 0.015}, {"2D2", 200.0},    {"1e", 1.0},
      {"1e+", 1.0},     {"1ex", 1.0},      {"-", 0.0},        {".", 0.0},        {"\t7", 7.0},
      {"43.2x35.6", 43.2}, {"1e 2", 100.0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(read_number(c.text), c.value) << '"' << c.text << '"';
}

// What a field holds decides whether a form may compute with it: "abc" and
// "1e400" are refused as not being numbers, "1e-400" is a tiny number.
TEST(ParseNumber, TellsNumbersFromTextAndOverflow)
{
  using S = NumberReading::Status;
  struct Case {
    const char* text;
    S status;
    double value;
  };
  const Case cases[] = {
      {"12cm", S::Ok, 12.0},          {"  7", S::Ok, 7.0},
      {"abc", S::NoNumber, 0.0},      {"", S::NoNumber, 0.0},
      {"  ", S::NoNumber, 0.0},       {"-", S::NoNumber, 0.0},
      {".", S::NoNumber, 0.0},        {"e5", S::NoNumber, 0.0},
      {"1e400", S::OutOfRange, 0.0},  {"-1e400", S::OutOfRange, 0.0},
      {"1e308", S::Ok, 1e308},        {"1e-400", S::Ok, 0.0},
      {"0.0001e-320", S::Ok, 0.0},    {"123456789e-340", S::Ok, 0.0},
      {"0.000001e315", S::OutOfRange, 0.0},
      {"1e99999999999999999999", S::OutOfRange, 0.0},
      {"1e-99999999999999999999", S::Ok, 0.0},
      {"0e99999", S::Ok, 0.0},
  };
  for (const auto& c : cases) {
    const NumberReading r = parse_number(c.text);
    EXPECT_EQ(r.status, c.status) << '"' << c.text << '"';
    EXPECT_EQ(r.value, c.value) << '"' << c.text << '"';
  }
  EXPECT_EQ(read_number("1e400"), HUGE_VAL);
  EXPECT_EQ(read_number(" -1e400"), -HUGE_VAL);
  EXPECT_EQ(read_number("1e-400"), 0.0);
}

TEST(ReadNumber, IgnoresTheLocaleDecimalMark)
{
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale installed";
  EXPECT_EQ(read_number("1.5"), 1.5);
  EXPECT_EQ(read_number("1,5"), 1.0);
  EXPECT_EQ(format_pattern(1.5, "#0.000"), "1.500");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatPattern, Patterns)
{
  struct Case {
    double value;
    const char* pattern;
    const char* text;
  };
  const Case cases[] = {
      {20.0, "000.0", "020.0"},          {35.6, "000.0", "035.6"},
      {1234.5, "000.0", "1234.5"},       {-20.0, "000.0", "-020.0"},
      {0.25, "000.0", "000.3"},          {0.05, "000.0", "000.1"},
      {99.96, "000.0", "100.0"},         {0.5, "0000.0", "0000.5"},
      {150.0, "0000.0", "0150.0"},       {0.0, "0.00000", "0.00000"},
      {0.123456, "0.00000", "0.12346"},  {0.000004, "0.00000", "0.00000"},
      {0.000005, "0.00000", "0.00001"},  {1.0, "0.00000", "1.00000"},
      {50000000, "00000000000", "00050000000"},
      {2147483647, "00000000000", "02147483647"},
      {1.3521, "#0.000", "1.352"},       {1.3525, "#0.000", "1.353"},
      {0.125, "#0.00", "0.13"},          {12.3456, "#0.000", "12.346"},
      {0.0, "#0.000", "0.000"},          {-0.0001, "#0.000", "0.000"},
      {-1.2346, "#0.000", "-1.235"},     {0.5, "#.00", ".50"},
      {2.9999, "#0.000", "3.000"},       {9.9996, "#0.000", "10.000"},
      {1e-300, "0.00000", "0.00000"},    {123456789012.0, "000.0", "123456789012.0"},
      {0.30000000000000004, "000.0", "000.3"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(format_pattern(c.value, c.pattern), c.text) << c.value << " with " << c.pattern;
}

// Decimal ties as the user reads them: the double nearest 1.4725 lies
// below it, but the label, the file and the user all see 1.4725, which
// rounds up. Values just off a tie keep rounding by their digits.
TEST(FormatPattern, RoundsTheDecimalTheUserSeesHalfAwayFromZero)
{
  struct Case {
    double value;
    const char* pattern;
    const char* text;
  };
  const Case cases[] = {
      {1.4725, "#0.000", "1.473"},     {1.2345, "#0.000", "1.235"},
      {-1.2345, "#0.000", "-1.235"},   {2.675, "#0.00", "2.68"},
      {12.35, "000.0", "012.4"},       {43.25, "000.0", "043.3"},
      {-12.35, "000.0", "-012.4"},     {0.000015, "0.00000", "0.00002"},
      {0.123455, "0.00000", "0.12346"}, {1.0005, "#0.000", "1.001"},
      {std::nextafter(1.4725, 0.0), "#0.000", "1.472"},  // the double below prints 1.4724999999999997
      {1.47249, "#0.000", "1.472"},    {0.0005, "#0.000", "0.001"},
      {0.00049999, "#0.000", "0.000"}, {999.95, "000.0", "1000.0"},
      {2147483646.5, "00000000000", "02147483647"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(format_pattern(c.value, c.pattern), c.text) << c.value << " with " << c.pattern;
}

}  // namespace
}  // namespace bsf
