#include "joken_writer.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "data_tables.h"
#include "free_format.h"
#include "number_text.h"

namespace bsf {

namespace fs = std::filesystem;

std::string joken_text(const ExposureConditions& c)
{
  std::vector<double> shape;
  switch (c.PhantomShape) {
    case 1: shape = {c.CylinderRadius}; break;
    case 2: shape = {c.EllipseHorizontal, c.EllipseVertical}; break;
    case 4: shape = {c.RacetrackA, c.RacetrackB, c.RacetrackLength}; break;
    default: return {};
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
  const fs::path target = resolve_nocase(dir, name);
  const fs::path tmp = dir / (name + ".partial");
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) throw DataFileError(name + ": cannot be created in " + dir.string() + ": " + std::strerror(errno));
    out << text;
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(tmp, ec);
      throw DataFileError(name + ": cannot be written in " + dir.string());
    }
  }
  std::error_code ec;
  fs::rename(tmp, target, ec);
  if (ec) {
    fs::remove(tmp, ec);
    throw DataFileError(name + ": cannot replace the file in " + dir.string() + ": " + ec.message());
  }
}

bool write_joken(const fs::path& dir, const ExposureConditions& c)
{
  const std::string text = joken_text(c);
  if (text.empty()) return false;
  replace_file(dir, "joken.txt", text);
  return true;
}

}  // namespace bsf
