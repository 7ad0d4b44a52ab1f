// Socket channels over loopback (127.0.0.1) only. Every socket a test makes
// gets send and receive time limits, so a fault fails instead of hanging.
#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
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

sockaddr_in addressOf(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return address;
}
int portOf(int fd) { return ntohs(addressOf(fd).sin_port); }
bool isOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }
std::string textOf(List* l, int i) {
  const String* s = static_cast<String*>(ListGetElementP(l, i, LIST_STRING));
  return std::string(s->text, s->length);
}

// A listening stream socket on 127.0.0.1 at a port of the system's choice.
int listener() {
  const int fd = bounded(socket_open("tcp"));
  EXPECT_EQ(0, socket_bind(fd, 0, kLoopback));
  EXPECT_EQ(0, socket_listen(fd, 4));
  return fd;
}

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
  int release(int fd) {
    open_.erase(std::find(open_.begin(), open_.end(), fd));
    return socket_close(fd);
  }
  // The client and the server end of a new connection, both channels.
  void connectPair(int& client, int& server, const char* host = kLoopback) {
    const int listening = keep(listener());
    client = keep(bounded(socket_open("TCP")));
    EXPECT_EQ(0, socket_connect(client, portOf(listening), host));
    server = keep(bounded(socket_accept(listening)));
  }
  std::vector<int> open_;
};

using SocketDeathTest = SocketTest;

TEST_F(SocketTest, TypeTextsPickTheKindOfSocket) {
  const std::pair<const char*, int> cases[] = {{"TCP", SOCK_STREAM}, {"tcp", SOCK_STREAM}, {"UDP", SOCK_DGRAM},
                                               {"udp", SOCK_DGRAM},  {"Tcp", -1},          {"tcp ", -1}};
  for (const auto& [type, kind] : cases) {
    int fd = -2, got = -1, reuse = 0;
    EXPECT_EQ(kind > 0 ? "" : "Incorrect socket type\n", StderrOf([&] { fd = socket_open(type); }));
    socklen_t size = sizeof got;
    getsockopt(fd, SOL_SOCKET, SO_TYPE, &got, &size);
    getsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, &size);
    EXPECT_EQ(kind, kind > 0 ? got : fd) << type;
    if (kind < 0) continue;
    EXPECT_EQ(1, reuse);
    EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC) << "started programs must not inherit it";
    EXPECT_EQ(0, socket_close(fd));   // no streams: closed bare
    EXPECT_FALSE(isOpen(fd));
  }
}

TEST_F(SocketTest, ConnectedSocketsAreChannelsWithExactCounts) {
  int client, server;
  connectPair(client, server, "localhost");   // a name, looked up
  EXPECT_EQ(0, FilePrintf(client, "hello %d\n", 7));
  char line[64] = "untouched";
  EXPECT_EQ(1, socket_gets(server, line, 1));   // no room: nothing read
  EXPECT_STREQ("", line);
  EXPECT_EQ(8, socket_gets(server, line, sizeof line));
  EXPECT_STREQ("hello 7\n", line);
  // size 5 on a, b, line feed, c, d: the line feed ends the read.
  EXPECT_EQ(5, socket_puts(server, "ab\ncd"));
  EXPECT_EQ(3, socket_gets(client, line, 5));
  EXPECT_STREQ("ab\n", line);
  EXPECT_EQ(2, socket_read(client, line, 2));
  EXPECT_EQ(0, socket_read(client, line, 0));

  std::vector<char> out(60000), in(60000);
  for (size_t k = 0; k < out.size(); k++) out[k] = static_cast<char>(k * 7);
  EXPECT_EQ(60000, socket_write(client, out.data(), 60000));
  EXPECT_EQ(60000, socket_read(server, in.data(), 60000));
  EXPECT_EQ(out, in);

  // A peer that closes after 3 of 8 bytes; then nothing more comes.
  EXPECT_EQ(3, socket_write(client, "abc", 3));
  EXPECT_EQ(0, release(client));
  EXPECT_EQ(nullptr, FilePointer(client, 0));
  EXPECT_EQ(nullptr, FilePointer(client, 1));
  EXPECT_FALSE(isOpen(client));
  EXPECT_EQ(3, socket_read(server, line, 8));
  EXPECT_EQ(0, socket_gets(server, line, sizeof line));
  EXPECT_STREQ("", line);
}

TEST_F(SocketTest, WritingToAPeerThatHasGoneFailsWithoutASignal) {
  int client, server;
  connectPair(client, server);
  release(server);
  std::vector<char> block(1 << 20, 'z');
  int result = 1;
  for (int attempt = 0; attempt < 100 && result > 0; attempt++)
    result = socket_write(client, block.data(), static_cast<int>(block.size()));
  EXPECT_LT(result, 0);
  EXPECT_EQ(0, FilePrintf(client, "still alive\n"));   // the stream fails quietly too
}

