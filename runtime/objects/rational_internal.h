// What the rational operations share with the Rational registry.
#pragma once

struct Polynomial;
struct Rational;

namespace vorn_rational {

// A new temporary rational n/d that takes over the temporaries n and d:
// a real one is widened when the other is complex, and both get one
// variable (the one present; none when they differ).
Rational* adopt(Polynomial* n, Polynomial* d);

}  // namespace vorn_rational
