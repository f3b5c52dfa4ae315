#include "driver.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <ostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bsf {

namespace fs = std::filesystem;

ClockReading local_clock()
{
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void Console::line(std::string_view text)
{
  out_ << text << "\r\n";
}

void Console::flush() { out_.flush(); }

std::string clock_line(std::string_view label, const ClockReading& c)
{
  return std::string(label) + format_int(c.hour, 2) + ":" + format_int(c.minute, 2) + ":" +
         format_int(c.second, 2);
}

BackscatterFactors backscatter_factors(const Tallies& t)
{
  return {(t.BackscatterAir + t.PrimaryAir) / t.PrimaryAir,
          (t.BackscatterSoftTissue + t.PrimarySoftTissue) / t.PrimarySoftTissue,
          (t.BackscatterSkin + t.PrimarySkin) / t.PrimarySkin};
}

void check_conditions(const RunConditions& rc, std::span<const PositiveValue> shape_values)
{
  const SourceLocation where{std::string(kConditionsFile), 0};
  auto positive = [&](float v, std::string_view name) {
    if (!(v > 0.0f) || !std::isfinite(v)) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
      throw_input_error(where, std::string(name) + " is " + buf + "; it must be greater than 0");
    }
  };
  for (const PositiveValue& p : shape_values) positive(rc.*(p.field), p.name);
  positive(rc.ObjectThickness, "the object thickness");
  positive(rc.FocusSurfaceDistance, "the focus-surface distance");
  positive(rc.FocusReceptorDistance, "the focus-receptor distance");
  positive(rc.FieldShort, "the short-axis field size");
  positive(rc.FieldLong, "the long-axis field size");
  if (rc.HistoryCount < 1)
    throw_input_error(where, "the history number is " + std::to_string(rc.HistoryCount) +
                                 "; it must be at least 1");
}

void write_result_file(const fs::path& dir, const BackscatterFactors& f)
{
  const std::string name(kResultFile);
  const fs::path target = find_file_nocase(dir, name).value_or(dir / name);
  std::string tmpl = (dir / (name + ".XXXXXX")).string();
  auto fail = [&](const std::string& what) {
    throw_input_error({name, 0}, what + ": " + std::strerror(errno));
  };

  const int fd = ::mkstemp(tmpl.data());
  if (fd < 0) fail("cannot create a temporary file in " + dir.string());
  std::string text;
  for (double v : {f.air, f.soft_tissue, f.skin}) text += format_fixed(v, 7, 4) + "\r\n";
  const char* p = text.data();
  std::size_t left = text.size();
  bool ok = true;
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  // mkstemp creates the file readable by its owner only; the result file is
  // an ordinary file like the others in the directory.
  if (ok && ::fchmod(fd, 0644) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    const int saved = errno;
    ::unlink(tmpl.c_str());
    errno = saved;
    fail("cannot write the result");
  }
  if (std::rename(tmpl.c_str(), target.c_str()) != 0) {
    const int saved = errno;
    ::unlink(tmpl.c_str());
    errno = saved;
    fail("cannot replace " + target.string());
  }
}

}  // namespace bsf
