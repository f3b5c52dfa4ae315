#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bsf {

namespace fs = std::filesystem;

namespace {

bool equal_nocase(std::string_view a, std::string_view b)
{
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    // ASCII only: file names are compared byte for byte beyond it, whatever
    // the locale.
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c; };
    if (lower(x) != lower(y)) return false;
  }
  return true;
}

// The process's umask, read without changing it: umask(2) can only be read
// by setting it, and for that moment a file created by another thread
// would get the wrong mode. Linux shows it in /proc/self/status; setting it
// back at once is the fallback where that line is missing.
mode_t current_umask()
{
  std::optional<mode_t> shown;
  if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (!shown && std::fgets(line, sizeof line, f)) {
      if (std::strncmp(line, "Umask:", 6) != 0) continue;
      char* end = nullptr;
      const unsigned long mask = std::strtoul(line + 6, &end, 8);
      if (end == line + 6) break;
      shown = static_cast<mode_t>(mask & 0777);
    }
    std::fclose(f);
  }
  if (shown) return *shown;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// The replacement proper: a temporary named `temporary_stem` and six
// letters or digits, renamed over `target`.
std::optional<WriteFailure> replace_through_temporary(const fs::path& target, const fs::path& temporary_stem,
                                                      std::string_view text, FileSync sync)
{
  using Step = WriteFailure::Step;
  std::string temporary = temporary_stem.string() + ".XXXXXX";
  // Close-on-exec: an engine started meanwhile must not inherit it.
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return WriteFailure{Step::CreateTemporary, errno, target};

  // Every failure below removes the temporary; the reason is errno of the
  // failing call, taken before the clean-up can overwrite it.
  const auto abandon = [&](int os_error) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return WriteFailure{Step::Write, os_error, target};
  };
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return abandon(errno);
    }
    if (n == 0) return abandon(EIO);  // no progress and no reason: never loop on it
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  // mkostemp makes the file readable by its owner only; the files are
  // ordinary ones that other programs and users read.
  if (::fchmod(fd, 0666 & ~current_umask()) != 0) return abandon(errno);
  if (sync == FileSync::ToDisk && ::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    const int os_error = errno;
    ::unlink(temporary.c_str());
    return WriteFailure{Step::Write, os_error, target};
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    const int os_error = errno;
    ::unlink(temporary.c_str());
    return WriteFailure{Step::Replace, os_error, target};
  }
  return std::nullopt;
}

}  // namespace

std::optional<fs::path> find_file_nocase(const fs::path& dir, std::string_view name)
{
  std::error_code ec;
  const fs::path exact = dir / fs::path(std::string(name));
  if (fs::is_regular_file(exact, ec)) return exact;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code type_ec;
    if (equal_nocase(it->path().filename().string(), name) && it->is_regular_file(type_ec)) return it->path();
  }
  return std::nullopt;
}

fs::path resolve_nocase(const fs::path& dir, std::string_view name)
{
  return find_file_nocase(dir, name).value_or(dir / fs::path(std::string(name)));
}

std::optional<WriteFailure> write_file_atomically(const fs::path& target, std::string_view text, FileSync sync)
{
  return replace_through_temporary(target, target, text, sync);
}

std::optional<WriteFailure> replace_file_nocase(const fs::path& dir, std::string_view name, std::string_view text,
                                                FileSync sync)
{
  const fs::path asked = dir / fs::path(std::string(name));
  return replace_through_temporary(find_file_nocase(dir, name).value_or(asked), asked, text, sync);
}

}  // namespace bsf
