// Where the programs find their data and where the desktop front end works:
// a build's bin folder, a folder of the user's, or an installation's
// read-only share folder with a per-user working folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "free_format.h"
#include "installation.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& file)
{
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

// A scratch tree laid out as an installation: <root>/usr/bin, <root>/usr/share/orbisan,
// a home with its per-user folder, and a folder the program is started from.
class Installation : public ::testing::Test {
 protected:
  void SetUp() override
  {
    root_ = fs::temp_directory_path() / ("orbisan-installation-" + std::to_string(std::random_device{}()));
    for (const fs::path& d : {bin(), share(), current()}) fs::create_directories(d);
  }
  void TearDown() override
  {
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
  }

  fs::path bin() const { return root_ / "usr" / "bin"; }
  fs::path share() const { return root_ / "usr" / "share" / "orbisan"; }
  fs::path current() const { return root_ / "somewhere"; }
  fs::path per_user() const { return root_ / "home" / ".local" / "share" / "orbisan" / "work"; }

  // Every data file in `dir`, each with a text naming its folder and file.
  void fill(const fs::path& dir, const std::string& tag)
  {
    for (const std::string& name : installed_data_files()) write(dir / name, tag + " " + name + "\r\n");
  }

  fs::path root_;
};

TEST_F(Installation, DataAreLookedForInTheCurrentFolderBesideTheProgramAndInTheShareFolder)
{
  struct Case {
    const char* name;
    bool in_current, beside_program, in_share;
    int expected;  // 0 current, 1 program's folder, 2 share folder
  };
  const Case cases[] = {
      {"everywhere", true, true, true, 0},          {"build folder", false, true, true, 1},
      {"installed", false, false, true, 2},         {"user's own folder", true, false, true, 0},
      {"nowhere: the current folder names it", false, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const fs::path& d : {current(), bin(), share()})
      for (const std::string& name : installed_data_files()) fs::remove(d / name);
    if (c.in_current) fill(current(), "current");
    if (c.beside_program) fill(bin(), "bin");
    if (c.in_share) fill(share(), "share");
    const fs::path expected[] = {current(), bin(), share()};
    EXPECT_EQ(find_data_dir(current(), bin()), expected[c.expected]);
  }
}

TEST_F(Installation, DataFilesAreFoundWhateverTheCaseOfTheirNames)
{
  write(current() / "ATT_COEFF2020.DAT", "x");
  EXPECT_TRUE(holds_data_files(current()));
  EXPECT_FALSE(holds_data_files(bin()));
}

TEST_F(Installation, AFolderWithDataIsWorkedInAndItsOwnEnginesAreUsed)
{
  fill(current(), "current");
  fill(share(), "share");
  Workplace w = choose_workplace(current(), bin(), per_user());
  EXPECT_EQ(w.work_dir, current());
  EXPECT_EQ(w.engine_dir, bin()) << "no engine in the data folder: the program's";
  EXPECT_FALSE(w.per_user);
  EXPECT_FALSE(fs::exists(per_user()));
  EXPECT_EQ(read(current() / "ICRUSoft.dat"), "current ICRUSoft.dat\r\n") << "the user's data are not replaced";

  write(current() / "Korvane", "");
  w = choose_workplace(current(), bin(), per_user());
  EXPECT_EQ(w.engine_dir, current()) << "a build folder's own engines";
}

TEST_F(Installation, ABuildsBinFolderIsWorkedInFromAnywhere)
{
  fill(bin(), "bin");
  const Workplace w = choose_workplace(current(), bin(), per_user());
  EXPECT_EQ(w.work_dir, bin());
  EXPECT_EQ(w.engine_dir, bin());
  EXPECT_FALSE(w.per_user);
}

TEST_F(Installation, AnInstallationWorksInAPerUserFolderFilledFromTheShareFolder)
{
  fill(share(), "share");
  const Workplace w = choose_workplace(current(), bin(), per_user());
  EXPECT_EQ(w.work_dir, per_user());
  EXPECT_EQ(w.engine_dir, bin());
  EXPECT_TRUE(w.per_user);
  for (const std::string& name : installed_data_files())
    EXPECT_EQ(read(per_user() / name), "share " + name + "\r\n") << name;
  EXPECT_TRUE(fs::is_empty(current())) << "nothing is written where the program was started";
}

TEST_F(Installation, OnlyDataFilesThatDifferAreCopiedAndOtherFilesAreLeftAlone)
{
  fill(share(), "share");
  fs::create_directories(per_user());
  fill(per_user(), "share");
  write(per_user() / "ICRUSoft.dat", "an older table\r\n");
  fs::remove(per_user() / "Att_Coeff2020.dat");
  write(per_user() / "joken.txt", "020.0\r\n");
  const std::vector<std::string> copied = refresh_data_files(share(), per_user());
  EXPECT_EQ(copied, (std::vector<std::string>{"Att_Coeff2020.dat", "ICRUSoft.dat"}));
  EXPECT_EQ(read(per_user() / "ICRUSoft.dat"), "share ICRUSoft.dat\r\n");
  EXPECT_EQ(read(per_user() / "joken.txt"), "020.0\r\n");
  EXPECT_TRUE(refresh_data_files(share(), per_user()).empty()) << "all up to date";
}

TEST_F(Installation, AnInstalledFileThatCannotBeReadIsNamed)
{
  fill(share(), "share");
  fs::remove(share() / "ICRUSoft.dat");
  fs::create_directory(share() / "ICRUSoft.dat");  // there, but not a file to read
  fs::create_directories(per_user());
  try {
    refresh_data_files(share(), per_user());
    FAIL() << "no error";
  } catch (const DataFileError& e) {
    EXPECT_EQ(e.file(), share() / "ICRUSoft.dat");
  }
}

TEST_F(Installation, NoDataAnywhereNamesTheThreeFolders)
{
  try {
    choose_workplace(current(), bin(), per_user());
    FAIL() << "no error";
  } catch (const WorkplaceError& e) {
    for (const fs::path& d : {current(), bin(), share()}) {
      EXPECT_NE(std::string(e.what()).find(d.string()), std::string::npos) << e.what();
      EXPECT_NE(e.japanese.find(d.string()), std::string::npos) << e.japanese;
    }
  }
  EXPECT_FALSE(fs::exists(per_user()));
}

TEST_F(Installation, APerUserFolderThatCannotBeMadeIsNamedWithTheReason)
{
  fill(share(), "share");
  fs::create_directories(root_ / "home" / ".local");
  write(root_ / "home" / ".local" / "share", "a file where the folder should be");
  try {
    choose_workplace(current(), bin(), per_user());
    FAIL() << "no error";
  } catch (const WorkplaceError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find(per_user().string()), std::string::npos) << what;
    EXPECT_NE(what.find("Not a directory"), std::string::npos) << what;
    EXPECT_NE(e.japanese.find(per_user().string()), std::string::npos) << e.japanese;
  }
}

// A program folder the user cannot write to (an installation's bin) is not
// worked in even when it holds data files; root writes everywhere.
TEST_F(Installation, AReadOnlyProgramFolderIsNotWorkedIn)
{
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
  fill(bin(), "bin");
  fill(share(), "share");
  fs::permissions(bin(), fs::perms::owner_write, fs::perm_options::remove);
  const Workplace w = choose_workplace(current(), bin(), per_user());
  fs::permissions(bin(), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(w.work_dir, per_user());
}

}  // namespace
}  // namespace bsf
