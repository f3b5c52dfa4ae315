#include "physics.h"

#include <algorithm>

#include "rng.h"

namespace bsf {

RowIndex::RowIndex(const float* x, int n, float lo, float hi, int buckets)
    : x_(x), n_(n), lo_(lo), buckets_(buckets)
{
  const float width = (hi - lo) / static_cast<float>(buckets);
  inv_width_ = 1.0f / width;
  start_.assign(static_cast<std::size_t>(buckets) + 1, 2);
  // A value in bucket b lies at or above the bucket's lower edge, give or take
  // the rounding of the bucket computation; starting from the answer for the
  // edge of the bucket below is therefore never past the answer.
  for (int b = 2; b <= buckets; ++b) {
    const float edge = lo + width * static_cast<float>(b - 1);
    start_[static_cast<std::size_t>(b)] = find_row_linear(x, n, std::nextafter(edge, -1e30f));
  }
}

TissueCoefficients tissue_coefficients(const TissueTable& t, float e)
{
  const std::size_t i = static_cast<std::size_t>(find_row_linear(t.energy.data(), t.rows, e));
  const float p = (std::log(e) - std::log(t.energy[i - 1])) /
                  (std::log(t.energy[i]) - std::log(t.energy[i - 1]));
  const float coh = std::exp(std::log(t.coherent[i - 1]) +
                             (std::log(t.coherent[i]) - std::log(t.coherent[i - 1])) * p);
  const float inc = std::exp(std::log(t.incoherent[i - 1]) +
                             (std::log(t.incoherent[i]) - std::log(t.incoherent[i - 1])) * p);
  const float pe = std::exp(std::log(t.photoelectric[i - 1]) +
                            (std::log(t.photoelectric[i]) - std::log(t.photoelectric[i - 1])) * p);
  const float total = pe + inc + coh;
  return {total, pe / total, (pe + coh) / total};
}

DoseCoefficients dose_coefficients(const AbsorptionTable& a, float e)
{
  const std::size_t j = static_cast<std::size_t>(find_row_linear(a.energy.data(), kEnergyBins, e));
  const float g = (std::log(a.energy[j]) - std::log(e)) /
                  (std::log(a.energy[j]) - std::log(a.energy[j - 1]));
  auto at = [&](const std::array<float, kEnergyBins + 1>& mu) {
    return std::exp(std::log(mu[j]) - (std::log(mu[j]) - std::log(mu[j - 1])) * g);
  };
  return {at(a.air), at(a.soft), at(a.skin)};
}

FastLookup::FastLookup(const SoftTissueData& st, const AbsorptionTable& ab)
    : st_(st), ab_(ab), rows_(st.tissue.rows)
{
  const TissueTable& t = st.tissue;
  for (std::size_t i = 1; i <= static_cast<std::size_t>(rows_); ++i) {
    ln_e_[i] = std::log(t.energy[i]);
    ln_coh_[i] = std::log(t.coherent[i]);
    ln_inc_[i] = std::log(t.incoherent[i]);
    ln_pe_[i] = std::log(t.photoelectric[i]);
  }
  for (std::size_t j = 1; j <= kEnergyBins; ++j) {
    ln_ea_[j] = std::log(ab.energy[j]);
    ln_air_[j] = std::log(ab.air[j]);
    ln_soft_[j] = std::log(ab.soft[j]);
    ln_skin_[j] = std::log(ab.skin[j]);
  }
  // Photon energies run from the cut-off to the top of the spectrum; 0.25 keV
  // buckets put at most a row or two of either table in one bucket.
  tissue_index_ = RowIndex(t.energy.data(), rows_, 0.0f, 160.0f, 640);
  absorption_index_ = RowIndex(ab.energy.data(), kEnergyBins, 0.0f, 160.0f, 640);
  const ScatterTable& s = st.scatter;
  q_index_ = RowIndex(s.q.data(), ScatterTable::kRows, 0.0f, std::max(s.q[ScatterTable::kRows], 1e-6f), 4096);
  fc_index_ = RowIndex(s.fc.data(), ScatterTable::kRows, 0.0f, s.fc_total, 4096);
  for (std::size_t i = 1; i <= ScatterTable::kRows; ++i) row_ratio_[i] = s.s[i] / s.s_max;
}

void FastLookup::set_source_energy(float e)
{
  source_e_ = e;
  source_tissue_ = compute_tissue(e);
  source_dose_ = compute_dose(e);
  source_kappa_ = kElectronMass / e;
  source_threshold_ = kahn_threshold(source_kappa_);
  ++generation_;
  if (outcomes_.empty()) {
    accept_above_.resize(2 * kCandidates);
    outcomes_.resize(2 * kCandidates);
    rayleigh_.resize(kCandidates);
  }
  for (const bool low : {false, true})
    for (std::int32_t v = 0; v < LaggedFibonacci::kModulus; ++v)
      accept_above_[slot(low, v)] =
          kahn_candidate(source_kappa_, low, LaggedFibonacci::to_uniform(v)).accept_above;
}

DoseCoefficients FastLookup::compute_dose(float e) const
{
  const std::size_t j = static_cast<std::size_t>(absorption_index_.find(e));
  const float g = (ln_ea_[j] - std::log(e)) / (ln_ea_[j] - ln_ea_[j - 1]);
  auto at = [&](const std::array<float, kEnergyBins + 1>& ln_mu) {
    return std::exp(ln_mu[j] - (ln_mu[j] - ln_mu[j - 1]) * g);
  };
  return {at(ln_air_), at(ln_soft_), at(ln_skin_)};
}


void FastLookup::complete(ComptonEntry& x, bool low_branch, float r2)
{
  const float angle = compton_angle(source_kappa_, kahn_candidate(source_kappa_, low_branch, r2).eta);
  x.binding = binding_test(source_e_, angle, *this);
  x.outcome = compton_outcome(source_e_, angle);
  x.tissue = x.outcome.energy >= kCutoffEnergy ? compute_tissue(x.outcome.energy) : TissueCoefficients{};
  x.generation = generation_;
}

}  // namespace bsf
