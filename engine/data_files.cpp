#include "data_files.h"

#include <cmath>
#include <string>

#include "constants.h"
#include "rng.h"
#include "text_io.h"

namespace bsf {

namespace fs = std::filesystem;

namespace {

std::string number_text(float v)
{
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
  return buf;
}

// The tables are interpolated through logarithms and searched for the first
// row above an energy, so their energies must rise and their coefficients be
// positive: a zero or negative value would turn every result into NaN.
void require_positive(float v, std::string_view what, const SourceLocation& where)
{
  if (!(v > 0.0f) || !std::isfinite(v))
    throw_input_error(where, std::string(what) + " is " + number_text(v) +
                                 "; it must be a positive number");
}

void require_rising(float previous, float v, std::string_view what, const SourceLocation& where)
{
  if (!(v > previous))
    throw_input_error(where, std::string(what) + " " + number_text(v) +
                                 " does not rise above the previous row's " +
                                 number_text(previous));
}

// Coherent scattering is sampled by drawing q from the cumulative Fc and
// redrawing while q * 12.4 / E exceeds 1 (sin(theta/2) > 1). The least energy
// that is ever scattered is the 5 keV cut-off, where q may reach 5 / 12.4 =
// 0.403 1/A; a table that puts less than one draw step (1/16384) of its Fc
// total below that would make the sampling redraw for ever.
void check_coherent_reach(const ScatterTable& s, const SourceLocation& where)
{
  const float q_reach = kCutoffEnergy / kHc;
  float fc_reach = s.fc_total;
  for (int j = 2; j <= ScatterTable::kRows; ++j) {
    const auto r = static_cast<std::size_t>(j);
    if (q_reach < s.q[r]) {
      fc_reach = s.fc[r - 1] + (s.fc[r] - s.fc[r - 1]) * (q_reach - s.q[r - 1]) / (s.q[r] - s.q[r - 1]);
      break;
    }
  }
  if (q_reach < s.q[1]) fc_reach = 0.0f;
  if (!(fc_reach * static_cast<float>(LaggedFibonacci::kModulus) > s.fc_total))
    throw_input_error(where, "the cumulative coherent distribution holds " + number_text(fc_reach) +
                                 " of its total " + number_text(s.fc_total) + " below q = " +
                                 number_text(q_reach) +
                                 " 1/A, the largest momentum transfer of a 5 keV photon: "
                                 "coherent scattering could not be sampled");
}

// Compton sampling accepts an angle with the probability S(q)/S(45), so the
// incoherent scattering function must rise from 0 towards its last value as
// it does in matter: a table that is 0 (or falls) over most of its range
// would make the sampling reject almost every angle and the run thousands
// of times slower. Every row above q = 0 must be positive and no row below
// the one before it.
void check_incoherent_shape(const ScatterTable& s, int first_line)
{
  for (int j = 1; j <= ScatterTable::kRows; ++j) {
    const auto r = static_cast<std::size_t>(j);
    const SourceLocation at{std::string(kSoftTissueFile), first_line + j - 1};
    if (s.q[r] > 0.0f && !(s.s[r] > 0.0f))
      throw_input_error(at, "the incoherent scattering function is 0 at q = " + number_text(s.q[r]) +
                                " 1/A; it must rise from 0 at q = 0");
    if (j > 1 && s.s[r] < s.s[r - 1])
      throw_input_error(at, "the incoherent scattering function " + number_text(s.s[r]) +
                                " falls below the previous row's " + number_text(s.s[r - 1]));
  }
}

}  // namespace

RunConditions read_run_conditions(const fs::path& dir, std::span<const ConditionLine> geometry_lines)
{
  RunConditions rc;
  LineReader in(dir, kConditionsFile);
  std::string line;

  // The next line that holds a value; blank lines are passed over.
  auto next_value_line = [&](std::string_view what) {
    for (;;) {
      line = in.require(what);
      if (line.find_first_not_of(" \t,") != std::string::npos) return;
    }
  };
  auto read_real = [&](float RunConditions::*field, std::string_view name) {
    next_value_line(name);
    rc.*field = *read_free_real(line, in.here());
  };

  for (const auto& g : geometry_lines) read_real(g.field, g.name);
  read_real(&RunConditions::ObjectThickness, "the object thickness");
  read_real(&RunConditions::FocusSurfaceDistance, "the focus-surface distance");
  read_real(&RunConditions::FocusReceptorDistance, "the focus-receptor distance");
  read_real(&RunConditions::FieldShort, "the short-axis field size");
  read_real(&RunConditions::FieldLong, "the long-axis field size");
  next_value_line("the history number");
  rc.HistoryCount = read_fixed_int(line, {1, 11}, in.here());
  return rc;
}

Spectrum read_spectrum(const fs::path& dir)
{
  Spectrum sp;
  LineReader in(dir, kSpectrumFile);
  for (int i = 1; i <= kEnergyBins; ++i) {
    const std::string line = in.require("line " + std::to_string(i) + " of the 300 spectrum lines");
    // Columns 1-6 hold the energy, which line order already fixes; it is read
    // only so that a damaged line is noticed.
    read_fixed_real(line, {1, 6}, 1, in.here());
    const float w = read_fixed_real(line, {8, 15}, 5, in.here());
    if (w < 0.0f || !std::isfinite(w))
      throw_input_error(in.here(), "the photon weight " + number_text(w) + " is negative");
    sp.weight[static_cast<std::size_t>(i)] = w;
  }

  float sum = 0.0f;
  for (int i = 1; i <= kEnergyBins; ++i) sum += sp.weight[static_cast<std::size_t>(i)];
  if (!(sum > 0.0f))
    throw_input_error({std::string(kSpectrumFile), 0},
                      "all 300 photon weights are 0; the spectrum is empty");
  for (int i = 1; i <= kEnergyBins; ++i) sp.weight[static_cast<std::size_t>(i)] /= sum;

  sp.cutoff_bin = 0;
  for (int i = kEnergyBins; i >= 1; --i) {
    if (sp.weight[static_cast<std::size_t>(i)] != 0.0f) {
      sp.cutoff_bin = i + 1;
      break;
    }
  }
  return sp;
}

SoftTissueData read_soft_tissue(const fs::path& dir)
{
  SoftTissueData d;
  LineReader in(dir, kSoftTissueFile);

  std::string line = in.require("the row count on line 1");
  const int rows = read_fixed_int(line, {1, 3}, in.here());
  if (rows < 2 || rows > TissueTable::kMaxRows)
    throw_input_error(in.here(), "the row count " + std::to_string(rows) +
                                     " must lie between 2 and " +
                                     std::to_string(TissueTable::kMaxRows));
  d.tissue.rows = rows;
  line = in.require("the density on line 2");
  read_fixed_real(line, {1, 9}, 6, in.here());  // tissue density, not used

  auto& t = d.tissue;
  for (int i = 1; i <= rows; ++i) {
    line = in.require("row " + std::to_string(i) + " of the " + std::to_string(rows) +
                      " tissue interaction rows");
    const auto at = in.here();
    const auto r = static_cast<std::size_t>(i);
    // The file gives MeV; the engine works in keV.
    t.energy[r] = read_fixed_real(line, {1, 9}, 3, at) * 1000.0f;
    t.coherent[r] = read_fixed_real(line, {10, 19}, 3, at);
    t.incoherent[r] = read_fixed_real(line, {20, 29}, 3, at);
    t.photoelectric[r] = read_fixed_real(line, {30, 39}, 3, at);
    require_positive(t.energy[r], "the energy", at);
    require_positive(t.coherent[r], "the coherent coefficient", at);
    require_positive(t.incoherent[r], "the incoherent coefficient", at);
    require_positive(t.photoelectric[r], "the photoelectric coefficient", at);
    if (i > 1) require_rising(t.energy[r - 1], t.energy[r], "the energy", at);
  }
  // Photons are followed from the 5 keV cut-off up to the top of the
  // spectrum; a table that starts above the one or ends below the other (an
  // energy column in keV where MeV belongs, say) would be extrapolated
  // over most of the run.
  const SourceLocation rows_end{in.file_name(), in.line_number()};
  if (t.energy[1] > kCutoffEnergy || t.energy[static_cast<std::size_t>(rows)] < kTopEnergy)
    throw_input_error(rows_end, "the tissue interaction rows run from " + number_text(t.energy[1]) + " to " +
                                    number_text(t.energy[static_cast<std::size_t>(rows)]) +
                                    " keV; they must cover " + number_text(kCutoffEnergy) + " to " +
                                    number_text(kTopEnergy) + " keV (energies in MeV in the file)");

  auto& s = d.scatter;
  for (int j = 1; j <= ScatterTable::kRows; ++j) {
    line = in.require("row " + std::to_string(j) + " of the 45 scattering-function rows");
    const auto at = in.here();
    const auto r = static_cast<std::size_t>(j);
    s.q[r] = read_fixed_real(line, {1, 10}, 3, at);
    s.fc[r] = read_fixed_real(line, {11, 22}, 5, at);
    s.s[r] = read_fixed_real(line, {23, 34}, 5, at);
    if (s.q[r] < 0.0f) throw_input_error(at, "the momentum transfer " + number_text(s.q[r]) + " is negative");
    if (s.fc[r] < 0.0f || s.s[r] < 0.0f)
      throw_input_error(at, "the scattering functions must not be negative");
    if (j > 1) {
      require_rising(s.q[r - 1], s.q[r], "the momentum transfer", at);
      if (s.fc[r] < s.fc[r - 1])
        throw_input_error(at, "the cumulative coherent distribution " + number_text(s.fc[r]) +
                                  " falls below the previous row's " + number_text(s.fc[r - 1]));
    }
  }
  s.fc_total = s.fc[ScatterTable::kRows];
  s.s_max = s.s[ScatterTable::kRows];
  const SourceLocation last{in.file_name(), in.line_number()};
  require_positive(s.fc_total, "the total of the cumulative coherent distribution", last);
  require_positive(s.s_max, "the last incoherent scattering-function value", last);
  check_coherent_reach(s, last);
  check_incoherent_shape(s, rows + 3);
  return d;
}

AbsorptionTable read_absorption(const fs::path& dir)
{
  AbsorptionTable a;
  LineReader in(dir, kAbsorptionFile);
  for (int j = 1; j <= kEnergyBins; ++j) {
    const std::string line = in.require("line " + std::to_string(j) + " of the 300 coefficient lines");
    const auto at = in.here();
    const auto r = static_cast<std::size_t>(j);
    a.energy[r] = read_fixed_real(line, {1, 10}, 3, at);
    // Columns 11-55 hold the attenuation coefficients of the filter metals,
    // which only the front end uses; they are read so that a damaged line is
    // noticed here and not in the front end.
    read_fixed_real(line, {11, 25}, 6, at);
    read_fixed_real(line, {26, 40}, 6, at);
    read_fixed_real(line, {41, 55}, 6, at);
    a.air[r] = read_fixed_real(line, {56, 70}, 6, at);
    a.soft[r] = read_fixed_real(line, {71, 85}, 6, at);
    a.skin[r] = read_fixed_real(line, {86, 100}, 6, at);
    require_positive(a.energy[r], "the energy", at);
    require_positive(a.air[r], "the air absorption coefficient", at);
    require_positive(a.soft[r], "the soft-tissue absorption coefficient", at);
    require_positive(a.skin[r], "the skin absorption coefficient", at);
    if (j > 1) require_rising(a.energy[r - 1], a.energy[r], "the energy", at);
    // Line j stands for 0.5*j keV, as the spectrum's bin j does.
    if (std::fabs(a.energy[r] - 0.5f * static_cast<float>(j)) > 0.001f)
      throw_input_error(at, "the energy " + number_text(a.energy[r]) + " keV must be " +
                                number_text(0.5f * static_cast<float>(j)) + " keV: line " +
                                std::to_string(j) + " stands for 0.5 x " + std::to_string(j) + " keV");
  }
  return a;
}

}  // namespace bsf
