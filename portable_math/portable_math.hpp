#pragma once

// The transcendental functions the plan uses, the same IEEE doubles on every
// build: C libraries round them differently in the last bit (glibc natively,
// musl in the page), and a plan computed in the page must be the plan
// flyback-calc computes, byte for byte. These are musl's own (1.2.2, MIT,
// musl/COPYRIGHT), compiled into both. Square roots, floors and the four
// operations are exact everywhere and need no copy.

extern "C" {
double flyback_exp(double x);
double flyback_pow(double x, double y);
double flyback_log(double x);
double flyback_sin(double x);
double flyback_cos(double x);
void flyback_sincos(double x, double* sine, double* cosine);
double flyback_sinh(double x);
double flyback_cosh(double x);
double flyback_tgamma(double x);
double flyback_asin(double x);
double flyback_acos(double x);
double flyback_atan(double x);
}

namespace flyback::portable_math {

inline double Exp(double x) {
    return flyback_exp(x);
}
inline double Pow(double x, double y) {
    return flyback_pow(x, y);
}
inline double Log(double x) {
    return flyback_log(x);
}
inline double Sin(double x) {
    return flyback_sin(x);
}
inline double Cos(double x) {
    return flyback_cos(x);
}
// Both at once from one argument reduction: the same doubles as Sin and Cos
// (musl's sincos runs their own kernels on the reduced argument), for a
// caller that needs both of many arguments.
struct SineCosine {
    double sine, cosine;
};
inline SineCosine SinCos(double x) {
    SineCosine both{};
    flyback_sincos(x, &both.sine, &both.cosine);
    return both;
}
inline double Sinh(double x) {
    return flyback_sinh(x);
}
inline double Cosh(double x) {
    return flyback_cosh(x);
}
inline double Gamma(double x) {
    return flyback_tgamma(x);
}
inline double Asin(double x) {
    return flyback_asin(x);
}
inline double Acos(double x) {
    return flyback_acos(x);
}
inline double Atan(double x) {
    return flyback_atan(x);
}

}  // namespace flyback::portable_math
