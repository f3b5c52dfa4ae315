// The figures of the first explanation page, from the installed tables:
// what the page claims must hold of the curves it draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "installed_tables.h"
#include "problem_figures.h"

namespace bsf {
namespace {


const ProblemFigures& figures()
{
  static const ProblemFigures f =
      compute_problem_figures(test::installed_attenuation(), test::installed_differential());
  return f;
}

// Left graph: the factor starts at 1 for a vanishing field, never falls as
// the field grows, and the harder beams (higher voltage, larger half-value
// layer) lie higher once the field is wide.
TEST(ProblemFigures, BackscatterRisesWithTheFieldAndWithTheBeamsHardness)
{
  const ProblemFigures& f = figures();
  ASSERT_TRUE(f.failure.empty()) << f.failure;
  ASSERT_EQ(f.bsf.size(), 4u);
  for (std::size_t i = 0; i < f.bsf.size(); ++i) {
    const BsfCurve& c = f.bsf[i];
    ASSERT_TRUE(c.hvl_found) << c.tube_kv;
    ASSERT_FALSE(c.points.empty());
    EXPECT_EQ(c.points.front().x, 0.0);
    EXPECT_NEAR(c.points.front().y, 1.0, 1e-12) << c.tube_kv;
    EXPECT_EQ(c.points.back().x, kFieldMaxCm);
    for (std::size_t k = 1; k < c.points.size(); ++k) EXPECT_GE(c.points[k].y, c.points[k - 1].y) << c.tube_kv;
    // A 30 cm field on soft tissue: between 1.2 and 1.6 in the diagnostic range.
    EXPECT_GT(c.points.back().y, 1.2) << c.tube_kv;
    EXPECT_LT(c.points.back().y, 1.6) << c.tube_kv;
    if (i > 0) {
      EXPECT_GT(c.tube_kv, f.bsf[i - 1].tube_kv);
      EXPECT_GT(c.hvl_cm, f.bsf[i - 1].hvl_cm);
    }
  }
  EXPECT_GT(f.bsf[1].points.back().y, f.bsf[0].points.back().y) << "80 kV above 60 kV";
}

// Right graph: the 60 kV beam is given the aluminium that brings it to the
// 80 kV beam's half-value layer, which takes more than the 80 kV beam has;
// each spectrum ends at its tube voltage and is drawn relative to its peak.
TEST(ProblemFigures, TheTwoSpectraShareTheirHalfValueLayerOnly)
{
  const ProblemFigures& f = figures();
  ASSERT_TRUE(f.failure.empty()) << f.failure;
  EXPECT_TRUE(f.same_hvl);
  EXPECT_NEAR(f.low.hvl_cm, f.high.hvl_cm, 0.001);
  EXPECT_EQ(f.high.tube_kv, 80.0);
  EXPECT_EQ(f.low.tube_kv, 60.0);
  EXPECT_GT(f.low.total_al_cm, f.high.total_al_cm);
  EXPECT_EQ(f.high.total_al_cm, f.total_al_cm);
  for (const SpectrumCurve* s : {&f.high, &f.low}) {
    ASSERT_FALSE(s->points.empty());
    EXPECT_EQ(s->points.back().x, s->tube_kv);
    double peak = 0.0;
    for (const PlotPoint& p : s->points) peak = std::max(peak, p.y);
    EXPECT_EQ(peak, 1.0);
  }
}

}  // namespace
}  // namespace bsf
