#pragma once

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

// The double whose IEEE bit pattern is `bits` (std::bit_cast, which the
// WebAssembly build's standard library lacks).
constexpr double DoubleFromBits(std::uint64_t bits) {
    return __builtin_bit_cast(double, bits);
}

// 0.8 × 3.14 × 10⁸ and 0.4 × 3.14 as the double products come out, a few units
// in the last place above 251200000 and 1.256. Written as bit patterns so that no
// compiler or reformatting can round them differently.
inline constexpr double kGapFactor = DoubleFromBits(0x41ADF20400000002);
inline constexpr double kTurnsFactor = DoubleFromBits(0x3FF4189374BC6A80);

}  // namespace flyback::design::constants
