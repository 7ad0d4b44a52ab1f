// IPv4 stream (TCP) and datagram (UDP) sockets as channels.
//
// A socket is its descriptor. Hosts are texts: a dotted quad, else a name
// looked up (its first address used); "" is the wildcard address. Ports
// are in host byte order, 0..65535. Failures are written to standard error
// and returned as negative results; nothing here ends the process except
// vnStringSocketGets.
//
// A connected or accepted stream socket is entered in the channel table
// (FilePointer, FilePrintf, FileClose work on it) with an unbuffered read
// stream and an unbuffered write stream. Writing to a peer that has gone
// fails with a negative result and never raises SIGPIPE. Descriptors are
// not inherited by programs the process starts.
#pragma once

struct List;
struct String;

// "TCP" or "tcp": stream; "UDP" or "udp": datagram. The descriptor, or -1.
int socket_open(const char* type);
// Closes the channel's streams and empties its entry (0); a socket with no
// streams is closed bare (the platform's result).
int socket_close(int fd);
int socket_shutdown(int fd, int how);   // how: 0 reading, 1 writing, 2 both
int socket_listen(int fd, int backlog);
// The accepted connection's descriptor, entered in the channel table.
int socket_accept(int fd);
// 0 once connected and entered in the channel table.
int socket_connect(int fd, int port, const char* host);
int socket_bind(int fd, int port, const char* host);
// Sends text (without its NUL) as one datagram; the bytes sent.
int socket_sendto(int fd, int port, const char* host, const char* text);
// Receives one datagram of at most 1024 bytes. On success *text_out is a
// new NUL-terminated copy of it and *host_out a new copy of the sender's
// name, or null when the sender has none (release both with efree); a null
// output pointer is skipped. Returns the bytes received, or a negative
// value with the outputs untouched.
int socket_recvfrom(int fd, char** host_out, char** text_out);
// Receives until n bytes have come or the peer has closed: the count
// received (0 for n < 1), or a receive's negative result.
int socket_read(int fd, void* buffer, int n);
// Sends until n bytes have gone: n (0 for n < 1), or the first send result
// below 1.
int socket_write(int fd, const void* buffer, int n);
int socket_puts(int fd, const char* text);
// Reads bytes into buffer up to and including a line feed, at most
// size - 1 of them, or until the peer closes; always NUL-terminates (for
// size >= 1). Returns the bytes stored, 0 when the peer closed before the
// first one, -1 on a receive error; 1 with an empty text for size <= 1.
int socket_gets(int fd, char* buffer, int size);

// One line of at most n characters (line feed kept) as a new temporary
// String; a receive error is the fatal "Can't read message".
String* vnStringSocketGets(int fd, int n);
// One datagram as a new temporary List of two Strings: the text and the
// sender's host name ("" for either when absent).
List* ListSocketRecvfrom(int fd);
