// Random subsets and combinations, in the compiled-code style of the rest
// of the program (scope markers, named locals, 1-based element access).
#include "app/subsets.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/brovane.h"
#include "app/scope.h"
#include "runtime/core/channel.h"
#include "runtime/core/entry.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_compare.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_elementwise.h"
#include "runtime/matrix/matrix_sub.h"
#include "runtime/objects/list.h"
#include "runtime/objects/listmat.h"

namespace {

// Integer values live in real matrices; round before use.
int intValue(Matrix* m, int i, int j) { return static_cast<int>(std::lround(MatGetValue(m, i, j))); }

}  // namespace

int isdiv(int a, int b) {
  if (b == 0) return 0;
  if (b == -1) return 1;  // a / -1 overflows for the smallest a; -1 divides everything
  return b * (a / b) == a ? 1 : 0;
}

int combination(int N, int K) {
  if (K < 0 || K > N) return 0;
  const ScopeMarkers scope = OpenScope();
  Matrix* n = DefineLocalMatrix("n");
  Matrix* d = DefineLocalMatrix("d");

  const int Kp = N - K < K ? N - K : K;
  MatAssign(n, MatZDef2(1, Kp));
  MatAssign(d, MatZDef2(1, Kp));
  for (int i = 1; i <= Kp; i++) {
    MatSetValue(n, 1, i, N - i + 1);
    MatSetValue(d, 1, i, Kp - i + 1);
  }

  // Cancel every denominator factor against the numerators; f keeps going
  // down after a division, and b is read once per pair.
  for (int i = 1; i <= Kp; i++) {
    for (int j = 1; j <= Kp; j++) {
      const int b = intValue(d, 1, j);
      if (b <= 1) continue;
      for (int f = b; f >= 2; f--) {
        if (isdiv(intValue(n, 1, i), f) && isdiv(intValue(d, 1, j), f)) {
          MatSetValue(n, 1, i, intValue(n, 1, i) / f);
          MatSetValue(d, 1, j, intValue(d, 1, j) / f);
        }
      }
    }
  }

  int r = 1;
  for (int i = 1; i <= Kp; i++) {
    const int64_t factor = intValue(n, 1, i);
    // The bound is taken in 64 bits: factor + 1 may not fit in 32.
    if (static_cast<int64_t>(maxint) / (factor + 1) < r) {
      FilePrintf(2, "Error: combination C(N,K) overflow N=%d K=%d\n", N, K);
      VornExitFailure();
    }
    r = r * static_cast<int>(factor);
  }
  CloseScope(scope);
  return r;
}

Matrix* idx2cmb(int N, int K, int idx, Matrix* cmb) {
  const ScopeMarkers scope = OpenScope();
  const int total = combination(N, K);
  MatObjectTmpUndef();
  if (idx <= 0 || idx > total) {
    FilePrintf(2, "idx is out of range idx %d [%d %d]\n", idx, 1, total);
    VornExitFailure();
  }
  int start = 1;
  for (int i = 1; i <= K; i++) {
    // Count the subsets whose i-th element is t, t = start, start+1, ...,
    // until the one holding idx is reached.
    int acc = 0;
    int t = start;
    for (; t <= N - K + i; t++) {
      const int cnt = combination(N - t, K - i);
      MatObjectTmpUndef();
      start = t + 1;
      if (idx <= acc + cnt) break;
      acc = acc + cnt;
    }
    MatSetValue(cmb, 1, i, t);
    idx = idx - acc;
  }
  CloseScope(scope);
  return cmb;
}

Matrix* SampIntsAWOrep(int m, int n) {
  if (m < n || n < 0) {
    FilePrintf(2, "ERROR SampIntsAWOrep: input is out of range m=%d n=%d.\n", m, n);
    VornExitFailure();
  }
  const ScopeMarkers scope = OpenScope();
  Matrix* sorted = DefineLocalMatrix("sorted");
  Matrix* idx = DefineLocalMatrix("idx");
  List* temp = DefineLocalList("LIST_TEMP");

  Matrix* result;
  if (n == 0) {
    result = MatZDef2(1, 0);
  } else if (m > 999 && m / 50 >= n) {
    result = MatCeilElem(MatScale(MatUniformRand(1, n), m));
  } else {
    // The first n positions of a random permutation: sort m random keys.
    UnpackResults(temp, ListMatSort(MatUniformRand(1, m), LIST_MATRIX, 0), 2, "sorted, idx");
    MatAssign(sorted, static_cast<Matrix*>(ListGetElementP(temp, 1, LIST_MATRIX)));
    MatAssign(idx, static_cast<Matrix*>(ListGetElementP(temp, 2, LIST_INDEX)));
    result = MatCut(idx, 1, 1, 1, n);
  }
  CloseScope(scope);
  return result;
}

Matrix* mCnk(int N, int K, int M) {
  const ScopeMarkers scope = OpenScope();
  Matrix* samples = DefineLocalMatrix("samples");
  Matrix* cmb = DefineLocalMatrix("cmb");
  Matrix* retv = DefineLocalMatrix("retv");

  MatAssign(samples, SampIntsAWOrep(combination(N, K), M));
  for (int i = 1; i <= M; i++) {
    MatAssign(cmb, MatZDef2(1, K));
    idx2cmb(N, K, intValue(samples, 1, i), cmb);
    MatObjectTmpUndef();
    MatSetRowVecs(retv, MatRowVec(1, static_cast<double>(i)), 1, cmb);
    MatObjectTmpUndef();
  }
  CloseScope(scope);
  return retv;
}

void listcombinations(int N, int K) {
  if (K < 1) return;
  const ScopeMarkers scope = OpenScope();
  Matrix* cmb = DefineLocalMatrix("cmb");

  MatAssign(cmb, MatSeries(1, K, 1));
  MatSetValue(cmb, 1, K, MatGetValue(cmb, 1, K) - 1);
  int count = 0;
  for (;;) {
    int j = K;
    while (j >= 1 && !(intValue(cmb, 1, j) < N - (K - j))) j--;
    if (j < 1) break;
    MatSetValue(cmb, 1, j, intValue(cmb, 1, j) + 1);
    for (int i = j + 1; i <= K; i++) MatSetValue(cmb, 1, i, intValue(cmb, 1, i - 1) + 1);
    count = count + 1;
    std::printf("cmb%d:", count);
    std::fflush(stdout);
    for (int i = 1; i <= K; i++) {
      std::printf(" %d", intValue(cmb, 1, i));
      std::fflush(stdout);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  CloseScope(scope);
}
