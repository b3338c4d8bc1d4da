// The engine's own 2^x: the degree-5 Taylor polynomial of e^b with b = x ln 2, evaluated in
// extended precision. It is not an exact power (fastExp2(9) is about 209, not 512); the pitch
// and cutoff ranges of the instrument follow from the polynomial.
#pragma once

inline float fastExp2(float x) {
  const long double ln2 = 0.693147180559945309417232121458176568L;
  const long double third = 0.33333f;  // the float 0.3333300054
  const long double b = static_cast<long double>(x) * ln2;
  return static_cast<float>(1 + b * (1 + 0.5L * b * (1 + third * b * (1 + 0.25L * b * (1 + 0.2L * b)))));
}
