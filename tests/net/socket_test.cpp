// Socket channels over loopback (127.0.0.1) only. Every socket a test makes
// gets send and receive time limits, so a fault shows as a failure, not a
// hang.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "support/vorn_test.h"

namespace {

const char* const kLoopback = "127.0.0.1";

int bounded(int fd) {
  const timeval limit{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  return fd;
}

int portOf(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

bool isOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

// A listening stream socket on 127.0.0.1 at a port of the system's choice.
int listener() {
  const int fd = bounded(socket_open("tcp"));
  EXPECT_EQ(0, socket_bind(fd, 0, kLoopback));
  EXPECT_EQ(0, socket_listen(fd, 4));
  return fd;
}

struct Pair {
  int client, server;
};

// A connected pair: both ends in the channel table.
Pair connectedTo(int listening, const char* host = kLoopback) {
  const int client = bounded(socket_open("TCP"));
  EXPECT_EQ(0, socket_connect(client, portOf(listening), host));
  const int server = bounded(socket_accept(listening));
  EXPECT_GT(server, 0);
  return {client, server};
}

// A name the resolver refuses to encode (a label over 63 characters), so the
// failed lookup sends nothing to any name server.
std::string unresolvable() { return std::string(64, 'x') + ".invalid"; }

class SocketTest : public VornTest {
 protected:
  void TearDown() override {
    for (int fd : open_) socket_close(fd);
    VornTest::TearDown();
  }
  int keep(int fd) {
    open_.push_back(fd);
    return fd;
  }
  Pair keep(Pair p) {
    keep(p.client);
    keep(p.server);
    return p;
  }
  std::vector<int> open_;
};

using SocketDeathTest = SocketTest;

TEST_F(SocketTest, TypeTextsPickTheKindOfSocket) {
  const struct {
    const char* type;
    int kind;   // 0: refused
  } cases[] = {{"TCP", SOCK_STREAM}, {"tcp", SOCK_STREAM}, {"UDP", SOCK_DGRAM}, {"udp", SOCK_DGRAM},
               {"Tcp", 0},           {"tcp ", 0},          {"", 0},            {"ip", 0}};
  for (const auto& c : cases) {
    int fd = -2;
    const std::string err = StderrOf([&] { fd = socket_open(c.type); });
    if (c.kind == 0) {
      EXPECT_EQ(-1, fd) << c.type;
      EXPECT_EQ("Incorrect socket type\n", err);
      continue;
    }
    ASSERT_GT(fd, 2) << c.type;
    int kind = 0, reuse = 0;
    socklen_t size = sizeof kind;
    getsockopt(fd, SOL_SOCKET, SO_TYPE, &kind, &size);
    getsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, &size);
    EXPECT_EQ(c.kind, kind) << c.type;
    EXPECT_EQ(1, reuse);
    EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC) << "started programs must not inherit it";
    EXPECT_EQ(0, FileIsOpen(fd));
    EXPECT_EQ(0, socket_close(fd));   // bare: the platform's close
    EXPECT_FALSE(isOpen(fd));
    EXPECT_EQ("", err);
  }
}

TEST_F(SocketTest, ConnectedSocketsAreChannels) {
  const int listening = keep(listener());
  const Pair p = connectedTo(listening);
  for (int fd : {p.client, p.server}) {
    EXPECT_NE(nullptr, FilePointer(fd, 0));
    EXPECT_NE(nullptr, FilePointer(fd, 1));
  }
  EXPECT_EQ(0, FilePrintf(p.client, "hello %d\n", 7));
  char line[64];
  EXPECT_EQ(8, socket_gets(p.server, line, sizeof line));
  EXPECT_STREQ("hello 7\n", line);

  // size 5 on a, b, line feed, c, d: the line ends the read; c and d wait.
  EXPECT_EQ(5, socket_puts(p.server, "ab\ncd"));
  EXPECT_EQ(3, socket_gets(p.client, line, 5));
  EXPECT_STREQ("ab\n", line);
  EXPECT_EQ(2, socket_read(p.client, line, 2));
  EXPECT_EQ("cd", std::string(line, 2));

  EXPECT_EQ(0, socket_close(p.client));
  EXPECT_EQ(nullptr, FilePointer(p.client, 0));
  EXPECT_EQ(nullptr, FilePointer(p.client, 1));
  EXPECT_FALSE(isOpen(p.client));
  std::strcpy(line, "junk");
  EXPECT_EQ(0, socket_gets(p.server, line, sizeof line));   // the peer closed first
  EXPECT_STREQ("", line);
  EXPECT_EQ(0, socket_close(p.server));
}

TEST_F(SocketTest, ExactCountTransfers) {
  const int listening = keep(listener());
  const Pair p = keep(connectedTo(listening));
  char buffer[16] = "untouched";
  EXPECT_EQ(0, socket_read(p.server, buffer, 0));
  EXPECT_EQ(0, socket_write(p.client, "x", -1));
  EXPECT_EQ(1, socket_gets(p.server, buffer, 1));   // no room: nothing read
  EXPECT_STREQ("", buffer);
  EXPECT_EQ(1, socket_gets(p.server, buffer, 0));

  // 60 000 bytes arrive whole however the stream splits them.
  std::vector<char> out(60000), in(60000);
  for (size_t k = 0; k < out.size(); k++) out[k] = static_cast<char>(k * 7);
  EXPECT_EQ(60000, socket_write(p.client, out.data(), 60000));
  EXPECT_EQ(60000, socket_read(p.server, in.data(), 60000));
  EXPECT_EQ(out, in);

  // A peer that closes after 3 of 8 bytes.
  EXPECT_EQ(3, socket_write(p.client, "abc", 3));
  EXPECT_EQ(0, socket_shutdown(p.client, 1));
  EXPECT_EQ(3, socket_read(p.server, buffer, 8));
  EXPECT_EQ("abc", std::string(buffer, 3));
}

TEST_F(SocketTest, WritingToAPeerThatHasGoneFailsWithoutASignal) {
  const int listening = keep(listener());
  const Pair p = connectedTo(listening);
  keep(p.client);
  socket_close(p.server);
  std::vector<char> block(1 << 20, 'z');
  int result = 1;
  for (int attempt = 0; attempt < 100 && result > 0; attempt++)
    result = socket_write(p.client, block.data(), static_cast<int>(block.size()));
  EXPECT_LT(result, 0);
  EXPECT_EQ(0, FilePrintf(p.client, "still alive\n"));   // the stream fails quietly too
}

TEST_F(SocketTest, HostsByAddressByNameAndRefused) {
  const int listening = keep(listener());
  keep(connectedTo(listening, "localhost"));   // looked up as a name

  const std::string bad = unresolvable();
  const int udp = keep(bounded(socket_open("udp")));
  const int tcp = keep(bounded(socket_open("tcp")));
  EXPECT_EQ("Can't get host entry\nCan't get host entry\nCan't get host entry\n"
            "Hostname must be specified\nPort 70000 is out of range\n",
            StderrOf([&] {
              EXPECT_EQ(-1, socket_connect(tcp, 9, bad.c_str()));
              EXPECT_EQ(-1, socket_bind(udp, 9, bad.c_str()));
              EXPECT_EQ(-1, socket_sendto(udp, 9, bad.c_str(), "x"));
              EXPECT_EQ(-1, socket_sendto(udp, 9, "", "x"));
              EXPECT_EQ(-1, socket_connect(tcp, 70000, kLoopback));
            }));

  // An empty host binds to the wildcard address.
  EXPECT_EQ(0, socket_bind(udp, 0, ""));
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(udp, reinterpret_cast<sockaddr*>(&address), &length);
  EXPECT_EQ(INADDR_ANY, ntohl(address.sin_addr.s_addr));
}

TEST_F(SocketTest, PlatformFailuresAreReportedAndReturned) {
  const int listening = keep(listener());
  const int closedPort = [] {   // bound, never listening: connections are refused
    const int fd = socket_open("tcp");
    socket_bind(fd, 0, kLoopback);
    const int port = portOf(fd);
    socket_close(fd);
    return port;
  }();
  const int tcp = keep(bounded(socket_open("tcp")));
  const int udp = keep(bounded(socket_open("udp")));
  EXPECT_EQ("Can't bind host address\nsocket_bind(): Address already in use\n"
            "Can't connect host address\nsocket_connect(): Connection refused\n"
            "Can't accept\nsocket_accept(): Bad file descriptor\n"
            "Can't listen\n"
            "Incorrect shutdown type(how)\nCan't shutdown\n"
            "Can't receive message\nsocket_recvfrom(): Bad file descriptor\n",
            StderrOf([&] {
              EXPECT_EQ(-1, socket_bind(tcp, portOf(listening), kLoopback));
              EXPECT_EQ(-1, socket_connect(tcp, closedPort, kLoopback));
              EXPECT_EQ(-1, socket_accept(-1));
              EXPECT_EQ(-1, socket_listen(udp, 1));
              EXPECT_EQ(-1, socket_shutdown(tcp, 3));
              EXPECT_EQ(-1, socket_shutdown(tcp, 2));
              char* text = nullptr;
              EXPECT_EQ(-1, socket_recvfrom(-1, nullptr, &text));
              EXPECT_EQ(nullptr, text);
            }));
  EXPECT_EQ(0, FileIsOpen(tcp));
}

TEST_F(SocketTest, DatagramsCarryTextAndTheSendersName) {
  const int server = keep(bounded(socket_open("udp")));
  ASSERT_EQ(0, socket_bind(server, 0, kLoopback));
  const int client = keep(bounded(socket_open("udp")));
  EXPECT_EQ(4, socket_sendto(client, portOf(server), kLoopback, "ping"));
  List* received = ListSocketRecvfrom(server);
  ASSERT_EQ(2, received->length);
  EXPECT_STREQ("ping", static_cast<String*>(ListGetElementP(received, 1, LIST_STRING))->text);
  // 127.0.0.1 has a name on any ordinary host table.
  EXPECT_NE(0, static_cast<String*>(ListGetElementP(received, 2, LIST_STRING))->length);

  const std::string big(1500, 'b');   // only the first 1024 bytes are kept
  EXPECT_EQ(1500, socket_sendto(client, portOf(server), "localhost", big.c_str()));
  char* host = nullptr;
  char* text = nullptr;
  EXPECT_EQ(1024, socket_recvfrom(server, &host, &text));
  EXPECT_EQ(std::string(1024, 'b'), text);
  ASSERT_NE(nullptr, host);
  EXPECT_NE('\0', host[0]);
  efree(host);
  efree(text);

  // A failed receive gives two empty texts.
  List* none = nullptr;
  StderrOf([&] { none = ListSocketRecvfrom(-1); });
  EXPECT_EQ(0, static_cast<String*>(ListGetElementP(none, 1, LIST_STRING))->length);
  EXPECT_EQ(0, static_cast<String*>(ListGetElementP(none, 2, LIST_STRING))->length);
}

TEST_F(SocketTest, LinesAsStrings) {
  const int listening = keep(listener());
  const Pair p = keep(connectedTo(listening));
  const std::string longLine = std::string(10000, 'q') + "\n";
  socket_puts(p.client, ("hello\nworld\n" + longLine + "tail").c_str());
  socket_shutdown(p.client, 1);
  const struct {
    int n;
    const char* want;
  } cases[] = {{20, "hello\n"}, {3, "wor"}, {0, ""}, {-5, ""}, {10, "ld\n"}};
  for (const auto& c : cases) {
    String* s = vnStringSocketGets(p.server, c.n);
    EXPECT_EQ(c.want, std::string(s->text, s->length)) << c.n;
  }
  String* whole = vnStringSocketGets(p.server, 1 << 30);   // read in pieces, not allocated up front
  EXPECT_EQ(longLine, std::string(whole->text, whole->length));
  String* last = vnStringSocketGets(p.server, 100);
  EXPECT_EQ("tail", std::string(last->text, last->length));
}

TEST_F(SocketDeathTest, StringLineReadFailureIsFatal) {
  EXPECT_EXIT(vnStringSocketGets(-1, 10), kFatal,
              ReportLine("Can't read message for '(length=-1)'", "vnStringSocketGets()"));
}

// Descriptors past the channel table, and none left at all, in a child
// whose descriptor limit is raised or lowered.
TEST_F(SocketTest, DescriptorsPastTheTableAndExhaustion) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < FILE_CHANNEL_MAX + 16)
    GTEST_SKIP() << "descriptor limit too low to pass the channel table";
  const RunResult r = RunInChild([] {
    rlimit raised{FILE_CHANNEL_MAX + 16, FILE_CHANNEL_MAX + 16};
    if (setrlimit(RLIMIT_NOFILE, &raised) != 0) return 10;
    const int listening = listener();
    const int client = bounded(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(portOf(listening)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 11;
    while (true) {   // fill every descriptor below the table's end
      const int fd = dup(0);
      if (fd < 0) return 12;
      if (fd == FILE_CHANNEL_MAX - 1) break;
    }
    if (socket_accept(listening) != -1 || isOpen(FILE_CHANNEL_MAX)) return 13;
    if (socket_open("tcp") != -1 || isOpen(FILE_CHANNEL_MAX)) return 14;
    rlimit none{FILE_CHANNEL_MAX, FILE_CHANNEL_MAX};
    if (setrlimit(RLIMIT_NOFILE, &none) != 0) return 15;
    if (socket_open("tcp") != -1 || socket_open("udp") != -1) return 16;
    return 0;
  });
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("accept() : Too may sockets are opened.\n"
            "socket_open() : Too many sockets are opened.\n"
            "Can't open stream socket\nsocket_open(): Too many open files\n"
            "Can't open datagram socket\nsocket_open(): Too many open files\n",
            r.err);
}

}  // namespace
