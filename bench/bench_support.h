// Start-up shared by the benchmarks.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <random>

#include "runtime/vorn.h"

namespace vorn_bench {

// Starts the runtime once per process: the default tolerance and the
// registries of every kind. With openScope the first call also opens a
// routine's scope, as compiled code does before its first statement, so
// that the statement-end walks stop at the markers.
inline void startRuntime(bool openScope = false) {
  static bool started = false;
  if (started) return;
  started = true;
  VornInitRuntime();
  if (openScope) MatObjectControl(1);
}

// A rows x cols matrix of uniform values in [-1, 1), kept live (type 1).
inline Matrix* randomMatrix(int rows, int cols, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  Matrix* m = MatSetType(MatDef("", rows, cols), 1);
  for (long k = 0; k < static_cast<long>(rows) * cols; k++) MatReal(m)[k] = dist(gen);
  return m;
}

struct Connection {
  int sender = -1, receiver = -1;
};

// One TCP connection over 127.0.0.1 for the whole run.
inline const Connection& connection() {
  static Connection c;
  if (c.sender >= 0) return c;
  startRuntime();
  const int listening = socket_open("tcp");
  socket_bind(listening, 0, "127.0.0.1");
  socket_listen(listening, 1);
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length);
  c.sender = socket_open("tcp");
  socket_connect(c.sender, ntohs(address.sin_port), "127.0.0.1");
  c.receiver = socket_accept(listening);
  socket_close(listening);
  return c;
}

}  // namespace vorn_bench
