// Entry point of the three engine programs. The build target chooses the
// phantom shape: Korvane the racetrack, Teslund the elliptic cylinder,
// Mirabek the circular cylinder.
#include <filesystem>
#include <iostream>

#include "driver.h"

int main()
{
  std::ios::sync_with_stdio(false);
  bsf::EngineIo io{std::cout, std::cerr, std::cin, std::filesystem::current_path()};
  return bsf::run_engine<bsf::ENGINE_PHANTOM>(io);
}
