#include "engine_run.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QString>

#include "data_tables.h"

namespace bsf::ui {

namespace fs = std::filesystem;

namespace {

// "<engine> <middle><number>" with nothing after the number.
std::optional<long> marker_number(std::string_view line, std::string_view engine, std::string_view middle)
{
  if (line.size() <= engine.size() + 1 + middle.size()) return std::nullopt;
  if (line.substr(0, engine.size()) != engine || line[engine.size()] != ' ') return std::nullopt;
  line.remove_prefix(engine.size() + 1);
  if (line.substr(0, middle.size()) != middle) return std::nullopt;
  line.remove_prefix(middle.size());
  long v = 0;
  const auto [ptr, ec] = std::from_chars(line.data(), line.data() + line.size(), v);
  if (ec != std::errc() || ptr != line.data() + line.size()) return std::nullopt;
  return v;
}

bool blank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

// At most this many lines of the engine's message are kept.
constexpr std::size_t kMessageLines = 8;

std::string read_all(const fs::path& file)
{
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The run's texts go through the translations (context "EngineRun").
std::string text(const QString& translated) { return translated.toStdString(); }

std::string reason_for_status(int status)
{
  switch (status) {
    case 0: return text(QCoreApplication::translate("EngineRun", "計算は終わりましたが、結果ファイルが書かれていません。"));
    case 1:
      return text(QCoreApplication::translate("EngineRun",
                                              "計算の条件かデータファイルに問題があったため、計算は始まりませんでした。"));
    case 2:
      return text(QCoreApplication::translate(
          "EngineRun", "入射表面の中心の円板を通った一次光子がなく、後方散乱係数を求められませんでした。"));
    case 3: return text(QCoreApplication::translate("EngineRun", "結果ファイル ResultBSF.txt を書き込めませんでした。"));
    case 126:
    case 127: return text(QCoreApplication::translate("EngineRun", "計算プログラムを実行できませんでした。"));
    default:
      if (status > 128)
        return text(QCoreApplication::translate("EngineRun", "計算プログラムが強制終了されました（シグナル %1）。")
                        .arg(status - 128));
      return text(QCoreApplication::translate("EngineRun", "計算プログラムが終了コード %1 で止まりました。").arg(status));
  }
}

}  // namespace

RunLog parse_run_log(std::string_view text, std::string_view engine)
{
  RunLog log;
  std::vector<std::string_view> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    pos = end + 1;
  }

  // Where the engine's own lines begin and end.
  std::size_t first = 0, last = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const auto pid = marker_number(lines[i], engine, "is process "); pid && !log.started) {
      log.started = true;
      log.pid = *pid;
      first = i + 1;
    } else if (const auto status = marker_number(lines[i], engine, "ended with exit status ")) {
      log.ended = true;
      log.exit_status = static_cast<int>(*status);
      last = i;
    } else if (lines[i] == std::string(engine) + " start given up") {
      log.given_up = true;
    } else if (lines[i].find("--- Calculation finished ---") != std::string_view::npos) {
      log.loop_done = true;
    }
  }
  if (!log.started) return log;

  // The engine's message: its error lines and what follows them up to a
  // blank line; failing those, what it printed between its finish time and
  // its end-of-calculation lines.
  auto keep = [&](std::size_t from, auto stop) {
    for (std::size_t i = from; i < last && log.engine_message.size() < kMessageLines && !stop(lines[i]); ++i)
      if (!blank(lines[i])) log.engine_message.emplace_back(lines[i]);
  };
  for (std::size_t i = first; i < last; ++i) {
    if (lines[i].find("Error:") == std::string_view::npos) continue;
    keep(i, [&](std::string_view l) { return blank(l) && log.engine_message.size() > 0; });
    return log;
  }
  for (std::size_t i = first; i < last; ++i) {
    if (lines[i].find("Finish time") == std::string_view::npos) continue;
    keep(i + 1, [](std::string_view l) { return l.find("--- Calculation finished ---") != std::string_view::npos; });
    break;
  }
  return log;
}

