// Tests of the fixed-column and free-field readers, the Fortran-style number
// formatting and the file helpers in text_io.
//
// The exchange files come from a front end that writes fixed patterns, and
// the data files are laid out in Fortran fixed columns: a field is a column
// range, blanks in it are not significant, a field without a decimal point
// carries implied decimals, and an exponent part may follow the mantissa.
// Each reader is exercised with a table of lines as they occur in those
// files, plus the malformed inputs that must stop a run with a message the
// user can act on.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support.h"
#include "text_io.h"

namespace bsf {
namespace {

using ::testing::HasSubstr;

const SourceLocation kWhere{"ICRUSoft.dat", 4321};

// ---------------------------------------------------------------------------
// read_fixed_real

struct FixedRealCase {
  const char* name;
  const char* line;
  Columns cols;
  int implied_decimals;
  float expected;  // the float nearest to the decimal value written
};

// Case names in failure messages instead of raw bytes.
void PrintTo(const FixedRealCase& c, std::ostream* os) { *os << c.name; }

class ReadFixedReal : public ::testing::TestWithParam<FixedRealCase> {};

TEST_P(ReadFixedReal, ReadsTheCorrectlyRoundedValue)
{
  const FixedRealCase& c = GetParam();
  const float got = read_fixed_real(c.line, c.cols, c.implied_decimals, kWhere);
  // Bit-exact: the value must be the single-precision number nearest to the
  // decimal number in the field, not something a few ulps away.
  EXPECT_EQ(got, c.expected) << "line \"" << c.line << "\" columns " << c.cols.first << "-"
                             << c.cols.last;
  EXPECT_EQ(std::signbit(got), std::signbit(c.expected));
}

const FixedRealCase kFixedRealCases[] = {
    // Implied decimals apply only when the field has no decimal point.
    {"ImpliedThreeDecimals", "  12345", {1, 7}, 3, 12.345f},
    {"ImpliedFiveDecimals", "  12345", {1, 7}, 5, 0.12345f},
    {"ImpliedZeroDecimals", "  12345", {1, 7}, 0, 12345.0f},
    {"ImpliedDecimalsMoreThanDigits", "      5", {1, 7}, 5, 0.00005f},
    {"PointOverridesImplied", "    1.5", {1, 7}, 3, 1.5f},
    {"PointAtEndOverridesImplied", "     15.", {1, 8}, 3, 15.0f},
    {"LeadingPoint", "    .25", {1, 7}, 3, 0.25f},
    // Blanks anywhere in the field are ignored.
    {"EmbeddedBlanks", "1 2 3 4 5", {1, 9}, 3, 12.345f},
    {"BlanksAroundPoint", " 3 . 5  ", {1, 8}, 0, 3.5f},
    {"TrailingBlanksNotZeros", "12345  ", {1, 7}, 3, 12.345f},
    {"TabIsBlank", "\t12.5", {1, 5}, 0, 12.5f},
    // Exponent parts.
    {"ExponentNegative", "1.234E-02", {1, 9}, 3, 0.01234f},
    {"ExponentPositive", "  1.2E+03", {1, 9}, 3, 1200.0f},
    {"ExponentLowercase", "  1.2e+03", {1, 9}, 3, 1200.0f},
    {"ExponentUnsigned", "   2.5E2", {1, 8}, 0, 250.0f},
    {"ExponentWithImpliedDecimals", " 1234E-02", {1, 9}, 3, 0.01234f},
    {"DExponent", "  1.5D+02", {1, 9}, 0, 150.0f},
    {"DExponentLowercase", "  1.5d-01", {1, 9}, 0, 0.15f},
    {"ExponentWithoutLetter", "   1.0+03", {1, 9}, 0, 1000.0f},
    {"ExponentBlanksInside", "1.5 E + 0 2", {1, 11}, 0, 150.0f},
    // Signs.
    {"NegativeWithPoint", "   -1.5", {1, 7}, 3, -1.5f},
    {"NegativeImplied", "   -125", {1, 7}, 2, -1.25f},
    {"ExplicitPlus", "  +2.25", {1, 7}, 0, 2.25f},
    {"SignSeparatedByBlank", "  -  7.5", {1, 8}, 0, -7.5f},
    {"NegativeZero", "   -0.0", {1, 7}, 0, -0.0f},
    {"Zero", "0.00000", {1, 7}, 5, 0.0f},
    // A line shorter than the field is padded with blanks.
    {"LineShorterThanField", "  12", {1, 10}, 0, 12.0f},
    {"LineShorterWithImplied", "  12", {1, 10}, 1, 1.2f},
    {"LineEndsInsideField", "xxxxx1.75", {6, 15}, 0, 1.75f},
    // Fields cut out of real data lines: the tissue table of ICRUSoft.dat
    // (energy in MeV, then three coefficients with exponents, no separators).
    {"TissueEnergy", "  0.001009.2839E+003.0830E-026.5389E+03", {1, 9}, 3, 0.001f},
    {"TissueCoherent", "  0.001009.2839E+003.0830E-026.5389E+03", {10, 19}, 3, 9.2839f},
    {"TissueIncoherent", "  0.001009.2839E+003.0830E-026.5389E+03", {20, 29}, 3, 0.03083f},
    {"TissuePhotoelectric", "  0.001009.2839E+003.0830E-026.5389E+03", {30, 39}, 3, 6538.9f},
    // The spectrum line: energy in 1-6, the weight in 8-15 (column 8 blank).
    {"SpectrumEnergy", "0060.0, 0.01234", {1, 6}, 1, 60.0f},
    {"SpectrumWeight", "0060.0, 0.01234", {8, 15}, 5, 0.01234f},
    {"SpectrumZeroWeight", "0000.5, 0.00000", {8, 15}, 5, 0.0f},
    // The absorption table: 15-column coefficient fields.
    {"AbsorptionEnergy", "   149.500   9.348095E+00   4.277306E-01", {1, 10}, 3, 149.5f},
    {"AbsorptionCoefficient", "   149.500   9.348095E+00   4.277306E-01", {26, 40}, 6, 0.4277306f},
    // Many digits: rounded once to the nearest float, not digit by digit.
    {"ManyDigits", "0.1000000000000000055511151231257827", {1, 36}, 0, 0.1f},
};

INSTANTIATE_TEST_SUITE_P(Fields, ReadFixedReal, ::testing::ValuesIn(kFixedRealCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadFieldCase {
  const char* name;
  const char* line;
  Columns cols;
  const char* shown;  // text the message must quote
};

void PrintTo(const BadFieldCase& c, std::ostream* os) { *os << c.name; }

class ReadFixedRealRejects : public ::testing::TestWithParam<BadFieldCase> {};

TEST_P(ReadFixedRealRejects, ThrowsNamingFileLineAndText)
{
  const BadFieldCase& c = GetParam();
  try {
    read_fixed_real(c.line, c.cols, 3, kWhere);
    FAIL() << "no error for \"" << c.line << "\"";
  } catch (const InputError& e) {
    const std::string msg = e.what();
    EXPECT_THAT(msg, HasSubstr("ICRUSoft.dat"));
    EXPECT_THAT(msg, HasSubstr("4321"));
    EXPECT_THAT(msg, HasSubstr(c.shown));
  }
}

const BadFieldCase kBadFieldCases[] = {
    {"Letters", "  abc  ", {1, 7}, "abc"},
    {"TrailingLetter", "  12a  ", {1, 7}, "12a"},
    {"TwoPoints", "1.2.3", {1, 5}, "1.2.3"},
    {"ExponentWithoutDigits", "  1.5E ", {1, 7}, "1.5E"},
    {"ExponentSignWithoutDigits", " 1.5E+", {1, 6}, "1.5E+"},
    {"ExponentOnly", "   E05", {1, 6}, "E05"},
    {"PointOnly", "     . ", {1, 7}, "."},
    {"SignOnly", "     - ", {1, 7}, "-"},
    {"DoubleSign", "   --5", {1, 6}, "--5"},
    {"CommaAsDecimalMark", "   1,5", {1, 6}, "1,5"},
    {"GarbageAfterExponent", "1.0E+0x", {1, 7}, "1.0E+0x"},
    {"DataInWrongColumns", "0.01234E+00abc", {8, 14}, "E+00abc"},
};

INSTANTIATE_TEST_SUITE_P(Malformed, ReadFixedRealRejects, ::testing::ValuesIn(kBadFieldCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadFixedRealBlank, BlankOrMissingFieldIsAnError)
{
  // A field of blanks is not a zero: a truncated data line must stop the run.
  for (const char* line : {"", "       ", "12345678         ", "\t  \t"}) {
    try {
      read_fixed_real(line, Columns{9, 15}, 3, kWhere);
      ADD_FAILURE() << "no error for \"" << line << "\"";
    } catch (const InputError& e) {
      EXPECT_THAT(std::string(e.what()), HasSubstr("ICRUSoft.dat"));
      EXPECT_THAT(std::string(e.what()), HasSubstr("4321"));
    }
  }
}

// ---------------------------------------------------------------------------
// read_fixed_int

struct FixedIntCase {
  const char* name;
  const char* line;
  Columns cols;
  std::int32_t expected;
};

void PrintTo(const FixedIntCase& c, std::ostream* os) { *os << c.name; }

class ReadFixedInt : public ::testing::TestWithParam<FixedIntCase> {};

TEST_P(ReadFixedInt, ReadsTheValue)
{
  const FixedIntCase& c = GetParam();
  EXPECT_EQ(read_fixed_int(c.line, c.cols, kWhere), c.expected);
}

const FixedIntCase kFixedIntCases[] = {
    {"HistoryNumber", "00050000000", {1, 11}, 50000000},
    {"LargestHistoryNumber", "02147483647", {1, 11}, 2147483647},
    {"RowCount", " 18", {1, 3}, 18},
    {"RowCountFollowedByText", " 37xyz", {1, 3}, 37},
    {"EmbeddedBlanks", " 1 2 3", {1, 6}, 123},
    {"Negative", "   -42", {1, 6}, -42},
    {"SmallestValue", "-2147483648", {1, 11}, -2147483647 - 1},
    {"ExplicitPlus", "    +7", {1, 6}, 7},
    {"Zero", "00000000000", {1, 11}, 0},
    {"LineShorterThanField", "42", {1, 11}, 42},
    {"FixtureHistoryNumber", "00000200000", {1, 11}, 200000},
};

INSTANTIATE_TEST_SUITE_P(Fields, ReadFixedInt, ::testing::ValuesIn(kFixedIntCases),
                         [](const auto& info) { return std::string(info.param.name); });

class ReadFixedIntRejects : public ::testing::TestWithParam<BadFieldCase> {};

TEST_P(ReadFixedIntRejects, ThrowsNamingFileLineAndText)
{
  const BadFieldCase& c = GetParam();
  const SourceLocation where{"joken.txt", 9};
  try {
    const auto v = read_fixed_int(c.line, c.cols, where);
    FAIL() << "no error for \"" << c.line << "\", read " << v;
  } catch (const InputError& e) {
    const std::string msg = e.what();
    EXPECT_THAT(msg, HasSubstr("joken.txt"));
    EXPECT_THAT(msg, HasSubstr("9"));
    EXPECT_THAT(msg, HasSubstr(c.shown));
  }
}

const BadFieldCase kBadIntCases[] = {
    // One more than the largest 32-bit value: must not wrap around.
    {"Overflow", "02147483648", {1, 11}, "02147483648"},
    {"FarOverflow", "99999999999", {1, 11}, "99999999999"},
    {"Underflow", "-2147483649", {1, 11}, "-2147483649"},
    {"DecimalPoint", "000500000.0", {1, 11}, "000500000.0"},
    {"Exponent", "5E7", {1, 3}, "5E7"},
    {"Letters", "fifty", {1, 5}, "fifty"},
    {"SignOnly", "    +", {1, 5}, "+"},
    {"SignAfterDigits", "  12-", {1, 5}, "12-"},
    {"PlusThenMinus", "   +-5", {1, 6}, "+-5"},
};

INSTANTIATE_TEST_SUITE_P(Malformed, ReadFixedIntRejects, ::testing::ValuesIn(kBadIntCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadFixedIntBlank, BlankFieldIsAnError)
{
  for (const char* line : {"", "           ", "\t"}) {
    EXPECT_THROW(read_fixed_int(line, Columns{1, 11}, kWhere), InputError) << '"' << line << '"';
  }
}

// ---------------------------------------------------------------------------
// read_free_real: the first number on the line.

struct FreeRealCase {
  const char* name;
  const char* line;
  std::optional<float> expected;
};

void PrintTo(const FreeRealCase& c, std::ostream* os) { *os << c.name; }

class ReadFreeReal : public ::testing::TestWithParam<FreeRealCase> {};

TEST_P(ReadFreeReal, ReadsTheFirstValue)
{
  const FreeRealCase& c = GetParam();
  const std::optional<float> got = read_free_real(c.line, kWhere);
  ASSERT_EQ(got.has_value(), c.expected.has_value()) << '"' << c.line << '"';
  if (got) {
    EXPECT_EQ(*got, *c.expected) << '"' << c.line << '"';
  }
}

const FreeRealCase kFreeRealCases[] = {
    // The front end's "000.0" pattern.
    {"LeadingZeros", "020.0", 20.0f},
    {"OneDecimal", "035.6", 35.6f},
    {"Wide", "1234.5", 1234.5f},
    {"Negative", "-012.5", -12.5f},
    // A free field has no implied decimals.
    {"WholeNumber", "35", 35.0f},
    {"Exponent", "1.5E+01", 15.0f},
    // Ended by a blank, a comma or the line end; the rest is ignored.
    {"SecondValueIgnored", "020.0 5", 20.0f},
    {"EndedByComma", "035.6,1", 35.6f},
    {"EndedByTab", "043.2\tcomment", 43.2f},
    {"RestOfLineIgnoredEvenIfNotNumber", "080.0 cm", 80.0f},
    {"LeadingBlanks", "    100.0   ", 100.0f},
    {"LeadingTab", "\t7.5", 7.5f},
    // A line with no value at all.
    {"EmptyLine", "", std::nullopt},
    {"BlankLine", "      ", std::nullopt},
    {"OnlyCommas", ",,,", std::nullopt},
    {"CommasAndBlanks", " , ,  ,", std::nullopt},
    {"OnlyTabs", "\t\t", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Lines, ReadFreeReal, ::testing::ValuesIn(kFreeRealCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadFreeRealRejects, NonNumericFirstItemThrowsNamingFileLineAndText)
{
  const SourceLocation where{"joken.txt", 3};
  for (const char* line : {"abc", "  abc 20.0", "20.0abc", "1.2.3", "--1", "."}) {
    try {
      read_free_real(line, where);
      ADD_FAILURE() << "no error for \"" << line << "\"";
    } catch (const InputError& e) {
      const std::string msg = e.what();
      EXPECT_THAT(msg, HasSubstr("joken.txt"));
      EXPECT_THAT(msg, HasSubstr("3"));
      // The offending item itself is quoted (without the separators around it).
      std::string item(line);
      item.erase(0, item.find_first_not_of(' '));
      item = item.substr(0, item.find(' '));
      EXPECT_THAT(msg, HasSubstr(item)) << line;
    }
  }
}

// ---------------------------------------------------------------------------
// format_fixed / format_int: Fortran Fw.d and Iw.

struct FormatFixedCase {
  double value;
  int width;
  int decimals;
  const char* expected;
};

void PrintTo(const FormatFixedCase& c, std::ostream* os)
{
  *os << "F" << c.width << "." << c.decimals << " of " << c.value;
}

class FormatFixed : public ::testing::TestWithParam<FormatFixedCase> {};

TEST_P(FormatFixed, MatchesFortranFieldForm)
{
  const FormatFixedCase& c = GetParam();
  EXPECT_EQ(format_fixed(c.value, c.width, c.decimals), c.expected)
      << "F" << c.width << "." << c.decimals << " of " << c.value;
}

const FormatFixedCase kFormatFixedCases[] = {
    {20.0, 5, 1, " 20.0"},
    {35.6f, 5, 1, " 35.6"},  // a float that is 35.599998...
    {20.0, 6, 0, "   20."},  // no decimals: the point is still written
    {30.0, 6, 0, "   30."},
    {0.6, 6, 0, "    1."},
    {0.4, 6, 0, "    0."},
    {12345.0, 6, 0, "12345."},
    {123456.0, 6, 0, "******"},
    {1.3521, 7, 4, " 1.3521"},  // a backscatter factor in the result file
    {1.3521f, 7, 4, " 1.3521"},
    {0.0, 7, 4, " 0.0000"},
    {99.9, 5, 1, " 99.9"},
    {100.0, 5, 1, "100.0"},
    // Asterisks when the value does not fit.
    {100.0, 4, 1, "****"},
    {1000.0, 5, 1, "*****"},
    {12.34567, 7, 4, "12.3457"},
    {123.4567, 7, 4, "*******"},
    // Rounding to the stated decimals, including a carry into a new digit.
    {2.346, 5, 2, " 2.35"},
    {2.344, 5, 2, " 2.34"},
    {99.96, 5, 1, "100.0"},
    {99.94, 5, 1, " 99.9"},
    {99.96, 4, 1, "****"},
    {0.99996, 6, 4, "1.0000"},
    // Negative values.
    {-1.5, 6, 2, " -1.50"},
    {-20.0, 5, 1, "-20.0"},
    {-1.3521, 7, 4, "-1.3521"},
    {-200.0, 5, 1, "*****"},
    {-99.96, 5, 1, "*****"},
    {-7.0, 4, 0, " -7."},
    {-7.0, 5, 0, "  -7."},
    // The zero before the point is left out only when there is no room for it.
    {0.5, 4, 1, " 0.5"},
    {0.5, 3, 1, "0.5"},
    {0.5, 2, 1, ".5"},
    {-0.5, 4, 1, "-0.5"},
    {-0.5, 3, 1, "-.5"},
    {0.25, 1, 1, "*"},
};

INSTANTIATE_TEST_SUITE_P(Values, FormatFixed, ::testing::ValuesIn(kFormatFixedCases));

TEST(FormatFixedNonFinite, FillsWithAsterisks)
{
  for (double v : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    EXPECT_EQ(format_fixed(v, 7, 4), "*******") << v;
  }
}

struct FormatIntCase {
  long long value;
  int width;
  const char* expected;
};

void PrintTo(const FormatIntCase& c, std::ostream* os) { *os << "I" << c.width << " of " << c.value; }

class FormatInt : public ::testing::TestWithParam<FormatIntCase> {};

TEST_P(FormatInt, RightAlignedOrAsterisks)
{
  const FormatIntCase& c = GetParam();
  EXPECT_EQ(format_int(c.value, c.width), c.expected) << "I" << c.width << " of " << c.value;
}

const FormatIntCase kFormatIntCases[] = {
    {2147483647, 10, "2147483647"},  // the largest history number fits I10
    {2147483647, 11, " 2147483647"},
    {50000000, 10, "  50000000"},
    {2147483647, 9, "*********"},
    // Clock fields (I2): blank-padded, not zero-padded.
    {5, 2, " 5"},
    {0, 2, " 0"},
    {59, 2, "59"},
    {100, 2, "**"},
    {-5, 3, " -5"},
    {-5, 2, "-5"},
    {-50, 2, "**"},
    {7, 1, "7"},
    {10, 1, "*"},
};

INSTANTIATE_TEST_SUITE_P(Values, FormatInt, ::testing::ValuesIn(kFormatIntCases));

// ---------------------------------------------------------------------------
// LineReader: CR LF and LF files read the same, with line numbers.

class LineReaderEnds : public ::testing::TestWithParam<const char*> {};

TEST_P(LineReaderEnds, ReadsLinesWithoutTheirEndsAndCountsThem)
{
  const std::string eol = GetParam();
  test::ScratchDir dir;
  // An empty line in the middle and a last line without a line end.
  test::write_file(dir.path(), "joken.txt",
                   "020.0" + eol + eol + "   080.0  " + eol + "00050000000");
  LineReader reader(dir.path(), "joken.txt");
  EXPECT_EQ(reader.file_name(), "joken.txt");
  EXPECT_EQ(reader.line_number(), 0);

  const std::vector<std::string> expected = {"020.0", "", "   080.0  ", "00050000000"};
  std::string line;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_TRUE(reader.next(line)) << "line " << i + 1;
    EXPECT_EQ(line, expected[i]);
    EXPECT_EQ(reader.line_number(), static_cast<int>(i) + 1);
    EXPECT_EQ(reader.here().line, static_cast<int>(i) + 1);
    EXPECT_EQ(reader.here().file, "joken.txt");
  }
  EXPECT_FALSE(reader.next(line));
  EXPECT_EQ(reader.line_number(), 4);

  // Asking for a line past the end names the file and the missing line.
  try {
    reader.require("the history number");
    FAIL() << "no error at end of file";
  } catch (const InputError& e) {
    const std::string msg = e.what();
    EXPECT_THAT(msg, HasSubstr("joken.txt"));
    EXPECT_THAT(msg, HasSubstr("5"));
    EXPECT_THAT(msg, HasSubstr("the history number"));
  }
}

TEST_P(LineReaderEnds, RequireReturnsLinesInOrder)
{
  const std::string eol = GetParam();
  test::ScratchDir dir;
  test::write_file(dir.path(), "X_SPCTL.dat",
                   "0000.5, 0.00000" + eol + "0001.0, 0.00000" + eol);
  LineReader reader(dir.path(), "X_SPCTL.dat");
  EXPECT_EQ(reader.require("bin 1"), "0000.5, 0.00000");
  EXPECT_EQ(reader.require("bin 2"), "0001.0, 0.00000");
  EXPECT_EQ(reader.line_number(), 2);
  EXPECT_THROW(reader.require("bin 3"), InputError);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, LineReaderEnds, ::testing::Values("\r\n", "\n"),
                         [](const auto& info) {
                           return std::string(info.param[0] == '\r' ? "CrLf" : "Lf");
                         });

TEST(LineReader, CrLfFileFromHelperReadsBack)
{
  test::ScratchDir dir;
  test::write_file(dir.path(), "ResultBSF.txt", test::crlf_lines({" 1.3521", " 1.3874", " 1.3902"}));
  LineReader reader(dir.path(), "ResultBSF.txt");
  std::string line;
  std::vector<std::string> lines;
  while (reader.next(line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{" 1.3521", " 1.3874", " 1.3902"}));
}

TEST(LineReader, OpensFileWrittenWithOtherLetterCase)
{
  // The front end writes "Att_coeff2020.dat"; the engine asks for "Att_Coeff2020.dat".
  test::ScratchDir dir;
  test::write_file(dir.path(), "Att_coeff2020.dat", "first\r\n");
  LineReader reader(dir.path(), "Att_Coeff2020.dat");
  std::string line;
  ASSERT_TRUE(reader.next(line));
  EXPECT_EQ(line, "first");
}

TEST(LineReader, MissingFileThrowsNamingIt)
{
  test::ScratchDir dir;
  try {
    LineReader reader(dir.path(), "X_SPCTL.dat");
    FAIL() << "opened a file that does not exist";
  } catch (const InputError& e) {
    EXPECT_THAT(std::string(e.what()), HasSubstr("X_SPCTL.dat"));
  }
}

}  // namespace
}  // namespace bsf
