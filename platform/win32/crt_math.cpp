// crt_math.cpp -- sin, cos and tan from the system's C runtime instead of
// MinGW's own, which uses the x87 instructions: their reduction by a 66-bit
// pi loses most digits of results near zero (cos of 3 pi / 2 comes out
// -1.83690953e-16 instead of -1.83697020e-16), and those results enter the
// camera and the traces. The linker sends every call here (--wrap).
#include <cmath>

extern "C" {
extern double (*__imp_sin)(double);
extern double (*__imp_cos)(double);
extern double (*__imp_tan)(double);

double __wrap_sin(double x) { return __imp_sin(x); }
double __wrap_cos(double x) { return __imp_cos(x); }
double __wrap_tan(double x) { return __imp_tan(x); }
// The compiler joins sin and cos of one angle into one sincos call.
void __wrap_sincos(double x, double* s, double* c) {
    *s = __imp_sin(x);
    *c = __imp_cos(x);
}
}