fs::path run_log_path(const fs::path& dir, std::string_view engine) { return dir / (std::string(engine) + ".log"); }

namespace {

// Opens `log` and tries its lock without waiting; the lock is released when
// the descriptor is closed.
struct LogLock {
  int fd = -1;
  bool locked = false;
  LogLock(const fs::path& log, int open_flags, int lock)
  {
    fd = ::open(log.c_str(), open_flags | O_CLOEXEC);
    if (fd < 0) return;
    while (::flock(fd, lock | LOCK_NB) != 0)
      if (errno != EINTR) return;
    locked = true;
  }
  ~LogLock()
  {
    if (fd >= 0) ::close(fd);
  }
  LogLock(const LogLock&) = delete;
  LogLock& operator=(const LogLock&) = delete;
};

}  // namespace

bool log_held(const fs::path& log)
{
  const LogLock probe(log, O_RDONLY, LOCK_SH);
  return probe.fd >= 0 && !probe.locked;
}

bool give_up_start(const fs::path& log, std::string_view engine)
{
  const LogLock lock(log, O_WRONLY | O_APPEND, LOCK_EX);
  if (lock.fd < 0) return true;  // no log: no wrapper can have taken it
  if (!lock.locked) return false;
  const std::string line = std::string(engine) + " start given up\n";
  return ::write(lock.fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

bool process_running(long pid)
{
  if (pid <= 0) return false;
  if (!(::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)) return false;
  // /proc/<pid>/stat: "pid (name) S ...", the state after the last ')'.
  const std::string stat = read_all(fs::path("/proc") / std::to_string(pid) / "stat");
  const std::size_t close = stat.rfind(')');
  return close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] != 'Z';
}

std::optional<FileStamp> file_stamp(const fs::path& file)
{
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return std::nullopt;
  return FileStamp{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                   static_cast<long long>(st.st_size),
                   static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000LL + st.st_mtim.tv_nsec};
}

std::optional<FileStamp> stamp_of(const fs::path& dir, std::string_view name)
{
  return file_stamp(resolve_nocase(dir, std::string(name)));
}

EngineRun start_record(std::string engine, fs::path log, const fs::path& dir)
{
  return EngineRun{std::move(engine), std::move(log), stamp_of(dir, kResultTxt), stamp_of(dir, kResultJson),
                   stamp_of(dir, kEngineStatus), std::chrono::steady_clock::now()};
}

RunStatus run_status(const EngineRun& run, std::chrono::steady_clock::time_point now)
{
  RunStatus s;
  std::error_code ec;
  const bool exists = fs::exists(run.log, ec);
  const RunLog log = exists ? parse_run_log(read_all(run.log), run.engine) : RunLog{};
  s.engine_message = log.engine_message;
  if (log.ended) {
    s.exit_status = log.exit_status;
    s.state = log.exit_status == 0 ? RunStatus::State::Finished : RunStatus::State::Stopped;
    s.reason = reason_for_status(log.exit_status);
    return s;
  }
  if (log.loop_done) {
    // Past its history loop, waiting for Enter in its window: whatever it
    // was going to write is written.
    s.state = RunStatus::State::Finished;
    s.reason = reason_for_status(0);
    return s;
  }
  if (exists && log_held(run.log)) return s;
  if (log.started) {
    s.state = RunStatus::State::Stopped;
    s.reason = text(QCoreApplication::translate(
        "EngineRun", "計算プログラムのウィンドウが閉じられたか、プログラムが強制終了されたため、計算は途中で止まりました。"));
    return s;
  }
  if (!log.given_up && now - run.launched < kStartGrace) return s;
  s.state = RunStatus::State::Stopped;
  s.reason = exists ? text(QCoreApplication::translate(
                         "EngineRun", "計算プログラムが起動しませんでした（端末ウィンドウが開かなかった可能性があります）。"))
                    : text(QCoreApplication::translate(
                          "EngineRun", "計算プログラムのログファイルが消えたため、計算の状態が分かりません。"));
  return s;
}

std::optional<std::string> run_in_progress(const fs::path& dir)
{
  for (const char* engine : kEngineNames) {
    const fs::path file = run_log_path(dir, engine);
    std::error_code ec;
    if (!fs::exists(file, ec) || !log_held(file)) continue;
    const RunLog log = parse_run_log(read_all(file), engine);
    if (!log.ended && !log.loop_done) return engine;
  }
  return std::nullopt;
}

bool written_since(const fs::path& dir, std::string_view name, const std::optional<FileStamp>& before)
{
  const std::optional<FileStamp> now = stamp_of(dir, name);
  return now && now != before;
}

std::string duration_text(double seconds)
{
  const long s = std::lround(std::max(0.0, seconds));
  if (s >= 3600) return text(QCoreApplication::translate("EngineRun", "%1 時間 %2 分").arg(s / 3600).arg(s % 3600 / 60));
  if (s >= 60) return text(QCoreApplication::translate("EngineRun", "%1 分 %2 秒").arg(s / 60).arg(s % 60));
  return text(QCoreApplication::translate("EngineRun", "%1 秒").arg(s));
}

std::string grouped(std::int64_t n)
{
  std::string digits = std::to_string(n < 0 ? -n : n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
  return (n < 0 ? "-" : "") + digits;
}

std::string status_line(std::string_view engine, const RunStatus& run, const std::optional<EngineStatus>& es)
{
  const QString name = QString::fromUtf8(engine.data(), static_cast<qsizetype>(engine.size()));
  auto q = [](const std::string& s) { return QString::fromStdString(s); };
  switch (run.state) {
    case RunStatus::State::Running: {
      if (!es || es->state != "running" || es->histories_total <= 0)
        return text(QCoreApplication::translate("EngineRun", "計算プログラム %1 を起動しています…").arg(name));
      const double share = static_cast<double>(es->histories_done) / static_cast<double>(es->histories_total);
      const QString who = es->threads > 1 ? QCoreApplication::translate("EngineRun", "%1、%2 スレッド").arg(name).arg(es->threads)
                                          : name;
      QString line = QCoreApplication::translate("EngineRun", "計算中（%1）: %2 %　%3 / %4 ヒストリー　経過 %5")
                         .arg(who, QString::number(100.0 * share, 'f', 1), q(grouped(es->histories_done)),
                              q(grouped(es->histories_total)), q(duration_text(es->elapsed_seconds)));
      if (es->histories_done > 0 && share < 1.0)
        line += QCoreApplication::translate("EngineRun", "　残り約 %1")
                    .arg(q(duration_text(es->elapsed_seconds * (1.0 - share) / share)));
      return text(line);
    }
    case RunStatus::State::Finished:
      if (es && es->state == "finished")
        return text(QCoreApplication::translate("EngineRun", "計算終了（%1）: %2 ヒストリー、所要 %3")
                        .arg(name, q(grouped(es->histories_done)), q(duration_text(es->elapsed_seconds))));
      return text(QCoreApplication::translate("EngineRun", "計算終了（%1）").arg(name));
    case RunStatus::State::Stopped: {
      QString line = QCoreApplication::translate("EngineRun", "計算停止（%1）: %2").arg(name, q(run.reason));
      // The engine's own words, as it gave them in its status or its log.
      const std::string message = es && es->state == "failed" && !es->message.empty()
                                      ? es->message
                                      : run.engine_message.empty() ? std::string() : run.engine_message.front();
      const std::size_t first = message.find_first_not_of(' ');
      if (first != std::string::npos) line += QStringLiteral("　") + q(message.substr(first));
      return text(line);
    }
  }
  return {};
}

}  // namespace bsf::ui
