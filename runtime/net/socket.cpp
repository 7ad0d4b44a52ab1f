#include "runtime/net/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/core/channel.h"
#include "runtime/core/memory.h"
#include "runtime/objects/list.h"
#include "runtime/objects/vnstring.h"

namespace {

constexpr int kDatagramMax = 1024;    // bytes kept of one received datagram
constexpr int kLineChunk = 4096;      // bytes per read of a long line

bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// message, then the platform's description of errno labelled with label.
void reportWithErrno(const char* message, const char* label) {
  const int saved = errno;
  std::fputs(message, stderr);
  errno = saved;
  std::perror(label);
}

// The address of host and port, or false after a report. A port outside
// 16 bits would silently become another port: refused.
bool resolve(int port, const char* host, sockaddr_in* address) {
  std::memset(address, 0, sizeof *address);
  if (port < 0 || port > 65535) {
    std::fprintf(stderr, "Port %d is out of range\n", port);
    return false;
  }
  address->sin_family = AF_INET;
  address->sin_port = htons(static_cast<uint16_t>(port));
  if (host == nullptr || host[0] == '\0') return true;   // the wildcard address
  if (inet_aton(host, &address->sin_addr) != 0) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
    std::fputs("Can't get host entry\n", stderr);
    return false;
  }
  address->sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return true;
}

// The write stream's sink: send() with MSG_NOSIGNAL, so that a peer gone
// away makes the write fail instead of ending the process.
ssize_t sendAll(void* cookie, const char* bytes, size_t size) {
  const int fd = static_cast<int>(reinterpret_cast<intptr_t>(cookie));
  size_t sent = 0;
  while (sent < size) {
    const ssize_t r = send(fd, bytes + sent, size - sent, MSG_NOSIGNAL);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    sent += static_cast<size_t>(r);
  }
  return static_cast<ssize_t>(sent);
}

// Enters fd's read and write streams in the channel table. The read stream
// owns the descriptor; the write stream does not close it, so closing the
// pair closes fd once. False, with nothing changed, when a stream cannot be
// made or fd lies off the table.
bool enterStreams(int fd) {
  if (fd < 0 || fd >= FILE_CHANNEL_MAX) return false;
  FileInit();
  if (file_pointers[fd][0] != nullptr || file_pointers[fd][1] != nullptr) return true;
  cookie_io_functions_t io{};
  io.write = sendAll;
  FILE* out = fopencookie(reinterpret_cast<void*>(static_cast<intptr_t>(fd)), "wb", io);
  if (out == nullptr) return false;
  FILE* in = fdopen(fd, "rb");
  if (in == nullptr) {
    std::fclose(out);
    return false;
  }
  setvbuf(in, nullptr, _IONBF, 0);
  setvbuf(out, nullptr, _IONBF, 0);
  file_pointers[fd][0] = in;
  file_pointers[fd][1] = out;
  return true;
}

}  // namespace

int socket_open(const char* type) {
  if (type == nullptr) type = "";
  const bool stream = same(type, "TCP") || same(type, "tcp");
  const bool datagram = !stream && (same(type, "UDP") || same(type, "udp"));
  if (!stream && !datagram) {
    std::fputs("Incorrect socket type\n", stderr);
    return -1;
  }
  const int fd = socket(AF_INET, (stream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    reportWithErrno(stream ? "Can't open stream socket\n" : "Can't open datagram socket\n", "socket_open()");
    return fd;
  }
  if (fd > 0) {
    const int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) < 0)
      reportWithErrno("Can't set socket option\n", "socket_open()");
  }
  if (fd >= FILE_CHANNEL_MAX) {
    close(fd);
    std::fputs("socket_open() : Too many sockets are opened.\n", stderr);
    return -1;
  }
  return fd;
}

int socket_close(int fd) {
  if (FileIsOpen(fd)) return FileClose(fd);
  return close(fd);
}

int socket_shutdown(int fd, int how) {
  if (how != 0 && how != 1 && how != 2) {
    std::fputs("Incorrect shutdown type(how)\n", stderr);
    return -1;
  }
  const int platformHow = how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR;
  const int r = shutdown(fd, platformHow);
  if (r < 0) std::fputs("Can't shutdown\n", stderr);
  return r;
}

int socket_listen(int fd, int backlog) {
  const int r = listen(fd, backlog);
  if (r < 0) std::fputs("Can't listen\n", stderr);
  return r;
}

int socket_accept(int fd) {
  const int connection = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection < 0) {
    reportWithErrno("Can't accept\n", "socket_accept()");
    return connection;
  }
  if (connection >= FILE_CHANNEL_MAX) {
    close(connection);
    std::fputs("accept() : Too may sockets are opened.\n", stderr);
    return -1;
  }
  if (!enterStreams(connection)) {
    close(connection);   // nobody else knows this descriptor
    return -1;
  }
  return connection;
}

int socket_connect(int fd, int port, const char* host) {
  sockaddr_in address;
  if (!resolve(port, host, &address)) return -1;
  const int r = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (r < 0) {
    reportWithErrno("Can't connect host address\n", "socket_connect()");
    return r;
  }
  if (!enterStreams(fd)) {
    std::fputs("Can't fdopen() socket discriptor\n", stderr);
    return -1;
  }
  return 0;
}

