#include "joken_writer.h"

#include <cstring>
#include <vector>

#include "file_io.h"
#include "free_format.h"
#include "number_text.h"

namespace bsf {

namespace fs = std::filesystem;

std::string joken_text(const ExposureConditions& c)
{
  std::vector<double> shape;
  switch (phantom_of(c)) {
    case Phantom::Cylinder: shape = {c.CylinderRadius}; break;
    case Phantom::EllipticCylinder: shape = {c.EllipseHorizontal, c.EllipseVertical}; break;
    case Phantom::Racetrack: shape = {c.RacetrackA, c.RacetrackB, c.RacetrackLength}; break;
    case Phantom::None: return {};
  }
  std::string text;
  for (double v : shape) text += format_pattern(v, "000.0") + "\r\n";
  for (double v : {c.ObjectThickness, c.FocusSurfaceDistance, c.FocusReceptorDistance, c.JokenFieldShort,
                   c.JokenFieldLong})
    text += format_pattern(v, "000.0") + "\r\n";
  text += format_pattern(c.HistoryCount, "00000000000") + "\r\n";
  return text;
}

void replace_file(const fs::path& dir, const std::string& name, const std::string& text)
{
  const auto failure = replace_file_nocase(dir, name, text);
  if (!failure) return;
  const char* what = "cannot be written";
  switch (failure->step) {
    case WriteFailure::Step::CreateTemporary: what = "cannot be created"; break;
    case WriteFailure::Step::Write: what = "cannot be written"; break;
    case WriteFailure::Step::Replace: what = "cannot replace the file"; break;
  }
  throw DataFileError(DataFileError::Kind::CannotWrite, failure->target, 0,
                      name + ": " + what + " in " + dir.string() + ": " + std::strerror(failure->os_error), {},
                      failure->os_error);
}

bool write_joken(const fs::path& dir, const ExposureConditions& c)
{
  const std::string text = joken_text(c);
  if (text.empty()) return false;
  replace_file(dir, "joken.txt", text);
  return true;
}

}  // namespace bsf
