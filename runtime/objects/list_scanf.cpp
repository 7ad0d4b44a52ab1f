// Formatted input into a List, from a channel or from a text. Every
// conversion is checked and rebuilt here before the platform's scanning
// sees it, so no letter of the caller's format reaches scanf unvetted.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/channel.h"
#include "runtime/objects/list_internal.h"
#include "runtime/objects/list_ops.h"

using namespace vorn_list;

namespace {

const char kNotMatched[] = "Data is not matched for the format";
// A larger width would make "%c" ask for a buffer of that size.
constexpr long kWidthMax = 1L << 20;

enum class Kind { Real, Integer, Word, Chars, Bad };

// One conversion: the literal text before its "%", the conversion rebuilt
// for scanf, and for the last one the literal text after it.
struct Conversion {
  std::string prefix;
  std::string spec;
  std::string suffix;
  Kind kind = Kind::Bad;
  char modifier = 0;  // 'l', 'h' or none
  char letter = 0;
  long width = 0;  // 0: none given
};

// Parses the conversion whose "%" is the first one at or after *pos;
// last says whether the rest of the format belongs to it. *pos moves past
// the conversion letter.
Conversion parseConversion(const char* format, size_t* pos, bool last) {
  Conversion c;
  const char* start = format + *pos;
  const char* p = std::strchr(start, '%');
  c.prefix.assign(start, static_cast<size_t>(p - start));
  p++;
  bool wide = false;
  for (; *p >= '0' && *p <= '9'; p++) {
    c.width = c.width * 10 + (*p - '0');
    if (c.width > kWidthMax) {
      wide = true;
      c.width = kWidthMax;
    }
  }
  if (*p == 'l' || *p == 'h') c.modifier = *p++;
  c.letter = *p;
  if (*p != '\0') p++;
  *pos = static_cast<size_t>(p - format);
  if (last) {
    c.suffix = p;
    *pos += c.suffix.size();
  }
  if (c.letter == '\0' || wide) return c;
  if (std::strchr("efgEG", c.letter) != nullptr)
    c.kind = Kind::Real;
  else if (std::strchr("diouxX", c.letter) != nullptr)
    c.kind = Kind::Integer;
  else if (c.letter == 's' && c.modifier == 0)
    c.kind = Kind::Word;
  else if (c.letter == 'c' && c.modifier == 0)
    c.kind = Kind::Chars;
  else
    return c;
  if (c.kind == Kind::Chars && c.width == 0) c.width = 1;
  c.spec = "%";
  if (c.width > 0) c.spec += std::to_string(c.width);
  if (c.kind == Kind::Word) c.spec += "m";  // the platform sizes the word
  if (c.modifier != 0) c.spec += c.modifier;
  c.spec += c.letter;
  return c;
}

int countConversions(const char* format) {
  int n = 0;
  for (const char* p = format; *p != '\0'; p++)
    if (*p == '%') n++;
  return n;
}

// The scanf format of a conversion: "%n" on both sides of it tells where
// its input began and ended (a word's leading blanks are skipped first, so
// that they are not counted as its characters).
std::string scanFormat(const Conversion& c) {
  return c.prefix + (c.kind == Kind::Word ? " %n" : "%n") + c.spec + "%n" + c.suffix;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"

// A channel's read stream.
class StreamInput {
 public:
  explicit StreamInput(FILE* fp) : fp_(fp) {}
  void skip(const char* format) { (void)std::fscanf(fp_, format); }
  template <class T>
  int scan(const Conversion& c, T* target, int* begin, int* end) {
    return std::fscanf(fp_, scanFormat(c).c_str(), begin, target, end);
  }

 private:
  FILE* fp_;
};

// A text, read on from where the previous conversion ended.
class TextInput {
 public:
  explicit TextInput(const char* text) : text_(text) {}
  void skip(const char* format) { (void)std::sscanf(text_, format); }
  template <class T>
  int scan(const Conversion& c, T* target, int* begin, int* end) {
    const int n = std::sscanf(text_ + position_, scanFormat(c).c_str(), begin, target, end);
    if (n == 1 && *end >= 0) position_ += static_cast<size_t>(*end);
    return n;
  }

 private:
  const char* text_;
  size_t position_ = 0;
};

#pragma GCC diagnostic pop

enum class Outcome { Stored, Mismatch, End };

inline Outcome outcomeOf(int n, int end) {
  if (n == EOF) return Outcome::End;
  if (n != 1) return Outcome::Mismatch;
  return end < 0 ? Outcome::End : Outcome::Stored;
}

template <class Input>
Outcome readReal(Input& in, const Conversion& c, List* out, int i) {
  if (c.modifier == 'h') return Outcome::Stored;  // reads nothing, stays undefined
  int begin = -1, end = -1;
  double value = 0.0;
  int n;
  if (c.modifier == 'l') {
    n = in.scan(c, &value, &begin, &end);
  } else {
    float narrow = 0.0f;
    n = in.scan(c, &narrow, &begin, &end);
    value = narrow;
  }
  const Outcome o = outcomeOf(n, end);
  if (o == Outcome::Stored) ListSetElement(out, i, LIST_REAL, value);
  return o;
}

template <class Input, class Signed, class Unsigned>
int scanInteger(Input& in, const Conversion& c, int32_t* value, int* end) {
  int begin = -1;
  int n;
  if (c.letter == 'd' || c.letter == 'i') {
    Signed v = 0;
    n = in.scan(c, &v, &begin, end);
    *value = static_cast<int32_t>(v);
  } else {
    Unsigned v = 0;
    n = in.scan(c, &v, &begin, end);
    *value = static_cast<int32_t>(static_cast<Signed>(v));
  }
  return n;
}

template <class Input>
Outcome readInteger(Input& in, const Conversion& c, List* out, int i) {
  int32_t value = 0;
  int end = -1;
  int n;
  if (c.modifier == 'h')
    n = scanInteger<Input, int16_t, uint16_t>(in, c, &value, &end);
  else if (c.modifier == 'l')
    n = scanInteger<Input, long, unsigned long>(in, c, &value, &end);
  else
    n = scanInteger<Input, int, unsigned>(in, c, &value, &end);
  const Outcome o = outcomeOf(n, end);
  if (o == Outcome::Stored) ListSetElement(out, i, LIST_INTEGER, static_cast<int>(value));
  return o;
}

// The String of the n characters read (a "%c" input may hold NUL bytes).
void storeText(List* out, int i, const char* text, int n) {
  String* s = vnStringDef("", n);
  if (n > 0) std::memcpy(s->text, text, static_cast<size_t>(n));
  ListSetElementP(out, i, LIST_STRING, s);
}

template <class Input>
Outcome readText(Input& in, const Conversion& c, List* out, int i) {
  int begin = -1, end = -1;
  int n;
  Outcome o;
  if (c.kind == Kind::Word) {
    char* word = nullptr;
    n = in.scan(c, &word, &begin, &end);
    o = outcomeOf(n, end);
    if (o == Outcome::Stored) storeText(out, i, word, end - begin);
    std::free(word);
  } else {
    std::vector<char> chars(static_cast<size_t>(c.width));
    n = in.scan(c, chars.data(), &begin, &end);
    o = outcomeOf(n, end);
    if (o == Outcome::Stored) storeText(out, i, chars.data(), end - begin);
  }
  return o;
}

// The formatted input over either source; context is the warning's
// description of the call.
template <class Input>
List* scanList(Input& in, const char* format, const char* tag, const std::string& context) {
  const int count = countConversions(format);
  if (count == 0) {
    in.skip(format);
    return ListDef("", 0);
  }
  List* out = ListDef("", count);
  size_t pos = 0;
  int read = 0;
  Outcome o = Outcome::Stored;
  while (read < count) {
    const Conversion c = parseConversion(format, &pos, read + 1 == count);
    switch (c.kind) {
      case Kind::Real: o = readReal(in, c, out, read + 1); break;
      case Kind::Integer: o = readInteger(in, c, out, read + 1); break;
      case Kind::Word:
      case Kind::Chars: o = readText(in, c, out, read + 1); break;
      case Kind::Bad: o = Outcome::Mismatch; break;
    }
    if (o != Outcome::Stored) break;
    read++;
  }
  if (o == Outcome::Mismatch) {
    setSource("%s", context.c_str());
    ListWarning(tag, kNotMatched, nullptr);
  }
  return ListReDef(out, read);
}

}  // namespace

List* ListFileScanf(int fd, const char* format) {
  const char* tag = "ListFileScanf()";
  char head[32];
  std::snprintf(head, sizeof head, "fscanf(%d, ", fd);
  const std::string context = std::string(head) + "\"" + format + "\")";
  FILE* fp = FilePointer(fd, 0);
  if (fp == nullptr) {
    setSource("%s", context.c_str());
    ListError(tag, "File is not opened", nullptr);
  }
  StreamInput in(fp);
  return scanList(in, format, tag, context);
}

List* ListScanf(const char* format) { return ListFileScanf(0, format); }

List* ListFileNameScanf(const char* path, const char* format) {
  if (std::strcmp(path, "stdin") == 0) return ListFileScanf(0, format);
  const int fd = FileOpen(path, "r");
  if (fd < 0) ListError("ListFileScanf()", "Can't open file", nullptr);
  List* l = ListFileScanf(fd, format);
  FileClose(fd);
  return l;
}

List* ListStringScanf(const char* text, const char* format) {
  const std::string context = std::string("sscanf(") + text + ", \"" + format + "\")";
  TextInput in(text);
  return scanList(in, format, "ListStringScanf()", context);
}
