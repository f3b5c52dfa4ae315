// The front end's free-format reader: numbers separated by blanks, commas,
// tabs or line ends, wherever the lines break.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "free_format.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;

class FreeFormat : public ::testing::Test {
 protected:
  fs::path write(const std::string& text)
  {
    const fs::path p = fs::temp_directory_path() / ("free-format-" + std::to_string(::getpid()) + ".dat");
    std::ofstream(p, std::ios::binary) << text;
    files_.push_back(p);
    return p;
  }
  void TearDown() override
  {
    for (const auto& p : files_) fs::remove(p);
  }
  std::vector<fs::path> files_;
};

TEST_F(FreeFormat, ReadsAcrossSeparatorsAndLineEnds)
{
  FreeFormatReader in(write("  1.5, 2\t-3.25E-02\r\n\r\n+4,,5\n6.0e+3"));
  for (double expected : {1.5, 2.0, -0.0325, 4.0, 5.0, 6000.0}) EXPECT_DOUBLE_EQ(in.next("a value"), expected);
  EXPECT_EQ(in.line_number(), 4);
}

TEST_F(FreeFormat, HeaderLineIsPassedOver)
{
  FreeFormatReader in(write("energy 1 5 10 (keV), header text\r\n1 0.5 -0.25\r\n"));
  in.skip_line();
  EXPECT_EQ(in.next("the ring index"), 1.0);
  EXPECT_EQ(in.next("a value"), 0.5);
  EXPECT_EQ(in.next("a value"), -0.25);
}

TEST_F(FreeFormat, ErrorsNameFileLineAndText)
{
  struct Case {
    const char* text;
    int reads;
    const char* message;
  };
  const Case cases[] = {
      {"1 2\r\n3 x4 5\r\n", 4, "line 2: cannot read the fourth value from \"x4\""},
      {"1 2\r\n", 3, "line 2: the file ends before the fourth value"},
      {"1 2,5.0.1\r\n", 3, "line 1: cannot read the fourth value from \"5.0.1\""},
  };
  for (const auto& c : cases) {
    const fs::path p = write(c.text);
    FreeFormatReader in(p);
    try {
      for (int i = 0; i < c.reads; ++i) in.next(i == c.reads - 1 ? "the fourth value" : "a value");
      ADD_FAILURE() << c.text;
    } catch (const DataFileError& e) {
      EXPECT_EQ(std::string(e.what()), p.filename().string() + ", " + c.message);
    }
  }
}

TEST_F(FreeFormat, MissingFileIsNamed)
{
  try {
    FreeFormatReader in("/nonexistent-dir/dBSF-AirDose-SoftPhantom.dat");
    FAIL();
  } catch (const DataFileError& e) {
    EXPECT_NE(std::string(e.what()).find("dBSF-AirDose-SoftPhantom.dat: file not found"), std::string::npos);
  }
}

}  // namespace
}  // namespace bsf
