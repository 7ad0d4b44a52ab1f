// Strings: the registry, reports, copies, moves and assignment.
#include "runtime/objects/vnstring.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "runtime/core/memory.h"
#include "runtime/core/registry.h"
#include "runtime/core/report.h"
#include "runtime/io/textsave.h"
#include "runtime/matrix/matrix.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"

String* topvnstring = nullptr;
String* lastvnstring = nullptr;
char* vnstring_err_src = nullptr;

namespace {

// Buckets by length, -1 (undefined) to garbage_length_max.
int garbage_length_max = 1000;
inline bool recyclable(int length) { return length >= -1 && length <= garbage_length_max; }
inline size_t bucketKey(int length) { return static_cast<size_t>(length + 1); }

struct StringKind {
  using Record = String;
  static constexpr const char* kPrefix = "vnString";
  static constexpr const char* kDuplicateUndef = "Duplicate undefing";

  static String*& top() { return topvnstring; }
  static String*& last() { return lastvnstring; }
  static bool bucketOf(const String* s, size_t* key) {
    if (!recyclable(s->length)) return false;
    *key = bucketKey(s->length);
    return true;
  }
  static void park(String*) {}  // text and name buffers are kept
  static void poison(String* s) {
    if (s->length > 0) vorn_registry::poisonBytes(s->text, static_cast<size_t>(s->length));
  }
  static void freeContents(String* s) {
    if (s->text != nullptr) efree(s->text);
  }
  [[noreturn]] static void reportFatal(const char* tag, const char* message, String* s) {
    vnStringError(tag, message, s);
  }
  static String* destroyOperand() { return nullptr; }

  static constexpr const char* kAfterMessage = "";
  static constexpr const char* kLogFailure = "Can't open logfile.\n";
  static char* source() { return vnstring_err_src; }
  static void describe(std::string& body, bool second, const String* s) {
    const char* joint = second ? "and" : "for";
    if (s->name[0] != '\0')
      vorn_report::appendf(body, " %s '%s(length=%d)'", joint, s->name, s->length);
    else
      vorn_report::appendf(body, " %s '(length=%d)'", joint, s->length);
  }
  static void saveOperand(String* s) {
    if (s->length != -1) vnStringFileSave(s, vorn_report::kLogFile, 1, 1);
  }
};

using Registry = vorn_registry::Registry<StringKind>;

}  // namespace

// ---------------------------------------------------------------- registry

void vnStringInit() {
  if (topvnstring != nullptr) return;
  topvnstring = static_cast<String*>(emalloc(sizeof(String)));
  topvnstring->name = StringDup("TOP_VNSTRING");
  topvnstring->type = vorn_registry::kLocal;
  topvnstring->length = 12;
  topvnstring->text = StringDup("TOP_VNSTRING");
  topvnstring->prev = nullptr;
  topvnstring->next = nullptr;
  topvnstring->parked = false;
  lastvnstring = topvnstring;

  const int tableMax = vorn_registry::envLimit("STRING_TABLE_MAX", 0, 0);
  garbage_length_max = vorn_registry::envLimit("STRING_LENGTH_MAX", 1000, 1000);
  Registry::start(tableMax, static_cast<size_t>(garbage_length_max) + 2);
  vnstring_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  vnstring_err_src[0] = '\0';
}

int vnStringGarbageLengthMax() { return garbage_length_max; }

int vnStringTableCount(int length) {
  return recyclable(length) ? Registry::population(bucketKey(length)) : 0;
}

int vnStringLiveCount() { return Registry::liveCount(); }

String* vnStringRequest(int length) {
  return recyclable(length) ? Registry::request(bucketKey(length)) : nullptr;
}

void vnStringInstall(String* s) { Registry::install(s); }
void vnStringAppendToLastString(String* s) { Registry::append(s); }
void vnSringSetLastString(String* s) { lastvnstring = s; }

String* vnStringDef(const char* name, int length) {
  if (length < -1) {
    std::snprintf(vnstring_err_src, vorn_report::kSourceSize, "vnStringDef(\"%s\", %d)",
                  name != nullptr ? name : "", length);
    vnStringError("vnStringDef()", "Not appropriate length", nullptr);
  }
  String* s = vnStringRequest(length);
  if (s != nullptr) {
    if (length >= 0) s->text[length] = '\0';
  } else {
    s = vnStringRequest(-1);  // a parked undefined record has no text buffer
    if (s == nullptr) s = Registry::allocate();
    s->text = nullptr;
    if (length >= 0) {
      s->text = static_cast<char*>(emalloc(static_cast<size_t>(length) + 1));
      s->text[length] = '\0';
    }
  }
  Registry::enlist(s);
  s->length = length;
  vorn_registry::setName(s->name, name);
  return s;
}