TEST_F(SocketTest, FailuresAreReportedAndReturned) {
  const int listening = keep(listener());
  const int tcp = keep(bounded(socket_open("tcp")));
  const int udp = keep(bounded(socket_open("udp")));
  const int idle = keep(socket_open("tcp"));   // bound, never listening: connections are refused
  socket_bind(idle, 0, kLoopback);
  const std::string unresolvable = std::string(64, 'x') + ".invalid";   // never sent to a name server
  EXPECT_EQ("Can't get host entry\nCan't get host entry\nCan't get host entry\n"
            "Hostname must be specified\nPort 70000 is out of range\n"
            "Can't bind host address\nsocket_bind(): Address already in use\n"
            "Can't connect host address\nsocket_connect(): Connection refused\n"
            "Can't accept\nsocket_accept(): Bad file descriptor\n"
            "Can't listen\nIncorrect shutdown type(how)\nCan't shutdown\n"
            "Can't receive message\nsocket_recvfrom(): Bad file descriptor\n",
            StderrOf([&] {
              EXPECT_EQ(-1, socket_connect(tcp, 9, unresolvable.c_str()));
              EXPECT_EQ(-1, socket_bind(udp, 9, unresolvable.c_str()));
              EXPECT_EQ(-1, socket_sendto(udp, 9, unresolvable.c_str(), "x"));
              EXPECT_EQ(-1, socket_sendto(udp, 9, "", "x"));
              EXPECT_EQ(-1, socket_connect(tcp, 70000, kLoopback));
              EXPECT_EQ(-1, socket_bind(tcp, portOf(listening), kLoopback));
              EXPECT_EQ(-1, socket_connect(tcp, portOf(idle), kLoopback));
              EXPECT_EQ(-1, socket_accept(-1));
              EXPECT_EQ(-1, socket_listen(udp, 1));
              EXPECT_EQ(-1, socket_shutdown(tcp, 3));
              EXPECT_EQ(-1, socket_shutdown(tcp, 2));
              char* text = nullptr;
              EXPECT_EQ(-1, socket_recvfrom(-1, nullptr, &text));
              EXPECT_EQ(nullptr, text);
            }));
  EXPECT_EQ(0, FileIsOpen(tcp));
  EXPECT_EQ(0, socket_bind(udp, 0, ""));   // the wildcard address
  EXPECT_EQ(INADDR_ANY, ntohl(addressOf(udp).sin_addr.s_addr));
}

TEST_F(SocketTest, DatagramsCarryTextAndTheSendersName) {
  const int server = keep(bounded(socket_open("udp")));
  ASSERT_EQ(0, socket_bind(server, 0, kLoopback));
  const int client = keep(bounded(socket_open("udp")));
  EXPECT_EQ(4, socket_sendto(client, portOf(server), kLoopback, "ping"));
  List* received = ListSocketRecvfrom(server);
  EXPECT_EQ("ping", textOf(received, 1));
  EXPECT_NE("", textOf(received, 2));   // 127.0.0.1 has a name in any host table

  const std::string big(1500, 'b');   // only the first 1024 bytes are kept
  EXPECT_EQ(1500, socket_sendto(client, portOf(server), "localhost", big.c_str()));
  char* host = nullptr;
  char* text = nullptr;
  EXPECT_EQ(1024, socket_recvfrom(server, &host, &text));
  EXPECT_EQ(std::string(1024, 'b'), text);
  EXPECT_EQ(textOf(received, 2), host);
  efree(host);
  efree(text);

  List* none = nullptr;
  StderrOf([&] { none = ListSocketRecvfrom(-1); });
  EXPECT_EQ("", textOf(none, 1) + textOf(none, 2));
}

TEST_F(SocketTest, LinesAsStrings) {
  int client, server;
  connectPair(client, server);
  const std::string longLine = std::string(10000, 'q') + "\n";
  socket_puts(client, ("hello\nworld\n" + longLine + "tail").c_str());
  socket_shutdown(client, 1);
  for (const auto& c : {std::make_pair(20, "hello\n"), {3, "wor"}, {0, ""}, {-5, ""}, {10, "ld\n"}}) {
    String* s = vnStringSocketGets(server, c.first);
    EXPECT_EQ(c.second, std::string(s->text, s->length)) << c.first;
  }
  String* whole = vnStringSocketGets(server, 1 << 30);   // read in pieces, not allocated up front
  EXPECT_EQ(longLine, std::string(whole->text, whole->length));
  String* last = vnStringSocketGets(server, 100);
  EXPECT_EQ("tail", std::string(last->text, last->length));
}

TEST_F(SocketDeathTest, StringLineReadFailureIsFatal) {
  EXPECT_EXIT(vnStringSocketGets(-1, 10), kFatal,
              ReportLine("Can't read message for '(length=-1)'", "vnStringSocketGets()"));
}

// In a child whose descriptor limit is first raised past the channel table,
// then lowered to what is in use.
TEST_F(SocketTest, DescriptorsPastTheTableAndExhaustion) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < FILE_CHANNEL_MAX + 16)
    GTEST_SKIP() << "descriptor limit too low to pass the channel table";
  const RunResult r = RunInChild([] {
    rlimit raised{FILE_CHANNEL_MAX + 16, FILE_CHANNEL_MAX + 16};
    if (setrlimit(RLIMIT_NOFILE, &raised) != 0) return 10;
    const int listening = listener();
    sockaddr_in address = addressOf(listening);
    const int client = bounded(socket(AF_INET, SOCK_STREAM, 0));
    if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 11;
    for (int fd = dup(0); fd != FILE_CHANNEL_MAX - 1; fd = dup(0))
      if (fd < 0) return 12;
    if (socket_accept(listening) != -1 || isOpen(FILE_CHANNEL_MAX)) return 13;
    if (socket_open("tcp") != -1 || isOpen(FILE_CHANNEL_MAX)) return 14;
    rlimit none{FILE_CHANNEL_MAX, FILE_CHANNEL_MAX};
    if (setrlimit(RLIMIT_NOFILE, &none) != 0) return 15;
    return socket_open("tcp") == -1 && socket_open("udp") == -1 ? 0 : 16;
  });
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("accept() : Too may sockets are opened.\n"
            "socket_open() : Too many sockets are opened.\n"
            "Can't open stream socket\nsocket_open(): Too many open files\n"
            "Can't open datagram socket\nsocket_open(): Too many open files\n",
            r.err);
}

}  // namespace
