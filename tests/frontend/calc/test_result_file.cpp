// Reading the engine's result file: whole files give the three factors,
// anything caught half-written or damaged gives nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "result_file.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;

class ResultFile : public ::testing::Test {
 protected:
  void SetUp() override
  {
    dir_ = fs::temp_directory_path() / ("result-file-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void write(const std::string& name, const std::string& text)
  {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  fs::path dir_;
};

TEST_F(ResultFile, MissingFileGivesNothing) { EXPECT_FALSE(read_result_file(dir_)); }

TEST_F(ResultFile, WholeFilesOfAnyNameCase)
{
  struct Case {
    const char* name;
    const char* text;
    EngineResult expected;
  };
  const Case cases[] = {
      {"ResultBSF.txt", " 1.2346\r\n 1.3000\r\n 1.4000\r\n", {1.2346, 1.3, 1.4}},
      {"resultBSF.txt", " 1.2346\r\n 1.3000\r\n 1.4000\r\n", {1.2346, 1.3, 1.4}},
      {"RESULTBSF.TXT", "1.5,1.6,1.7\n", {1.5, 1.6, 1.7}},
      {"ResultBSF.txt", " 1.2346\r\n 1.3000\r\n 1.4000\r\n 9.9\r\n", {1.2346, 1.3, 1.4}},
  };
  for (const Case& c : cases) {
    for (const auto& e : fs::directory_iterator(dir_)) fs::remove(e.path());
    write(c.name, c.text);
    const auto r = read_result_file(dir_);
    ASSERT_TRUE(r) << c.name << ": " << c.text;
    EXPECT_EQ(r->air_kerma, c.expected.air_kerma);
    EXPECT_EQ(r->soft_tissue, c.expected.soft_tissue);
    EXPECT_EQ(r->skin, c.expected.skin);
  }
}

TEST_F(ResultFile, HalfWrittenOrDamagedFilesGiveNothing)
{
  const char* cases[] = {
      "",                                   // created, nothing written yet
      " 1.2346\r\n 1.3000\r\n",             // two lines of three
      " 1.2346\r\n 1.3000\r\n 1.40",        // cut inside the last number
      " 1.2346\r\n 1.3000\r\n 1.4000",      // last line without its line end
      " 1.2346\r\n 1.3O00\r\n 1.4000\r\n",  // a letter O in a number
      " 1.2346\r\n ******\r\n 1.4000\r\n",  // an overflowed field
      " 1.2346\r\n nan\r\n 1.4000\r\n",
  };
  for (const char* text : cases) {
    write("ResultBSF.txt", text);
    EXPECT_FALSE(read_result_file(dir_)) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace bsf
