// Numbers typed into the forms and numbers written with the forms' patterns.
#include <gtest/gtest.h>

#include <clocale>

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
      {2.9999, "#0.000", "3.000"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(format_pattern(c.value, c.pattern), c.text) << c.value << " with " << c.pattern;
}

}  // namespace
}  // namespace bsf
