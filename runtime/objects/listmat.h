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

// The linear-algebra routines with several results. Each status is the
// routine's return value (0, or 1 when its iteration did not converge).
// {D (7), B (7)} of MatBalance.
List* ListMatBalance(Matrix* m);
// {eigenvalues on the diagonal of a matrix (7), eigenvectors (7),
// status (2)} of MatEig and MatGEig.
List* ListMatEig(Matrix* m);
List* ListMatGEig(Matrix* a, Matrix* b);
// {U (7), the singular values on the diagonal of a matrix of m's shape
// (7), V (7), status (2)}.
List* ListMatSVD(Matrix* m);
// flag 0: {P' * L (7), U (7)}; otherwise {L (7), U (7), P (7)}.
List* ListMatLU(Matrix* m, int flag);
// {P (7), H (7)} of MatHessenberg; {U (7), T (7), status (2)} of MatSchur.
List* ListMatHessenberg(Matrix* m);
List* ListMatSchur(Matrix* m);
// flag 0: {Q (7), R (7)} without pivoting; otherwise {Q, R, P} with it.
List* ListMatQR(Matrix* m, int flag);
// {AA, BB, Q, Z, V (7 each), status (2)} of MatQZ.
List* ListMatQZ(Matrix* a, Matrix* b);
