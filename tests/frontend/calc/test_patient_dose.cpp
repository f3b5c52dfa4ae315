// From backscatter factors to entrance doses: the beam of a measured
// half-value layer, the tissue-to-air ratios of a spectrum, the dose chain,
// and the digests that trace a report to its data.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data_tables.h"
#include "installed_tables.h"
#include "free_format.h"
#include "patient_dose.h"
#include "sha256.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;
using test::kDataDir;

const AttenuationTable& table() { return test::installed_attenuation(); }

ExposureConditions beam(double kv, double added_al_mm = 1.0)
{
  ExposureConditions c;
  set_default_conditions(c, 1);
  c.TubeVoltage = kv;
  c.AddedFilterAl = 0.1 * added_al_mm;
  return c;
}

// The filtration found reproduces the half-value layer asked for, to 0.001
// mm, for beams across the range.
TEST(HvlMatching, FoundFiltrationReproducesTheLayer)
{
  struct Case {
    double kv;
    double hvl_mm;
  };
  for (const Case& k : {Case{80, 3.2}, Case{60, 2.3}, Case{120, 5.5}, Case{50, 2.5}}) {
    const FiltrationMatch m = added_al_for_hvl(beam(k.kv), table(), 0.1 * k.hvl_mm, 3.0);
    EXPECT_GE(m.added_al_cm, 0.0);
    ExposureConditions c = beam(k.kv);
    c.AddedFilterAl = m.added_al_cm;
    const SpectrumResult s = compute_spectrum(c, table());
    ASSERT_TRUE(s.hvl_found) << k.kv;
    EXPECT_NEAR(10.0 * s.hvl_cm, k.hvl_mm, 0.0005) << k.kv << " kV, " << 10 * m.added_al_cm << " mm Al";
    EXPECT_EQ(m.spectrum.hvl_cm, s.hvl_cm);
  }
}

// A beam of known filtration, its layer asked for: the same filtration.
TEST(HvlMatching, RoundTripWithAKnownFiltration)
{
  for (double al_mm : {0.5, 2.0, 7.5}) {
    const SpectrumResult s = compute_spectrum(beam(80, al_mm), table());
    const FiltrationMatch m = added_al_for_hvl(beam(80), table(), s.hvl_cm, 3.0);
    EXPECT_NEAR(10.0 * m.added_al_cm, al_mm, 0.01) << al_mm;
  }
}

// Below the layer of the beam without added aluminium, or above the most
// the search reaches: refused with the reachable range.
TEST(HvlMatching, OutOfReachGivesTheRange)
{
  const SpectrumResult bare = compute_spectrum(beam(80, 0.0), table());
  for (double hvl_mm : {0.5, 10.0 * bare.hvl_cm - 0.01, 25.0}) {
    try {
      added_al_for_hvl(beam(80), table(), 0.1 * hvl_mm, 3.0);
      FAIL() << hvl_mm << " mm was matched";
    } catch (const HvlOutOfReach& e) {
      EXPECT_NEAR(e.lowest_cm(), bare.hvl_cm, 1e-12);
      EXPECT_GT(e.highest_cm(), e.lowest_cm());
      char lowest[16];
      std::snprintf(lowest, sizeof lowest, "%.3f", 10.0 * bare.hvl_cm);
      EXPECT_NE(std::string(e.what()).find(std::string("it gives ") + lowest + " to "), std::string::npos) << e.what();
      EXPECT_NE(e.japanese().find(lowest), std::string::npos);
    }
  }
}

// f = sum K mu_m/mu_air / sum K, by hand over two bins.
TEST(TissueToAir, TwoBinSpectrumByHand)
{
  SpectrumResult s;
  s.kerma[60] = 0.25;
  s.kerma[140] = 0.75;
  AttenuationTable att;
  att.air[60] = 2.0;
  att.soft[60] = 2.2;
  att.skin[60] = 2.1;
  att.air[140] = 0.5;
  att.soft[140] = 0.52;
  att.skin[140] = 0.51;
  const TissueToAir f = tissue_to_air(s, att);
  EXPECT_DOUBLE_EQ(f.soft, 0.25 * 1.1 + 0.75 * 1.04);
  EXPECT_DOUBLE_EQ(f.skin, 0.25 * 1.05 + 0.75 * 1.02);
}

// The same sum over a real spectrum, from the installed file's columns read
// here on their own.
TEST(TissueToAir, RealSpectrumAgainstTheInstalledColumns)
{
  const SpectrumResult s = compute_spectrum(beam(75), table());
  std::ifstream in(kDataDir / "Att_Coeff2020.dat");
  double k = 0, soft = 0, skin = 0;
  for (int i = 1; i <= 300; ++i) {
    double e, w, al, cu, air, st, sk;
    in >> e >> w >> al >> cu >> air >> st >> sk;
    k += s.kerma[static_cast<std::size_t>(i)];
    soft += s.kerma[static_cast<std::size_t>(i)] * st / air;
    skin += s.kerma[static_cast<std::size_t>(i)] * sk / air;
  }
  const TissueToAir f = tissue_to_air(s, table());
  EXPECT_NEAR(f.soft, soft / k, 1e-12);
  EXPECT_NEAR(f.skin, skin / k, 1e-12);
  // Soft tissue absorbs a few per cent more than air per unit mass at
  // diagnostic energies.
  EXPECT_GT(f.soft, 1.03);
  EXPECT_LT(f.soft, 1.09);
}

