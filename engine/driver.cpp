#include "driver.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <thread>
#include <cerrno>
#include <chrono>
#include <cmath>
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

namespace {

std::string shortest(double v)
{
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

}  // namespace

void check_conditions(const RunConditions& rc, std::span<const ConditionLine> dimensions,
                      const ConditionLine* curvature)
{
  const SourceLocation where{std::string(kConditionsFile), 0};
  auto within = [&](float v, std::string_view name, const LengthLimit& limit) {
    if (v >= static_cast<float>(limit.low) && v <= static_cast<float>(limit.high)) return;
    throw_input_error(where, std::string(name) + " is " + shortest(v) + " cm; it must lie between " +
                                 shortest(limit.low) + " and " + shortest(limit.high) + " cm");
  };
  for (const ConditionLine& d : dimensions) within(rc.*(d.field), d.name, kPhantomLimit);
  within(rc.ObjectThickness, "the object thickness", kThicknessLimit);
  within(rc.FocusSurfaceDistance, "the focus-surface distance", kDistanceLimit);
  within(rc.FocusReceptorDistance, "the focus-receptor distance", kDistanceLimit);
  within(rc.FieldShort, "the short-axis field size", kFieldLimit);
  within(rc.FieldLong, "the long-axis field size", kFieldLimit);
  if (rc.HistoryCount < kMinHistories)
    throw_input_error(where, "the history number is " + std::to_string(rc.HistoryCount) +
                                 "; it must be at least 1");
  if (curvature) {
    const double radius = rc.*(curvature->field);
    const double least = rc.FocusSurfaceDistance / kMaxFocusPerCurvature;
    if (radius < least)
      throw_input_error(where, std::string(curvature->name) + " " + shortest(radius) +
                                   " cm is too small for a focus-surface distance of " +
                                   shortest(rc.FocusSurfaceDistance) + " cm: it must be at least " +
                                   shortest(least) +
                                   " cm, or single precision would take rays that meet the phantom for misses");
  }
}

void check_source_share(double share, const SourceSetup& s)
{
  if (share >= kMinSourceShare) return;
  throw_input_error({std::string(kConditionsFile), 0},
                    "only " + shortest(100.0 * share) +
                        " % of the rays from the focus through the field (" + shortest(2.0 * s.HalfFieldX) +
                        " x " + shortest(2.0 * s.HalfFieldY) +
                        " cm at the entrance plane) reach the phantom; at least " +
                        shortest(100.0 * kMinSourceShare) +
                        " % must, or the run would spend most of its time drawing source points again. "
                        "Make the field smaller or the phantom larger");
}

TallyMoments& TallyMoments::operator+=(const TallyMoments& o)
{
  for (std::size_t m = 0; m < 3; ++m) {
    pp[m] += o.pp[m];
    ss[m] += o.ss[m];
    ps[m] += o.ps[m];
  }
  histories += o.histories;
  primary_scores += o.primary_scores;
  return *this;
}

Tallies& operator+=(Tallies& a, const Tallies& b)
{
  a.PrimaryAir += b.PrimaryAir;
  a.PrimarySoftTissue += b.PrimarySoftTissue;
  a.PrimarySkin += b.PrimarySkin;
  a.BackscatterAir += b.BackscatterAir;
  a.BackscatterSoftTissue += b.BackscatterSoftTissue;
  a.BackscatterSkin += b.BackscatterSkin;
  return a;
}

BackscatterFactors factor_uncertainties(const Tallies& t, const TallyMoments& m)
{
  const double n = static_cast<double>(m.histories);
  auto u = [&](double p, double s, std::size_t i) {
    if (!(p > 0.0) || !(n > 0.0)) return 0.0;
    const double var_p = m.pp[i] - p * p / n;
    const double var_s = m.ss[i] - s * s / n;
    const double cov = m.ps[i] - p * s / n;
    const double r = s / p;
    return std::sqrt(std::max(0.0, var_s - 2.0 * r * cov + r * r * var_p)) / p;
  };
  return {u(t.PrimaryAir, t.BackscatterAir, 0), u(t.PrimarySoftTissue, t.BackscatterSoftTissue, 1),
          u(t.PrimarySkin, t.BackscatterSkin, 2)};
}

bool factors_usable(const BackscatterFactors& f)
{
  for (double v : {f.air, f.soft_tissue, f.skin})
    if (!(std::isfinite(v) && v > 0.0)) return false;
  return true;
}

void remove_stale_temporaries(const fs::path& dir)
{
  const auto now = fs::file_time_type::clock::now();
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    bool ours = false;
    for (std::string_view target : kTemporaryTargets) {
      if (name.size() != target.size() + 7 || name.compare(0, target.size(), target) != 0 || name[target.size()] != '.')
        continue;
      ours = std::all_of(name.begin() + static_cast<std::ptrdiff_t>(target.size()) + 1, name.end(),
                         [](unsigned char c) { return std::isalnum(c) != 0; });
    }
    std::error_code e2;
    if (!ours || !entry.is_regular_file(e2)) continue;
    const auto written = fs::last_write_time(entry.path(), e2);
    if (!e2 && now - written > std::chrono::minutes(1)) fs::remove(entry.path(), e2);
  }
}

void write_result_file(const fs::path& dir, const BackscatterFactors& f)
{
  std::string text;
  for (double v : {f.air, f.soft_tissue, f.skin}) text += format_fixed(v, 7, 4) + "\r\n";
  write_run_file(dir, kResultFile, text);
}

RunOptions parse_options(int argc, const char* const* argv)
{
  RunOptions o;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--threads" && i + 1 < argc) {
      const std::string_view v = argv[++i];
      int n = -1;
      const auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
      if (ec != std::errc() || p != v.data() + v.size() || n < 0 || n > 1024) {
        o.error = "--threads " + std::string(v) + ": the thread count must be a whole number from 0 (all cores) to 1024";
        return o;
      }
      o.parallel = true;
      o.threads = n > 0 ? n : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    } else {
      o.error = "unknown argument \"" + std::string(a) +
                "\"; the only option is --threads N (N = 0: all cores); without it the run is the exact serial one";
      return o;
    }
  }
  return o;
}

}  // namespace bsf
