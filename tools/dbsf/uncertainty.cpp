// Statistical uncertainty of the table estimate from the batches of a table
// build (build-dbsf-tables --batch-dump FILE):
//
//   dbsf-uncertainty BATCHES DATA_DIR
//
// For the forms' default beam (75 kV, 12 degrees, 3.5 mm Al, FSD 80 cm, FFD
// 100 cm) and a 10 x 10 and a 43.2 x 35.6 cm field, computes the estimate
// with each batch's tables and prints the mean and the relative standard
// error of each factor.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <vector>

#include "data_tables.h"
#include "estimate.h"
#include "spectrum.h"
#include "tables.h"

int main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "usage: dbsf-uncertainty BATCHES DATA_DIR\n");
    return 2;
  }
  using namespace bsf;
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<dbsf::Table> batches;
  for (dbsf::Table t; in.read(reinterpret_cast<char*>(&t), sizeof t);) batches.push_back(t);
  if (batches.size() < 2) {
    std::fprintf(stderr, "dbsf-uncertainty: %s holds fewer than two batches\n", argv[1]);
    return 1;
  }
  const AttenuationTable att = load_attenuation_table(argv[2]);
  for (auto [fl, fs] : {std::pair{10.0, 10.0}, std::pair{43.2, 35.6}}) {
    ExposureConditions c;
    set_default_conditions(c, 1);
    c.FieldLong = fl;
    c.FieldShort = fs;
    c.PhotonSpectrum = compute_spectrum(c, att).photons;
    std::vector<std::array<double, 3>> values;
    for (const dbsf::Table& t : batches) {
      DifferentialTables tables;
      DifferentialBsfTable* dest[3] = {&tables.air, &tables.soft, &tables.skin};  // the builder's medium order
      for (int m = 0; m < 3; ++m)
        for (int e = 1; e <= kGridEnergies; ++e)
          for (int k = 1; k <= kRingCount; ++k)
            dest[m]->value[static_cast<std::size_t>(e)][static_cast<std::size_t>(k)] =
                t[static_cast<std::size_t>(m)][static_cast<std::size_t>(e)][static_cast<std::size_t>(k - 1)];
      estimate_backscatter(c, att, tables);
      values.push_back({c.BsfAirKerma, c.BsfSoftTissue, c.BsfSkin});
    }
    const char* names[3] = {"air kerma", "soft tissue", "skin"};
    for (int q = 0; q < 3; ++q) {
      double mean = 0.0, var = 0.0;
      for (const auto& v : values) mean += v[static_cast<std::size_t>(q)] / values.size();
      for (const auto& v : values) var += std::pow(v[static_cast<std::size_t>(q)] - mean, 2) / (values.size() - 1);
      const double se = std::sqrt(var / values.size());
      std::printf("%4.1f x %4.1f cm, %-11s: BSF %.5f, standard error %.6f (%.4f %%)\n", fl, fs, names[q], mean, se,
                  100.0 * se / mean);
    }
  }
  return 0;
}