String* vnStringStringDef(const char* text) {
  if (text == nullptr) text = "";
  const size_t length = std::strlen(text);
  String* s = vnStringDef("", static_cast<int>(length));
  std::memcpy(s->text, text, length + 1);
  return s;
}

void vnStringDestroy(String* s) { Registry::destroy(s); }
void vnStringUndef(String* s) { Registry::undef(s); }
void vnStringUndefs(String* s) { Registry::undefs(s); }
void vnStringTmpUndef() { Registry::tmpUndef(); }
void vnStringFree(String* s) { Registry::free(s); }
void vnStringFrees(String* marker) { Registry::frees(marker); }
String* vnStringSetName(String* s, const char* name) { return Registry::setName(s, name); }
String* vnStringSetType(String* s, int type) { return Registry::setType(s, type); }

// ----------------------------------------------------------------- reports

void vnStringErrorWarning(const char* tag, const char* message, String* s1, String* s2, int is_error) {
  vorn_report::errorWarning<StringKind>(tag, message, s1, s2, is_error);
}
void vnStringError(const char* tag, const char* message, String* s) {
  vorn_report::fatal<StringKind>(tag, message, s, static_cast<String*>(nullptr));
}
void vnStringError2(const char* tag, const char* message, String* s1, String* s2) {
  vorn_report::fatal<StringKind>(tag, message, s1, s2);
}
void vnStringWarning(const char* tag, const char* message, String* s) {
  vnStringErrorWarning(tag, message, s, nullptr, 0);
}
void vnStringWarning2(const char* tag, const char* message, String* s1, String* s2) {
  vnStringErrorWarning(tag, message, s1, s2, 0);
}

void vnStringUndefCheck(String* s, const char* where) {
  Registry::checkLive(s, where);
  if (s->length == -1) vnStringError(where, "Undefined string", s);
}

void vnStringUndefCheck2(String* a, String* b, const char* where) {
  Registry::checkLive(a, where);
  Registry::checkLive(b, where);
  if (a->length == -1 || b->length == -1) vnStringError2(where, "Undefined string", a, b);
}

// -------------------------------------------------- copy, move, assignment

String* vnStringCopy(String* dst, String* src) {
  if (dst->length != src->length) vnStringError2("vnStringCopy()", "Confliction of length", src, dst);
  if (dst != src && src->length >= 0)
    std::memcpy(dst->text, src->text, static_cast<size_t>(src->length) + 1);
  return dst;
}

String* vnStringDup(String* s) {
  Registry::checkLive(s, "vnStringDup()");
  String* d = vnStringDef("", s->length);
  if (s->length >= 0) std::memcpy(d->text, s->text, static_cast<size_t>(s->length) + 1);
  return d;
}

String* vnStringElementChange(String* a, String* b) {
  std::swap(a->length, b->length);
  vorn_registry::swapLifetime(a, b);
  std::swap(a->text, b->text);
  return a;
}

String* vnStringElementCopy(String* dst, String* src) {
  if (dst == src) return dst;
  if (dst->length != src->length) {
    if (dst->text != nullptr) efree(dst->text);
    dst->text = src->length >= 0
                    ? static_cast<char*>(emalloc(static_cast<size_t>(src->length) + 1))
                    : nullptr;
  }
  if (src->length >= 0) std::memcpy(dst->text, src->text, static_cast<size_t>(src->length) + 1);
  dst->length = src->length;
  vorn_registry::setLifetime(dst, src->type);
  return dst;
}

String* vnStringMove(String* dst, String* src) {
  return vorn_registry::moveRecord(dst, src, vnStringElementChange);
}

String* vnStringAssign(String* dst, String* src) {
  return vorn_registry::assignRecord(dst, src, vnStringElementChange, vnStringElementCopy, [] {
    ListTmpUndef();
    RatTmpUndef();
    PolyTmpUndef();
    MatTmpUndef();
    CompTmpUndef();
    vnStringTmpUndef();
  });
}

String* vnStringSwap(String* a, String* b) {
  if (a->length != b->length) vnStringError2("vnStringSwap()", "Confliction of length", a, b);
  std::swap(a->text, b->text);
  return a;
}

