// joken.txt as the shape dialog writes it and the engines read it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "free_format.h"
#include "joken_writer.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;

ExposureConditions dialog_defaults(std::int16_t shape)
{
  ExposureConditions c;
  set_default_conditions(c, 2);
  c.PhantomShape = shape;
  c.CylinderRadius = 15.0;
  c.EllipseHorizontal = 15.0;
  c.EllipseVertical = 10.0;
  c.RacetrackA = 20.0;
  c.RacetrackB = 20.0;
  c.RacetrackLength = 80.0;
  c.JokenFieldShort = 35.6;
  c.JokenFieldLong = 43.2;
  c.HistoryCount = 50000000;
  return c;
}

TEST(JokenText, LinesByShape)
{
  struct Case {
    std::int16_t shape;
    const char* text;
  };
  const Case cases[] = {
      {4, "020.0\r\n020.0\r\n080.0\r\n020.0\r\n080.0\r\n100.0\r\n035.6\r\n043.2\r\n00050000000\r\n"},
      {2, "015.0\r\n010.0\r\n020.0\r\n080.0\r\n100.0\r\n035.6\r\n043.2\r\n00050000000\r\n"},
      {1, "015.0\r\n020.0\r\n080.0\r\n100.0\r\n035.6\r\n043.2\r\n00050000000\r\n"},
      {3, ""},
      {0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(joken_text(dialog_defaults(c.shape)), c.text) << "shape " << c.shape;
}

TEST(JokenText, ExtremeValues)
{
  ExposureConditions c = dialog_defaults(1);
  c.HistoryCount = 2147483647;
  c.CylinderRadius = 1234.56;
  c.JokenFieldShort = -2.0;
  const std::string t = joken_text(c);
  EXPECT_EQ(t.substr(0, 8), "1234.6\r\n");
  EXPECT_NE(t.find("\r\n-002.0\r\n"), std::string::npos);
  EXPECT_TRUE(t.ends_with("02147483647\r\n"));
}

TEST(WriteJoken, ReplacesTheFileOrWritesNothing)
{
  const fs::path dir = fs::temp_directory_path() / ("joken-test-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "JOKEN.TXT") << "old";
  EXPECT_TRUE(write_joken(dir, dialog_defaults(4)));
  std::ifstream in(dir / "JOKEN.TXT", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str(), joken_text(dialog_defaults(4)));  // the existing file, whatever its case, is replaced
  EXPECT_FALSE(fs::exists(dir / "joken.txt.partial"));

  fs::remove(dir / "JOKEN.TXT");
  EXPECT_FALSE(write_joken(dir, dialog_defaults(3)));
  EXPECT_TRUE(fs::is_empty(dir));
  fs::remove_all(dir);

  EXPECT_THROW(write_joken("/nonexistent-directory", dialog_defaults(4)), DataFileError);
}

}  // namespace
}  // namespace bsf
