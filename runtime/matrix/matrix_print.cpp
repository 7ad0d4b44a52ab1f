#include "runtime/matrix/matrix_print.h"

#include <algorithm>
#include <cstdio>

#include "runtime/core/util.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/polymat.h"

namespace {

constexpr int kRealBlock = 4;     // columns per block of real elements
constexpr int kComplexBlock = 2;  // columns per block of complex elements
const char kElementFormat[] = "%16.8E";

// Header word by class and kind (1 matrix, 2 array, 3 index); null: none.
const char* classWord(int class_, int kind) {
  static const char* const words[4][3] = {
      {"Matrix", "Array", "Index"},
      {"CoMatrix", "CoArray", nullptr},
      {"PoMatrix", "PoArray", nullptr},
      {"RaMatrix", "RaArray", nullptr},
  };
  if (kind < 1 || kind > 3 || class_ < MAT_REAL || class_ > MAT_C_RATIONAL) return nullptr;
  const int family = class_ == MAT_REAL ? 0 : class_ == MAT_COMPLEX ? 1 : class_ <= MAT_C_POLY ? 2 : 3;
  return words[family][kind - 1];
}

void printElement(double value) {
  char text[64];
  std::printf("%16s", RealToString(value, text, kElementFormat));
}

// The element printer of each family; a family without one prints its
// header alone.
const vorn_matrix::ClassTable<void (*)(Matrix*)> kPrintElements{Mat_Print, C_Mat_Print, P_Mat_Print,
                                                                 R_Mat_Print};

void printElements(Matrix* m) {
  if (const auto print = vorn_matrix::entryFor(kPrintElements, m->class_)) print(m);
}

Matrix* printWithHead(Matrix* m, int kind) {
  MatPrintHead(m, kind);
  if (kind != 3 || m->class_ == MAT_REAL) printElements(m);
  std::fflush(stdout);
  return m;
}

// Blocks of `block` columns: a column header line (head(j) for each
// column), then one line per row; an element is `width` doubles, each in
// its own field.
template <class Head>
void printBlocks(Matrix* m, int block, int width, Head head) {
  if (vorn_matrix::hasNoElements(m)) return;
  const double* const d = MatReal(m);
  for (int first = 1; first <= m->cols; first += block) {
    const int last = std::min(first + block - 1, m->cols);
    std::fputs("      ", stdout);
    for (int j = first; j <= last; j++) head(j);
    std::fputs("\n", stdout);
    for (int i = 1; i <= m->rows; i++) {
      std::printf(" (%3d)", i);
      for (int j = first; j <= last; j++) {
        const size_t at = static_cast<size_t>(i - 1) * m->cols + (j - 1);
        const double* const z = d + static_cast<size_t>(width) * at;
        for (int k = 0; k < width; k++) printElement(z[k]);
      }
      std::fputs("\n", stdout);
    }
  }
}

}  // namespace

void MatPrintHead(Matrix* m, int kind) {
  const char* name = m->name != nullptr && m->name[0] != '\0' ? m->name : "ans";
  std::printf(" ===  %s  (%4d  x%4d)  ", name, m->rows, m->cols);
  if (const char* word = classWord(m->class_, kind)) std::fputs(word, stdout);
  std::fputs("  ===\n", stdout);
}

Matrix* MatPrint(Matrix* m) { return printWithHead(m, 1); }
Matrix* MatPrintArray(Matrix* m) { return printWithHead(m, 2); }
Matrix* MatPrintIndex(Matrix* m) { return printWithHead(m, 3); }

// Blocks of four columns.
void Mat_Print(Matrix* m) {
  printBlocks(m, kRealBlock, 1, [](int j) { std::printf("      (%3d)     ", j); });
}

// Blocks of two columns, each column as a real and an imaginary field.
void C_Mat_Print(Matrix* m) {
  printBlocks(m, kComplexBlock, 2,
              [](int j) { std::printf("  [ (%3d)-Real      (%3d)-Imag ]", j, j); });
}
