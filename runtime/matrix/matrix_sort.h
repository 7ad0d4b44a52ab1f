// Sorting with an index of former positions.
#pragma once

struct Matrix;

// Returns a sorted copy of m (real or complex, not empty) and replaces the
// contents of index, which keeps its identity and lifetime code, by the
// positions the sorted elements held. mode 0 sorts each row (index: column
// numbers), 1 each column (index: row numbers), 2 the whole storage (index:
// running indices, m's shape). A vector is always sorted whole, with a
// 1 x n index whatever its orientation; any other mode acts as 0.
//
// The order is that of repeated adjacent exchanges of a strictly greater
// element with its successor: ascending and stable, and a NaN is never
// moved, so each run between NaNs is sorted on its own. Complex elements
// are ordered by re*re + im*im. O(n log n).
Matrix* MatSort(Matrix* m, Matrix* index, int mode);
