// Builds the installed physics data files from xraylib:
//
//   build-physics-data OUTDIR
//
// writes OUTDIR/Att_Coeff2020.dat and OUTDIR/ICRUSoft.dat. The committed
// copies in data/ are this program's output; a test rebuilds them and
// compares byte for byte.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tables.h"
#include "xrl_checked.h"

namespace {

// Writes beside the target and renames, so a failed run leaves no half file.
void write_file(const std::filesystem::path& path, const std::string& text)
{
  const std::filesystem::path tmp = path.string() + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary);
    out << text;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + tmp.string());
  }
  std::filesystem::rename(tmp, path);
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::cerr << "usage: build-physics-data OUTDIR\n";
    return 2;
  }
  try {
    const std::filesystem::path dir = argv[1];
    write_file(dir / "Att_Coeff2020.dat", bsf::physdata::attenuation_file());
    write_file(dir / "ICRUSoft.dat", bsf::physdata::soft_tissue_file());
    std::cout << "wrote Att_Coeff2020.dat and ICRUSoft.dat to " << dir.string() << " (xraylib "
              << bsf::xrl::version() << ")\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "build-physics-data: " << e.what() << "\n";
    return 1;
  }
}
