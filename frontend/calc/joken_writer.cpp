#include "joken_writer.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
  // The reason is taken from errno at the failing call itself, before any
  // clean-up can overwrite it.
  auto fail = [&](const char* what, int os_error) {
    throw DataFileError(DataFileError::Kind::CannotWrite, target, 0,
                        name + ": " + what + " in " + dir.string() + ": " + std::strerror(os_error), {}, os_error);
  };

  // A temporary of a unique name beside the target, flushed to the disk and
  // renamed over it: a reader sees the old file or the whole new one, and
  // a failure leaves the old file and no temporary behind.
  std::string tmp = (dir / (name + ".XXXXXX")).string();
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) fail("cannot be created", errno);
  auto give_up = [&](const char* what) {
    const int os_error = errno;
    ::close(fd);
    ::unlink(tmp.c_str());
    fail(what, os_error);
  };
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      give_up("cannot be written");
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  // mkstemp makes the file private; an exchange file is an ordinary one.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd, 0666 & ~mask) != 0) give_up("cannot be written");
  if (::fsync(fd) != 0) give_up("cannot be written");
  if (::close(fd) != 0) {
    const int os_error = errno;
    ::unlink(tmp.c_str());
    fail("cannot be written", os_error);
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const int os_error = errno;
    ::unlink(tmp.c_str());
    fail("cannot replace the file", os_error);
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