// The dose chain by hand: inverse square to the surface, the factors, the
// ratios, and the uncertainties in quadrature.
TEST(EntranceDoses, ChainByHand)
{
  const TissueToAir f{1.06, 1.05};
  AirKermaInput measured;
  measured.measured_mgy = 2.1;
  measured.at_cm = 100.0;
  const Factors factors{1.35, 1.34, 1.33, std::nullopt, std::nullopt, std::nullopt};
  EntranceDoses d = entrance_doses(80.0, measured, factors, f);
  const double ki = 2.1 * 100.0 * 100.0 / (80.0 * 80.0);
  EXPECT_DOUBLE_EQ(d.incident_air_kerma_mgy, ki);
  EXPECT_DOUBLE_EQ(d.esak_mgy, ki * 1.35);
  EXPECT_DOUBLE_EQ(d.soft_tissue_mgy, ki * 1.06 * 1.34);
  EXPECT_DOUBLE_EQ(d.skin_mgy, ki * 1.05 * 1.33);
  EXPECT_FALSE(d.u_esak_mgy || d.u_soft_tissue_mgy || d.u_incident_air_kerma_mgy);

  // Measured at the surface itself: no distance given.
  measured.at_cm = 0.0;
  EXPECT_DOUBLE_EQ(entrance_doses(80.0, measured, factors, f).incident_air_kerma_mgy, 2.1);

  // From the tube output: 50 uGy/mAs at 100 cm, 10 mAs.
  AirKermaInput output;
  output.source = AirKermaInput::Source::TubeOutput;
  output.output_ugy_per_mas = 50.0;
  output.mas = 10.0;
  output.relative_u = 0.05;
  const Factors mc{1.35, 1.34, 1.33, 0.01, 0.02, std::nullopt};
  d = entrance_doses(80.0, output, mc, f);
  const double ko = 0.5 * 100.0 * 100.0 / (80.0 * 80.0);
  EXPECT_DOUBLE_EQ(d.incident_air_kerma_mgy, ko);
  EXPECT_DOUBLE_EQ(*d.u_incident_air_kerma_mgy, ko * 0.05);
  EXPECT_NEAR(*d.u_esak_mgy, ko * 1.35 * std::hypot(0.05, 0.01 / 1.35), 1e-15);
  EXPECT_NEAR(*d.u_soft_tissue_mgy, ko * 1.06 * 1.34 * std::hypot(0.05, 0.02 / 1.34), 1e-15);
  EXPECT_NEAR(*d.u_skin_mgy, ko * 1.05 * 1.33 * 0.05, 1e-15);  // the factor's own is unknown
}

TEST(EntranceDoses, RefusesWhatCannotBeCarriedToTheSurface)
{
  const Factors factors{1.35, 1.34, 1.33, {}, {}, {}};
  auto with = [](auto change) {
    AirKermaInput in;
    in.measured_mgy = 2.0;
    in.output_ugy_per_mas = 50.0;
    in.mas = 10.0;
    change(in);
    return in;
  };
  const AirKermaInput bad[] = {
      with([](AirKermaInput& in) { in.measured_mgy = -1.0; }),
      with([](AirKermaInput& in) { in.measured_mgy = std::nan(""); }),
      with([](AirKermaInput& in) { in.at_cm = -100.0; }),
      with([](AirKermaInput& in) { in.source = AirKermaInput::Source::TubeOutput; in.mas = 0.0; }),
      with([](AirKermaInput& in) { in.source = AirKermaInput::Source::TubeOutput; in.output_ugy_per_mas = 0.0; }),
      with([](AirKermaInput& in) { in.relative_u = 1.5; }),
  };
  for (const AirKermaInput& in : bad) EXPECT_THROW(entrance_doses(80.0, in, factors, {1.06, 1.05}), std::invalid_argument);
}

TEST(Sha256, StandardVectorsAndFiles)
{
  EXPECT_EQ(sha256_hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256_hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha256_hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(sha256_hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // Lengths around the block and padding boundaries.
  EXPECT_EQ(sha256_hex(std::string(55, 'x')).size(), 64u);
  EXPECT_NE(sha256_hex(std::string(55, 'x')), sha256_hex(std::string(56, 'x')));
  EXPECT_NE(sha256_hex(std::string(63, 'x')), sha256_hex(std::string(64, 'x')));
  const fs::path f = fs::temp_directory_path() / "orbisan-sha256-test.txt";
  std::ofstream(f, std::ios::binary) << "abc";
  EXPECT_EQ(file_sha256(f), sha256_hex("abc"));
  fs::remove(f);
  EXPECT_THROW(file_sha256(f), DataFileError);
}

}  // namespace
}  // namespace bsf
