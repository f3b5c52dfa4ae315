// Builds the three differential backscatter tables:
//
//   build-dbsf-tables [--data DIR] [--out DIR] [--histories N] [--batches B]
//                     [--threads T] [--seed S] [--perpendicular] [--batch-dump FILE]
//
// N histories per energy, tilt node and batch. The tables are written to
// OUT/dBSF-SoftDose-SoftPhantom.dat, dBSF-AirDose-SoftPhantom.dat and
// dBSF-SkinDose-SoftPhantom.dat, and a summary of the run (time, histories,
// seed, largest standard errors) to standard output.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tables.h"
#include "text_io.h"

int main(int argc, char** argv)
{
  using namespace bsf::dbsf;
  CLI::App app{"Builds the differential backscatter tables of a flat soft-tissue phantom"};
  std::string data_dir = "data";
  std::string out_dir = ".";
  BuildSettings s;
  bool perpendicular = false;
  std::string batch_dump;
  app.add_option("--data", data_dir, "folder with ICRUSoft.dat and Att_Coeff2020.dat");
  app.add_option("--out", out_dir, "folder for the three tables");
  app.add_option("--histories", s.histories_per_batch, "histories per energy, tilt node and batch")->check(CLI::PositiveNumber);
  app.add_option("--batches", s.batches, "independent batches")->check(CLI::Range(2, 1000));
  app.add_option("--threads", s.threads, "threads")->check(CLI::Range(1, 64));
  app.add_option("--seed", s.seed, "base seed");
  app.add_flag("--perpendicular", perpendicular, "a perpendicular beam (one untilted node) instead of a point source at 100 cm");
  app.add_option("--batch-dump", batch_dump,
                 "also write every batch's tables as raw doubles (medium, energy 1-31, ring) to this file, "
                 "for the uncertainty of estimates");
  CLI11_PARSE(app, argc, argv);
  if (perpendicular) s.node_radii = {0.0};

  try {
    PhysicsTables data{bsf::read_soft_tissue(data_dir), bsf::read_absorption(data_dir)};
    const BuildResult r = build_tables(data, s, [](const std::string& m) { std::cerr << m << "\n"; });

    const std::string beam = perpendicular ? "perpendicular beam" : "point source at 100 cm on the axis";
    const char* names[3][2] = {{"dBSF-AirDose-SoftPhantom.dat", "air kerma"},
                               {"dBSF-SoftDose-SoftPhantom.dat", "soft-tissue dose"},
                               {"dBSF-SkinDose-SoftPhantom.dat", "skin dose"}};
    for (int m = 0; m < 3; ++m) {
      const std::string header =
          std::string("Differential backscatter factors for ") + names[m][1] +
          "; flat ICRU-44 soft-tissue phantom 30 cm thick; " + beam + "; data ICRUSoft.dat and Att_Coeff2020.dat; " +
          std::to_string(s.node_radii.size()) + " tilt nodes x " + std::to_string(s.batches) + " batches x " +
          std::to_string(s.histories_per_batch) + " histories per energy; seed " + std::to_string(s.seed) +
          "; columns: ring (0.1 cm), then 1, 5, 10, ..., 150 keV";
      const std::filesystem::path path = std::filesystem::path(out_dir) / names[m][0];
      std::ofstream out(path.string() + ".tmp", std::ios::binary);
      out << table_text(r.mean, m, header);
      out.close();
      if (!out) throw std::runtime_error("cannot write " + path.string());
      std::filesystem::rename(path.string() + ".tmp", path);
    }
    if (!batch_dump.empty()) {
      std::ofstream dump(batch_dump, std::ios::binary);
      for (const Table& t : r.batches) dump.write(reinterpret_cast<const char*>(&t), sizeof t);
      if (!dump) throw std::runtime_error("cannot write " + batch_dump);
    }
    double worst_first_rings = 0.0;
    for (int e = 2; e <= kEnergies; ++e)
      for (int k = 0; k < 50; ++k)
        if (r.mean[1][static_cast<std::size_t>(e)][static_cast<std::size_t>(k)] > 0.0)
          worst_first_rings = std::max(worst_first_rings, r.standard_error[1][static_cast<std::size_t>(e)][static_cast<std::size_t>(k)] /
                                                              r.mean[1][static_cast<std::size_t>(e)][static_cast<std::size_t>(k)]);
    std::printf("histories: %lld in %.1f s (%.0f per second)\n", static_cast<long long>(r.histories), r.seconds,
                static_cast<double>(r.histories) / r.seconds);
    std::printf("largest relative standard error of a soft-tissue entry within 5 cm: %.4f\n", worst_first_rings);
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "build-dbsf-tables: " << e.what() << "\n";
    return 1;
  }
}
