// Twips to pixels: each edge rounded on its own, so that controls that touch
// in twips touch on the screen.
#include <gtest/gtest.h>

#include "form_builder.h"

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
