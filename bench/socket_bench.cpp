// The 8 000 000 bytes of a 1000 x 1000 real matrix over a loopback TCP
// connection: socket_write into socket_read, against plain write and read
// loops over the same connection. A thread plays the sending peer.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <thread>
#include <vector>

#include "bench/bench_support.h"

namespace {

constexpr int kBytes = 1000 * 1000 * 8;

using vorn_bench::Connection;
using vorn_bench::connection;

void plainWrite(int fd, const char* bytes, int n) {
  for (int sent = 0; sent < n;) {
    const ssize_t r = write(fd, bytes + sent, static_cast<size_t>(n - sent));
    if (r <= 0) return;
    sent += static_cast<int>(r);
  }
}

int plainRead(int fd, char* bytes, int n) {
  int received = 0;
  while (received < n) {
    const ssize_t r = read(fd, bytes + received, static_cast<size_t>(n - received));
    if (r <= 0) break;
    received += static_cast<int>(r);
  }
  return received;
}

void BM_SocketWriteRead(benchmark::State& state) {
  const Connection& c = connection();
  std::vector<char> out(kBytes, 'm'), in(kBytes);
  for (auto _ : state) {
    std::thread peer([&] { socket_write(c.sender, out.data(), kBytes); });
    if (socket_read(c.receiver, in.data(), kBytes) != kBytes) state.SkipWithError("short read");
    peer.join();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBytes));
}
BENCHMARK(BM_SocketWriteRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainWriteRead(benchmark::State& state) {
  const Connection& c = connection();
  std::vector<char> out(kBytes, 'm'), in(kBytes);
  for (auto _ : state) {
    std::thread peer([&] { plainWrite(c.sender, out.data(), kBytes); });
    if (plainRead(c.receiver, in.data(), kBytes) != kBytes) state.SkipWithError("short read");
    peer.join();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBytes));
}
BENCHMARK(BM_PlainWriteRead)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
