// Entry point of the three engine programs. The build target chooses the
// phantom shape: Korvane the racetrack, Teslund the elliptic cylinder,
// Mirabek the circular cylinder. Without arguments a program makes the
// exact serial run; "--threads N" runs it on N threads (0: all cores).
#include <filesystem>
#include <iostream>

#include "driver.h"

int main(int argc, char** argv)
{
  std::ios::sync_with_stdio(false);
  bsf::EngineIo io{std::cout, std::cerr, std::cin, std::filesystem::current_path()};
  return bsf::run_engine<bsf::ENGINE_PHANTOM>(io, bsf::parse_options(argc, argv));
}
