/* Preloaded under the determinism digest (scripts/determinism.sh): moves every
 * finite result of the C library's sin, cos, sincos, atan2, log and hypot up by
 * one ulp, as a C library that rounds them differently might. The families the
 * documentation calls independent of the C library must keep their digests. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <math.h>
static double (*r_sin)(double), (*r_cos)(double), (*r_log)(double), (*r_atan2)(double, double), (*r_hypot)(double, double);
static void (*r_sincos)(double, double*, double*);
static double up(double v) { return isfinite(v) ? nextafter(v, INFINITY) : v; }
#define L(f) if (!r_##f) r_##f = dlsym(RTLD_NEXT, #f)
double sin(double x) { L(sin); return up(r_sin(x)); }
double cos(double x) { L(cos); return up(r_cos(x)); }
double log(double x) { L(log); return up(r_log(x)); }
double atan2(double y, double x) { L(atan2); return up(r_atan2(y, x)); }
double hypot(double y, double x) { L(hypot); return up(r_hypot(y, x)); }
void sincos(double x, double* s, double* c) { L(sincos); r_sincos(x, s, c); *s = up(*s); *c = up(*c); }
