#include "mc_run.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "condition_checks.h"
#include "data_tables.h"
#include "free_format.h"
#include "joken_writer.h"

extern char** environ;

namespace bsf::cli {

namespace fs = std::filesystem;

namespace {

std::string_view trimmed(std::string_view v)
{
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\r')) v.remove_suffix(1);
  return v;
}

std::string number(double v)
{
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

[[noreturn]] void refuse(const ConditionProblem& p) { throw std::invalid_argument("--" + p.option + ": " + p.message_en); }

// The engine program: beside this program (where the build and the
// installation put them), else on the PATH.
fs::path find_engine(const std::string& name)
{
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && fs::exists(self.parent_path() / name)) return self.parent_path() / name;
  if (const char* path = std::getenv("PATH")) {
    std::stringstream dirs(path);
    for (std::string d; std::getline(dirs, d, ':');)
      if (!d.empty() && ::access((fs::path(d) / name).c_str(), X_OK) == 0) return fs::path(d) / name;
  }
  throw std::runtime_error("the engine program " + name + " was found neither beside orbisan-cli nor on the PATH");
}

// The working folder: the one asked for, or a temporary one removed when
// the run is over, whatever its outcome.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& keep)
  {
    if (!keep.empty()) {
      path_ = keep;
      std::error_code ec;
      fs::create_directories(path_, ec);
      if (!fs::is_directory(path_))
        throw DataFileError(DataFileError::Kind::CannotWrite, path_, 0, keep + ": the working folder cannot be created");
      // What an earlier run left there must not pass for this run's.
      for (const char* f : {"ResultBSF.txt", "ResultBSF.json", "EngineStatus.json"}) fs::remove(resolve_nocase(path_, f), ec);
      return;
    }
    std::string tmpl = (fs::temp_directory_path() / "orbisan-mc-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
      throw DataFileError(DataFileError::Kind::CannotWrite, tmpl, 0,
                          "a temporary working folder cannot be created: " + std::string(std::strerror(errno)), {},
                          errno);
    path_ = tmpl;
    temporary_ = true;
  }
  ~WorkingFolder()
  {
    std::error_code ec;
    if (temporary_) fs::remove_all(path_, ec);
  }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
  bool temporary_ = false;
};

void copy_data_file(const fs::path& data_dir, const fs::path& dir, const std::string& name)
{
  const fs::path from = resolve_nocase(data_dir, name);
  std::error_code ec;
  if (!fs::exists(from, ec))
    throw DataFileError(DataFileError::Kind::NotFound, from, 0, name + ": file not found in " + data_dir.string());
  fs::copy_file(from, dir / name, fs::copy_options::overwrite_existing, ec);
  if (ec)
    throw DataFileError(DataFileError::Kind::CannotWrite, dir / name, 0,
                        name + ": cannot be copied into " + dir.string() + ": " + ec.message(), {}, ec.value());
}

// The last lines the engine wrote, when its status file holds no message.
std::string log_tail(const fs::path& log)
{
  std::ifstream in(log, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    if (l.find_first_not_of(' ') != std::string::npos) lines.push_back(l);
  }
  std::string out;
  for (std::size_t i = lines.size() > 3 ? lines.size() - 3 : 0; i < lines.size(); ++i) {
    if (!out.empty()) out += ' ';
    const std::size_t first = lines[i].find_first_not_of(' ');
    out.append(lines[i], first, std::string::npos);
  }
  return out;
}

std::string clock_text(double seconds)
{
  const long s = std::lround(std::max(0.0, seconds));
  char buf[32];
  if (s >= 3600) std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s % 3600 / 60, s % 60);
  else std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
  return buf;
}

}  // namespace

const std::vector<std::string>& mc_columns()
{
  static const std::vector<std::string> columns = {"phantom",    "radius",      "semi_axis_horizontal",
                                                   "semi_axis_vertical", "racetrack_a", "racetrack_b",
                                                   "length",     "histories",   "threads"};
  return columns;
}

void set_mc_option(McOptions& m, std::string_view column, std::string_view value)
{
  const std::string_view v = trimmed(value);
  if (v.empty()) return;
  try {
    if (column == "phantom") {
      const auto phantom = phantom_from_option_name(v);
      if (!phantom)
        throw std::invalid_argument("\"" + std::string(v) + "\" is not a phantom (cylinder, elliptic or racetrack)");
      m.phantom = *phantom;
    } else if (column == "radius") m.radius = parse_strict(v);
    else if (column == "semi_axis_horizontal") m.semi_axis_horizontal = parse_strict(v);
    else if (column == "semi_axis_vertical") m.semi_axis_vertical = parse_strict(v);
    else if (column == "racetrack_a") m.racetrack_a = parse_strict(v);
    else if (column == "racetrack_b") m.racetrack_b = parse_strict(v);
    else if (column == "length") m.length = parse_strict(v);
    else if (column == "histories") m.histories = parse_strict(v);
    else if (column == "threads") {
      if (v == "exact") {
        m.exact = true;
      } else {
        const double t = parse_strict(v);
        if (t != std::floor(t) || t < 0 || t > 1024)
          throw std::invalid_argument("\"" + std::string(v) + "\" is not a thread count (0 to 1024, or exact)");
        m.threads = static_cast<int>(t);
        m.exact = false;
      }
    } else throw std::invalid_argument("unknown column");
  } catch (const std::invalid_argument& e) {
    throw std::invalid_argument("column " + std::string(column) + ": " + e.what());
  }
}

