#pragma once

#include <bit>
#include <cstdint>

namespace flyback::design::constants {

inline constexpr double kAreaNumeratorFactor = 20000;
inline constexpr double kAreaCoefficient = 0.15;
inline constexpr double kFluxDensity = 2500;           // gauss
inline constexpr double kReflectedVoltageBase = 120;   // V at kReferenceInputVoltage
inline constexpr double kSpikeBase = 100;              // V at kReferenceInputVoltage
inline constexpr double kReferenceInputVoltage = 368;  // V
inline constexpr double kCurrentMargin = 1.3;
inline constexpr double kRectifierDrop = 0.5;  // V
inline constexpr double kCentimetresToMillimetres = 10;

// 0.8 × 3.14 × 10⁸ and 0.4 × 3.14 as the double products come out, a few units
// in the last place above 251200000 and 1.256. Written as bit patterns so that no
// compiler or reformatting can round them differently.
inline constexpr double kGapFactor = std::bit_cast<double>(std::uint64_t{0x41ADF20400000002});
inline constexpr double kTurnsFactor = std::bit_cast<double>(std::uint64_t{0x3FF4189374BC6A80});

}  // namespace flyback::design::constants
