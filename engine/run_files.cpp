#include "run_files.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>

#include <unistd.h>

#include "data_files.h"
#include "text_io.h"

namespace bsf {

namespace fs = std::filesystem;

void write_run_file(const fs::path& dir, std::string_view name, std::string_view text, FileSync sync)
{
  const auto failure = replace_file_nocase(dir, name, text, sync);
  if (!failure) return;
  const std::string reason = std::strerror(failure->os_error);
  std::string what;
  switch (failure->step) {
    case WriteFailure::Step::CreateTemporary: what = "cannot create a temporary file in " + dir.string(); break;
    case WriteFailure::Step::Write: what = "cannot write the file"; break;
    case WriteFailure::Step::Replace: what = "cannot replace " + failure->target.string(); break;
  }
  throw_input_error({std::string(name), 0}, what + ": " + reason);
}

std::string json_string(std::string_view s)
{
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string json_number(double v)
{
  if (!std::isfinite(v)) return "null";
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string result_json(const ResultRecord& r)
{
  std::string s = "{\n";
  auto field = [&](std::string_view key, const std::string& value, bool last = false) {
    s += "  " + json_string(key) + ": " + value + (last ? "\n" : ",\n");
  };
  field("bsf_air_kerma", json_number(r.factors.air));
  field("bsf_soft_tissue", json_number(r.factors.soft_tissue));
  field("bsf_skin", json_number(r.factors.skin));
  field("u_air_kerma", json_number(r.uncertainties.air));
  field("u_soft_tissue", json_number(r.uncertainties.soft_tissue));
  field("u_skin", json_number(r.uncertainties.skin));
  field("histories", std::to_string(r.histories));
  field("primary_scores", std::to_string(r.primary_scores));
  field("threads", std::to_string(r.threads));
  field("seconds", json_number(r.seconds));
  field("phantom", json_string(r.phantom), true);
  return s + "}\n";
}

StatusFile::StatusFile(fs::path dir, std::string_view program, int threads)
    : dir_(std::move(dir)),
      program_(program),
      threads_(threads),
      pid_(static_cast<long>(::getpid())),
      start_(std::chrono::steady_clock::now())
{
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  started_ = buf;
}

void StatusFile::running(std::int64_t done, std::int64_t total)
{
  const auto now = std::chrono::steady_clock::now();
  if (written_ && now - last_ < std::chrono::seconds(1)) return;
  write("running", done, total, {});
}

void StatusFile::finished(std::int64_t done, std::int64_t total)
{
  write("finished", done, total, "  \"exit_status\": 0,\n");
}

void StatusFile::failed(int exit_status, std::string_view message, std::int64_t done, std::int64_t total)
{
  write("failed", done, total,
        "  \"exit_status\": " + std::to_string(exit_status) + ",\n  \"message\": " + json_string(message) + ",\n");
}

void StatusFile::write(std::string_view state, std::int64_t done, std::int64_t total, const std::string& extra)
{
  last_ = std::chrono::steady_clock::now();
  written_ = true;
  const double elapsed = std::chrono::duration<double>(last_ - start_).count();
  std::string s = "{\n";
  s += "  \"state\": " + json_string(state) + ",\n";
  s += extra;
  s += "  \"histories_done\": " + std::to_string(done) + ",\n";
  s += "  \"histories_total\": " + std::to_string(total) + ",\n";
  s += "  \"elapsed_seconds\": " + json_number(std::round(elapsed * 1000.0) / 1000.0) + ",\n";
  s += "  \"threads\": " + std::to_string(threads_) + ",\n";
  s += "  \"program\": " + json_string(program_) + ",\n";
  s += "  \"pid\": " + std::to_string(pid_) + ",\n";
  s += "  \"started\": " + json_string(started_) + "\n";
  s += "}\n";
  try {
    // Replaced about once a second: no flush to the disk each time.
    write_run_file(dir_, kStatusFile, s, FileSync::Skip);
  } catch (const InputError&) {
  }
}

}  // namespace bsf
