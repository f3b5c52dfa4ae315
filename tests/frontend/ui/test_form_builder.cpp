// Twips to pixels: each edge rounded on its own, so that controls that touch
// in twips touch on the screen. The language the environment asks for.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "form_builder.h"
#include "language.h"

namespace bsf::ui {
namespace {

TEST(Twips, EdgesAreRoundedNotSizes)
{
  struct Case {
    int left, top, width, height;
    QRect px;
  };
  const Case cases[] = {
      {0, 0, 1440, 1440, QRect(0, 0, 96, 96)},           // one inch at 96 DPI
      {480, 2520, 2655, 375, QRect(32, 168, 177, 25)},   // a label of the forms
      {3120, 2520, 975, 375, QRect(208, 168, 65, 25)},   // the box after it
      {7, 7, 15, 15, QRect(0, 0, 1, 1)},                 // 7/15 rounds down, 22/15 down
      {8, 8, 15, 15, QRect(1, 1, 1, 1)},                 // 8/15 rounds up, 23/15 up
      {600, 7200, 3975, 315, QRect(40, 480, 265, 21)},
  };
  for (const Case& c : cases) EXPECT_EQ(twips_rect(c.left, c.top, c.width, c.height), c.px) << c.left;
  // Neighbours stay neighbours: the right edge of one is the left of the next.
  const QRect a = twips_rect(100, 0, 1007, 10);
  const QRect b = twips_rect(1107, 0, 500, 10);
  EXPECT_EQ(a.right() + 1, b.left());
}

}  // namespace
}  // namespace bsf::ui

// The language the environment asks for: the first of LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG that is set decides; English only when it names
// English, Japanese for anything else, the C locale and nothing set.
namespace bsf::ui {
namespace {

struct EnvironmentCase {
  std::map<std::string, std::string> variables;
  Language expected;
};

class LanguageFromEnvironment : public ::testing::TestWithParam<EnvironmentCase> {};

TEST_P(LanguageFromEnvironment, FirstSetVariableDecides)
{
  const auto& vars = GetParam().variables;
  const Language got = language_from_environment([&](const char* name) -> const char* {
    const auto i = vars.find(name);
    return i == vars.end() ? nullptr : i->second.c_str();
  });
  EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageFromEnvironment,
    ::testing::Values(EnvironmentCase{{}, Language::Japanese},
                      EnvironmentCase{{{"LANG", "C"}}, Language::Japanese},
                      EnvironmentCase{{{"LANG", "C.UTF-8"}}, Language::Japanese},
                      EnvironmentCase{{{"LANG", "ja_JP.UTF-8"}}, Language::Japanese},
                      EnvironmentCase{{{"LANG", "en_US.UTF-8"}}, Language::English},
                      EnvironmentCase{{{"LANG", "en"}}, Language::English},
                      EnvironmentCase{{{"LANG", "en@quot"}}, Language::English},
                      EnvironmentCase{{{"LANG", "eng"}}, Language::Japanese},
                      EnvironmentCase{{{"LANG", "de_DE.UTF-8"}}, Language::Japanese},
                      EnvironmentCase{{{"LANGUAGE", "en_GB:ja"}, {"LANG", "ja_JP.UTF-8"}}, Language::English},
                      EnvironmentCase{{{"LANGUAGE", "de:en"}, {"LANG", "en_GB.UTF-8"}}, Language::Japanese},
                      EnvironmentCase{{{"LANGUAGE", ""}, {"LC_ALL", "en_GB.UTF-8"}}, Language::English},
                      EnvironmentCase{{{"LC_ALL", "ja_JP.UTF-8"}, {"LANG", "en_US.UTF-8"}}, Language::Japanese},
                      EnvironmentCase{{{"LC_MESSAGES", "en_GB.UTF-8"}, {"LANG", "ja_JP.UTF-8"}}, Language::English},
                      EnvironmentCase{{{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "en_AU"}}, Language::English}));

TEST(LanguageCode, OnlyEnAndJa)
{
  EXPECT_EQ(language_from_code("en"), Language::English);
  EXPECT_EQ(language_from_code("ja"), Language::Japanese);
  for (const char* other : {"", "EN", "english", "fr", "en_GB"}) EXPECT_FALSE(language_from_code(other)) << other;
}

}  // namespace
}  // namespace bsf::ui
