// The three training variants. They share the E-step per subset and the
// general model re-estimated from all subsets; they differ in which model
// scores each subset and in what the auxiliary models ("bmodel" blocks) are
// estimated from.
#include "app/training.h"

#include <cmath>

#include "app/brovane.h"
#include "app/experiments.h"
#include "app/mixture.h"
#include "app/scope.h"
#include "app/subsets.h"
#include "runtime/core/entry.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_sub.h"
#include "runtime/objects/list.h"

namespace {

// Block k (rows (k-1)R+1 .. kR) of a stack of R x cols blocks.
Matrix* block(Matrix* stack, int k, int R) { return MatCut(stack, (k - 1) * R + 1, 1, k * R, MatGetCols(stack)); }

// (ssret, llret) = getss(model, data): returns llret.
double eStep(List* temp, Matrix* ssret, Matrix* model, Matrix* data) {
  UnpackResults(temp, getss(model, data), 2, "ssret, llret");
  MatAssign(ssret, static_cast<Matrix*>(ListGetElementP(temp, 1, LIST_MATRIX)));
  return *static_cast<double*>(ListGetElementP(temp, 2, LIST_REAL));
}

}  // namespace

Matrix* trainGMM(Matrix* model0, Matrix* train, Matrix* test, int niter, int nlot, int nsel, int enss,
                 int mode) {
  const ScopeMarkers scope = OpenScope();
  Matrix* lottmp = DefineLocalMatrix("lottmp");
  Matrix* sstmp = DefineLocalMatrix("sstmp");
  Matrix* model = DefineLocalMatrix("model");
  Matrix* bmodel = DefineLocalMatrix("bmodel");
  Matrix* bss = DefineLocalMatrix("bss");
  Matrix* cvbss = DefineLocalMatrix("cvbss");
  Matrix* msstable = DefineLocalMatrix("msstable");
  Matrix* agbss = DefineLocalMatrix("agbss");
  Matrix* ssret = DefineLocalMatrix("ssret");
  List* temp = DefineLocalList("LIST_TEMP");

  const int D = MatGetRows(train);
  MatAssign(lottmp, MatZDef2(D, MatGetCols(train) / nlot));
  MatAssign(sstmp, MatZDef2(2 * D + 1, MatGetCols(model0)));
  MatAssign(model, model0);
  const int lsize = MatGetCols(lottmp);
  const int R = MatGetRows(sstmp);
  const int M = MatGetCols(sstmp);

  AddToResults(2, 1, evalm(model, train));
  MatObjectTmpUndef();
  AddToResults(3, 1, evalm(model, test));
  MatObjectTmpUndef();

  MatAssign(bmodel, MatZDef2(enss * R, M));
  for (int e = 1; e <= enss; e++) MatPut(bmodel, (e - 1) * R + 1, 1, model0);

  for (int it = 1; it <= niter; it++) {
    MatAssign(bss, MatZDef2(nlot * R, M));

    // E-step: the statistics of every subset, and their log-likelihoods.
    for (int l = 1; l <= nlot; l++) {
      const int first = (l - 1) * lsize + 1;
      const int row = (l - 1) * R + 1;
      if (mode == BROVANE_MODE_AG) {
        for (int e = 1; e <= enss; e++) {
          const double llret = eStep(temp, ssret, block(bmodel, e, R), MatCut(train, 1, first, D, first + lsize - 1));
          MatPut(bss, row, 1, MatAdd(block(bss, l, R), ssret));
          MatObjectTmpUndef();
          AddToResults(1, it, llret);
        }
        MatPut(bss, row, 1, MatScale(block(bss, l, R), 1.0 / enss));
        MatObjectTmpUndef();
      } else {
        // Parallel EM scores every subset with the general model; CV-EM
        // scores subset l with the model estimated without it.
        const double llret = eStep(temp, ssret, mode == BROVANE_MODE_CV ? block(bmodel, l, R) : model,
                                   MatCut(train, 1, first, D, first + lsize - 1));
        MatPut(bss, row, 1, ssret);
        MatObjectTmpUndef();
        AddToResults(1, it, llret);
      }
    }

    // M-step: the auxiliary models, then the general model from all subsets.
    if (mode == BROVANE_MODE_CV) {
      for (int e = 1; e <= enss; e++) {
        MatAssign(cvbss, MatZDef2(nsel * R, M));
        int j = 1;
        for (int l = 1; l <= nlot; l++) {
          if (l == e) continue;
          MatPut(cvbss, (j - 1) * R + 1, 1, block(bss, l, R));
          MatObjectTmpUndef();
          j = j + 1;
        }
        MatPut(bmodel, (e - 1) * R + 1, 1, getmodel(cvbss, D));
        MatObjectTmpUndef();
      }
    } else if (mode == BROVANE_MODE_AG) {
      MatAssign(msstable, mCnk(nlot, nsel, enss));
      for (int e = 1; e <= enss; e++) {
        MatAssign(agbss, MatZDef2(nsel * R, M));
        for (int k = 1; k <= nsel; k++) {
          const int s = static_cast<int>(std::lround(MatGetValue(msstable, e, k)));
          MatPut(agbss, (k - 1) * R + 1, 1, block(bss, s, R));
          MatObjectTmpUndef();
        }
        MatPut(bmodel, (e - 1) * R + 1, 1, getmodel(agbss, D));
        MatObjectTmpUndef();
      }
    }
    MatAssign(model, getmodel(bss, D));

    AddToResults(2, it + 1, evalm(model, train));
    MatObjectTmpUndef();
    AddToResults(3, it + 1, evalm(model, test));
    MatObjectTmpUndef();
  }

  CloseScope(scope);
  return model;
}
