// Training of one mixture model with parallel EM, cross-validation EM or
// aggregated EM, scored after every iteration.
#pragma once

struct Matrix;

// Trains model0 ((2D + 1) x M) on train (D x N, split into nlot subsets of
// N / nlot columns) for niter iterations in the given mode (BROVANE_MODE_*),
// with enss auxiliary models each estimated from nsel subsets. Adds into
// llresults: row 1, column it, every E-step log-likelihood of iteration it;
// rows 2 and 3, column 1, the scores of model0 on train and test; column
// it + 1, those of the general model after iteration it. Returns the final
// general model.
Matrix* trainGMM(Matrix* model0, Matrix* train, Matrix* test, int niter, int nlot, int nsel, int enss,
                 int mode);
