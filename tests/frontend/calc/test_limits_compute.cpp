// A value the checks accept must compute. The spectrum and the estimate are
// monotonic in each limit's direction (more filtration, a longer path in the
// target, a lower voltage all thin the beam), so the corners of the allowed
// box are the hardest cases: each must give a non-empty spectrum, a positive
// half-value layer and finite factors.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "condition_checks.h"
#include "data_tables.h"
#include "estimate.h"
#include "installed_tables.h"
#include "spectrum.h"

namespace bsf {
namespace {


double lo(Condition c) { return limit_of(c).low; }
double hi(Condition c) { return limit_of(c).high; }

TEST(AcceptedConditionsCompute, EveryCornerOfTheAllowedBox)
{
  const AttenuationTable& att = test::installed_attenuation();
  const DifferentialTables& tables = test::installed_differential();
  int corners = 0;
  for (int waveform = 1; waveform <= 3; ++waveform)
    for (double kv : {lo(Condition::TubeVoltage), hi(Condition::TubeVoltage)})
      for (double angle : {lo(Condition::AnodeAngle), hi(Condition::AnodeAngle)})
        for (double inherent : {lo(Condition::InherentFilter), hi(Condition::InherentFilter)})
          for (double al : {lo(Condition::AddedFilterAl), hi(Condition::AddedFilterAl)})
            for (double cu : {lo(Condition::AddedFilterCu), hi(Condition::AddedFilterCu)})
              for (double fsd : {lo(Condition::FocusSurfaceDistance), hi(Condition::FocusSurfaceDistance) - 1.0})
                for (double field : {lo(Condition::FieldLong), hi(Condition::FieldLong)})
                  for (std::int16_t shape : {std::int16_t{1}, std::int16_t{2}}) {
                    ExposureConditions c;
                    set_default_conditions(c, 1);
                    c.Waveform = static_cast<std::int16_t>(waveform);
                    c.TubeVoltage = kv;
                    c.AnodeAngle = angle;
                    c.InherentFilter = 0.1 * inherent;
                    c.AddedFilterAl = 0.1 * al;
                    c.AddedFilterCu = 0.1 * cu;
                    c.FocusSurfaceDistance = fsd;
                    c.FocusReceptorDistance = fsd + 1.0;
                    c.ObjectThickness = lo(Condition::ObjectThickness);
                    c.FieldShape = shape;
                    c.FieldLong = field;
                    c.FieldShort = shape == 1 ? field : 0.0;
                    ASSERT_FALSE(check_conditions(c)) << check_conditions(c)->message_en;
                    SCOPED_TRACE(testing::Message() << "waveform " << waveform << ", " << kv << " kV, " << angle
                                                    << " deg, " << inherent << "+" << al << " mm Al, " << cu
                                                    << " mm Cu, FSD " << fsd << ", field " << field << " shape "
                                                    << shape);
                    const SpectrumResult r = compute_spectrum(c, att);
                    ASSERT_TRUE(r.hvl_found);
                    EXPECT_GT(r.hvl_cm, 0.0);
                    c.PhotonSpectrum = r.photons;
                    estimate_backscatter(c, att, tables);
                    for (double f : {c.BsfAirKerma, c.BsfSoftTissue, c.BsfSkin}) {
                      EXPECT_TRUE(std::isfinite(f));
                      EXPECT_GT(f, 0.999);  // the tables' noise may put a tiny field a hair below 1
                      EXPECT_LT(f, 2.0);
                    }
                    ++corners;
                  }
  EXPECT_EQ(corners, 3 * 256);
}

}  // namespace
}  // namespace bsf