std::string mc_text(const McOptions& m, std::string_view column)
{
  // A dimension of another phantom than the row's stays empty.
  const auto of = [&](Phantom p, double v) { return m.phantom == p ? number(v) : std::string(); };
  if (column == "phantom") return std::string(phantom_option_name(m.phantom));
  if (column == "radius") return of(Phantom::Cylinder, m.radius);
  if (column == "semi_axis_horizontal") return of(Phantom::EllipticCylinder, m.semi_axis_horizontal);
  if (column == "semi_axis_vertical") return of(Phantom::EllipticCylinder, m.semi_axis_vertical);
  if (column == "racetrack_a") return of(Phantom::Racetrack, m.racetrack_a);
  if (column == "racetrack_b") return of(Phantom::Racetrack, m.racetrack_b);
  if (column == "length") return of(Phantom::Racetrack, m.length);
  if (column == "histories") {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", m.histories);
    return buf;
  }
  if (column == "threads") return m.exact ? "exact" : std::to_string(m.threads);
  return "";
}

ExposureConditions mc_conditions(const CliConditions& c, const McOptions& m)
{
  if (c.diameter)
    throw std::invalid_argument(
        "--diameter: the Monte Carlo engines take a rectangular field; give --field LONGxSHORT instead");
  ExposureConditions e = to_exposure(c);
  if (const auto p = check_conditions(e)) refuse(*p);
  if (m.phantom == Phantom::None)
    throw std::invalid_argument("--phantom: a phantom must be chosen (cylinder, elliptic or racetrack)");
  e.PhantomShape = phantom_code(m.phantom);
  if (const auto p = check_value(Condition::HistoryCount, m.histories)) refuse(*p);
  e.HistoryCount = static_cast<std::int32_t>(m.histories);
  e.CylinderRadius = m.radius;
  e.EllipseHorizontal = m.semi_axis_horizontal;
  e.EllipseVertical = m.semi_axis_vertical;
  e.RacetrackA = m.racetrack_a;
  e.RacetrackB = m.racetrack_b;
  e.RacetrackLength = m.length;
  e.JokenFieldShort = e.FieldShort;
  e.JokenFieldLong = e.FieldLong;
  if (const auto p = check_phantom(e)) refuse(*p);
  return e;
}

EngineResultJson run_mc(const ExposureConditions& conditions, const std::string& spectrum_text,
                        const fs::path& data_dir, const McOptions& m, const McProgress& progress)
{
  const Phantom phantom = phantom_of(conditions);
  if (phantom == Phantom::None) throw std::logic_error("run_mc: the conditions name no phantom, and no engine runs a flat surface");
  const std::string engine_name(engine_program(phantom));
  const fs::path engine = find_engine(engine_name);
  WorkingFolder folder(m.keep_dir);
  const fs::path& dir = folder.path();
  write_joken(dir, conditions);
  replace_file(dir, "X_SPCTL.dat", spectrum_text);
  copy_data_file(data_dir, dir, "ICRUSoft.dat");
  copy_data_file(data_dir, dir, "Att_Coeff2020.dat");

  // The engine in the folder, its input empty (its Enter wait ends at once),
  // its console in a log beside its files.
  const fs::path log = dir / (engine_name + ".log");
  const int log_fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (log_fd < 0)
    throw DataFileError(DataFileError::Kind::CannotWrite, log, 0,
                        log.string() + ": cannot be created: " + std::strerror(errno), {}, errno);
  std::vector<std::string> args = {engine.string()};
  if (!m.exact) args.insert(args.end(), {"--threads", std::to_string(m.threads)});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, log_fd, 1);
  posix_spawn_file_actions_adddup2(&actions, log_fd, 2);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, engine.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(log_fd);
  if (spawned != 0)
    throw std::runtime_error("the engine program " + engine.string() + " could not be started: " +
                             std::strerror(spawned));

  // Followed through its status file until it ends.
  int raw = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &raw, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) throw std::runtime_error(std::string("waiting for the engine: ") + std::strerror(errno));
    if (progress)
      if (const auto s = read_engine_status(dir)) progress(*s);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  const std::optional<EngineStatus> last = read_engine_status(dir);
  if (progress && last) progress(*last);
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
  if (status == 0)
    if (const auto r = read_result_json(dir)) return *r;
  std::string message = last && last->state == "failed" && !last->message.empty() ? last->message : log_tail(log);
  if (status == 0) message = "the engine ended without a result file";
  throw McFailure(engine_name + " stopped with exit status " + std::to_string(status) + ": " + message, status);
}

std::string progress_bar(const EngineStatus& s, int width)
{
  const double share = s.histories_total > 0 ? static_cast<double>(s.histories_done) / static_cast<double>(s.histories_total) : 0.0;
  const int filled = std::clamp(static_cast<int>(std::lround(share * width)), 0, width);
  std::string bar(static_cast<std::size_t>(width) + 2, '.');
  bar.front() = '[';
  bar.back() = ']';
  std::fill_n(bar.begin() + 1, filled, '#');
  char buf[160];
  std::snprintf(buf, sizeof buf, " %5.1f %%  %lld / %lld histories  %s", 100.0 * share,
                static_cast<long long>(s.histories_done), static_cast<long long>(s.histories_total),
                clock_text(s.elapsed_seconds).c_str());
  std::string line = bar + buf;
  if (s.histories_done > 0 && share < 1.0) line += ", about " + clock_text(s.elapsed_seconds * (1.0 - share) / share) + " left";
  return line;
}

}  // namespace bsf::cli