int socket_bind(int fd, int port, const char* host) {
  sockaddr_in address;
  if (!resolve(port, host, &address)) return -1;
  const int r = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (r < 0) reportWithErrno("Can't bind host address\n", "socket_bind()");
  return r;
}

int socket_sendto(int fd, int port, const char* host, const char* text) {
  if (host == nullptr || host[0] == '\0') {
    std::fputs("Hostname must be specified\n", stderr);
    return -1;
  }
  sockaddr_in address;
  if (!resolve(port, host, &address)) return -1;
  if (text == nullptr) text = "";
  const ssize_t r = sendto(fd, text, std::strlen(text), MSG_NOSIGNAL,
                           reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (r < 0) {
    const int saved = errno;
    std::fprintf(stderr, "Can't send messsage to %s\n", host);
    errno = saved;
    std::perror("socket_sendto()");
  }
  return static_cast<int>(r);
}

int socket_recvfrom(int fd, char** host_out, char** text_out) {
  char bytes[kDatagramMax];
  sockaddr_in from{};
  socklen_t fromLength = sizeof from;
  const ssize_t r = recvfrom(fd, bytes, sizeof bytes, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
  if (r < 0) {
    reportWithErrno("Can't receive message\n", "socket_recvfrom()");
    return static_cast<int>(r);
  }
  if (text_out != nullptr) {
    char* text = static_cast<char*>(emalloc(static_cast<size_t>(r) + 1));
    std::memcpy(text, bytes, static_cast<size_t>(r));
    text[r] = '\0';
    *text_out = text;
  }
  if (host_out != nullptr) {
    char name[NI_MAXHOST];
    const bool named = fromLength > 0 &&
                       getnameinfo(reinterpret_cast<const sockaddr*>(&from), fromLength, name, sizeof name,
                                   nullptr, 0, NI_NAMEREQD) == 0 &&
                       name[0] != '\0';
    *host_out = named ? StringDup(name) : nullptr;
  }
  return static_cast<int>(r);
}

int socket_read(int fd, void* buffer, int n) {
  if (n < 1) return 0;
  char* bytes = static_cast<char*>(buffer);
  int received = 0;
  while (received < n) {
    const ssize_t r = recv(fd, bytes + received, static_cast<size_t>(n - received), 0);
    if (r < 0) return static_cast<int>(r);
    if (r == 0) break;   // the peer has closed
    received += static_cast<int>(r);
  }
  return received;
}

int socket_write(int fd, const void* buffer, int n) {
  if (n < 1) return 0;
  const char* bytes = static_cast<const char*>(buffer);
  int sent = 0;
  while (sent < n) {
    const ssize_t r = send(fd, bytes + sent, static_cast<size_t>(n - sent), MSG_NOSIGNAL);
    if (r < 1) return static_cast<int>(r);
    sent += static_cast<int>(r);
  }
  return n;
}

int socket_puts(int fd, const char* text) {
  if (text == nullptr) return 0;
  const size_t length = std::strlen(text);
  return socket_write(fd, text, length > INT32_MAX ? INT32_MAX : static_cast<int>(length));
}

int socket_gets(int fd, char* buffer, int size) {
  if (size < 1) return 1;   // no room even for the NUL
  buffer[0] = '\0';
  if (size == 1) return 1;
  int stored = 0;
  while (stored < size - 1) {
    char c;
    const ssize_t r = recv(fd, &c, 1, 0);
    if (r < 0) {
      buffer[stored] = '\0';
      return -1;
    }
    if (r == 0) break;
    buffer[stored++] = c;
    if (c == '\n') break;
  }
  buffer[stored] = '\0';
  return stored;
}

// Read in chunks, so that a large n costs no more memory than the line.
String* vnStringSocketGets(int fd, int n) {
  std::string line;
  char chunk[kLineChunk + 1];
  int remaining = n;
  while (remaining > 0) {
    const int want = remaining < kLineChunk ? remaining : kLineChunk;
    const int got = socket_gets(fd, chunk, want + 1);
    if (got < 0) vnStringError("vnStringSocketGets()", "Can't read message", vnStringDef("", -1));
    line.append(chunk, static_cast<size_t>(got));
    if (got < want || chunk[got - 1] == '\n') break;
    remaining -= got;
  }
  String* s = vnStringDef("", static_cast<int>(line.size()));
  if (!line.empty()) std::memcpy(s->text, line.data(), line.size());
  return s;
}

List* ListSocketRecvfrom(int fd) {
  char* host = nullptr;
  char* text = nullptr;
  const int r = socket_recvfrom(fd, &host, &text);
  String* received = vnStringDef("", r > 0 ? r : 0);
  if (r > 0) std::memcpy(received->text, text, static_cast<size_t>(r));
  String* sender = vnStringStringDef(host != nullptr ? host : "");
  if (text != nullptr) efree(text);
  if (host != nullptr) efree(host);
  List* l = ListDef("", 2);
  ListSetElementP(l, 1, LIST_STRING, received);
  ListSetElementP(l, 2, LIST_STRING, sender);
  return l;
}
