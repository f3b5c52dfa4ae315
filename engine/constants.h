// Constants of the engine's physics, in single precision as it computes.
#pragma once

namespace bsf {

inline constexpr float kPi = 3.141592f;          // the engine's pi, 3.141592025756836
inline constexpr float kCutoffEnergy = 5.0f;     // keV: photons below it are not followed
inline constexpr float kTopEnergy = 150.0f;      // keV: the top of the energy grid
inline constexpr float kElectronMass = 511.0f;   // keV
inline constexpr float kHc = 12.4f;              // keV*Angstrom: lambda = 12.4 / E
inline constexpr float kBindingLimitQ = 10.0f;   // 1/Angstrom: Compton samples above it skip the S(q) test

}  // namespace bsf
