// Matrix routines with several results, packed into a List that the caller
// unpacks by position (ListGetElementP with the element's class).
#pragma once

struct List;
struct Matrix;

// {sorted values (class_: 7 Matrix or 8 Array), sort index (9)}; mode as
// MatSort's.
List* ListMatSort(Matrix* m, int class_, int mode);
// {rows (2), cols (2)}.
List* ListMatSize(Matrix* m);
// {extremes (7), positions (9)} of each column (by_col non-zero) or each
// row, as MatMaximum and MatMinimum give them. m must be real or complex:
// "Not a real nor a complex matrix", reported on the List side.
List* ListMatMaximum(Matrix* m, int by_col);
List* ListMatMinimum(Matrix* m, int by_col);
// {the extreme element as a 1 x 1 matrix (7), its position [row, col] as a
// 1 x 2 index (9)}, from MatMaximumElem and MatMinimumElem: a real m; an
// empty one gives 0.0 at [0, 0].
List* ListMatMaximumElem(Matrix* m);
List* ListMatMinimumElem(Matrix* m);
