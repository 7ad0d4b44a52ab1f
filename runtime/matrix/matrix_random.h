// Matrices of random numbers from the runtime's generators.
#pragma once

struct Matrix;

// rows x cols real matrices of successive randu() (randn()) values in
// storage order. A negative size is MatDef's fatal error.
Matrix* MatUniformRand(int rows, int cols);
Matrix* MatNormalRand(int rows, int cols);
