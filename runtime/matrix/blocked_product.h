// The blocked real matrix product behind Mat_Mul: its block sizes and the
// choice of register-tile kernel. Internal to runtime/matrix and its tests.
#pragma once

#include <cstddef>

namespace vorn_gemm {

constexpr int kMR = 6;     // rows of a register tile
constexpr int kNR = 8;     // columns of a register tile (two AVX2 vectors)
constexpr int kKC = 256;   // k block: a packed B panel of kKC x kNR stays in L1
constexpr int kMC = 96;    // rows of a packed A block (in L2)
constexpr int kNC = 2048;  // columns of a packed B block (in L3)
// Up to this many multiply-adds the plain loop runs: packing does not pay.
constexpr size_t kSmall = 16 * 16 * 16;

// c (m x n) = a (m x p) * b (p x n), all row-major and p > 0; c is neither
// operand.
void product(const double* a, const double* b, double* c, int m, int n, int p);

// With on set, the blocked product uses the portable register tile even
// where AVX2 is available; off restores the choice by the processor.
void forcePortableKernel(bool on);

}  // namespace vorn_gemm
