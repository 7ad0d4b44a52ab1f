// Binary records: a 1000 x 1000 real matrix written and read as a version
// 6 record, against plain fwrite and fread of the same doubles; a List of
// 100 000 small matrices (records per second); and the matrix record over
// a loopback TCP connection against plain write and read loops of the same
// bytes (a thread plays the sending peer).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <thread>
#include <vector>

#include "bench/bench_support.h"

namespace {

constexpr int kSide = 1000;
constexpr int64_t kBytes = int64_t{kSide} * kSide * 8;
constexpr int kElements = 100000;

Matrix* bigMatrix() {
  vorn_bench::startRuntime();
  static Matrix* m = vorn_bench::randomMatrix(kSide, kSide, 7);
  return m;
}

// A file holding one record (or the plain doubles) for the readers.
FILE* fileOf(void (*write)(FILE*)) {
  FILE* fp = std::tmpfile();
  write(fp);
  std::fflush(fp);
  return fp;
}

void BM_MatrixRecordWrite(benchmark::State& state) {
  Matrix* m = bigMatrix();
  FILE* fp = std::tmpfile();
  for (auto _ : state) {
    std::rewind(fp);
    MatWrite(m, fp, 7);
    std::fflush(fp);
  }
  std::fclose(fp);
  state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_MatrixRecordWrite)->Unit(benchmark::kMillisecond);

void BM_PlainFwrite(benchmark::State& state) {
  Matrix* m = bigMatrix();
  FILE* fp = std::tmpfile();
  for (auto _ : state) {
    std::rewind(fp);
    std::fwrite(m->data, 8, static_cast<size_t>(kSide) * kSide, fp);
    std::fflush(fp);
  }
  std::fclose(fp);
  state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_PlainFwrite)->Unit(benchmark::kMillisecond);

void BM_MatrixRecordRead(benchmark::State& state) {
  bigMatrix();
  FILE* fp = fileOf([](FILE* f) { MatWrite(bigMatrix(), f, 7); });
  Matrix* target = MatSetType(MatDef("", 0, 0), 1);
  for (auto _ : state) {
    std::rewind(fp);
    MatRead(target, fp, 7);
    MatObjectTmpUndef();
  }
  std::fclose(fp);
  state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_MatrixRecordRead)->Unit(benchmark::kMillisecond);

void BM_PlainFread(benchmark::State& state) {
  bigMatrix();
  FILE* fp = fileOf([](FILE* f) { std::fwrite(bigMatrix()->data, 8, static_cast<size_t>(kSide) * kSide, f); });
  std::vector<double> in(static_cast<size_t>(kSide) * kSide);
  for (auto _ : state) {
    std::rewind(fp);
    if (std::fread(in.data(), 8, in.size(), fp) != in.size()) state.SkipWithError("short read");
    benchmark::DoNotOptimize(in.data());
  }
  std::fclose(fp);
  state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_PlainFread)->Unit(benchmark::kMillisecond);

// 100 000 elements, each a 2 x 2 real matrix.
List* smallMatrices() {
  vorn_bench::startRuntime();
  static List* l = nullptr;
  if (l != nullptr) return l;
  l = ListSetType(ListDef("many", kElements), 1);
  for (int i = 1; i <= kElements; i++) ListSetElementP(l, i, LIST_MATRIX, vorn_bench::randomMatrix(2, 2, i));
  return l;
}

void BM_ListOfSmallMatricesWrite(benchmark::State& state) {
  List* l = smallMatrices();
  FILE* fp = std::tmpfile();
  for (auto _ : state) {
    std::rewind(fp);
    ListWrite(l, fp);
    std::fflush(fp);
  }
  std::fclose(fp);
  state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_ListOfSmallMatricesWrite)->Unit(benchmark::kMillisecond);

void BM_ListOfSmallMatricesRead(benchmark::State& state) {
  smallMatrices();
  FILE* fp = fileOf([](FILE* f) { ListWrite(smallMatrices(), f); });
  List* target = ListSetType(ListDef("", 0), 1);
  for (auto _ : state) {
    std::rewind(fp);
    ListRead(target, fp);
    MatObjectTmpUndef();
  }
  std::fclose(fp);
  state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_ListOfSmallMatricesRead)->Unit(benchmark::kMillisecond);

// ---- Over a loopback connection ---------------------------------------------

using vorn_bench::Connection;
using vorn_bench::connection;

void BM_MatrixRecordOverSocket(benchmark::State& state) {
  const Connection& c = connection();
  Matrix* m = bigMatrix();
  FILE* out = FilePointer(c.sender, 1);
  FILE* in = FilePointer(c.receiver, 0);
  Matrix* target = MatSetType(MatDef("", 0, 0), 1);
  for (auto _ : state) {
    std::thread peer([&] {
      MatWrite(m, out, 7);
      std::fflush(out);
    });
    MatRead(target, in, 7);
    peer.join();
    MatObjectTmpUndef();
  }
  state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_MatrixRecordOverSocket)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainWriteReadOverSocket(benchmark::State& state) {
  const Connection& c = connection();
  const char* bytes = static_cast<const char*>(bigMatrix()->data);
  std::vector<char> in(static_cast<size_t>(kBytes));
  for (auto _ : state) {
    std::thread peer([&] {
      for (int64_t sent = 0; sent < kBytes;) {
        const ssize_t r = write(c.sender, bytes + sent, static_cast<size_t>(kBytes - sent));
        if (r <= 0) return;
        sent += r;
      }
    });
    for (int64_t got = 0; got < kBytes;) {
      const ssize_t r = read(c.receiver, in.data() + got, static_cast<size_t>(kBytes - got));
      if (r <= 0) break;
      got += r;
    }
    peer.join();
  }
  state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_PlainWriteReadOverSocket)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
