// Statistics of mixtures of Gaussians with diagonal covariance.
//
// Layouts (one column per component m; D and M come from the shapes):
//   model, (2D + 1) x M: row 1 weight, row 2d mean, row 2d + 1 variance;
//   data, D x N: column n is sample n;
//   statistics, (2D + 1) x M: row 1 count (sum of posteriors), row 2d sum
//   of posterior x value, row 2d + 1 sum of posterior x value^2;
//   stacked statistics: K such blocks one below the other.
#pragma once

struct List;
struct Matrix;

// The one-dimensional Gaussian density of obs, with the square taken
// through vornPower.
double gcprob(double mean, double var, double obs);

// E-step over the columns of data: the List {statistics (Matrix),
// total log-likelihood (Real)}. A sample whose total probability is not
// positive and finite is skipped; a bad joint probability or a log-likelihood
// that is not finite ends the process with status 1.
List* getss(Matrix* model, Matrix* data);

// M-step: a new model from the sum of the blocks of the stacked statistics
// bss (D the dimension). Empty components get the count 1.0e-20; weights and
// variances are floored at 1.0e-5 (weights are not normalised again).
Matrix* getmodel(Matrix* bss, int D);

// The average log-likelihood per sample of data under model; samples whose
// log-probability is not finite are left out (0/0 when none counts).
double evalm(Matrix* model, Matrix* data);
