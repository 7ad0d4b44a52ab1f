#include "runtime/objects/vnstring.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/core/memory.h"
#include "runtime/io/textsave.h"
#include "runtime/matrix/registry.h"
#include "runtime/matrix/report.h"

String* topvnstring = nullptr;
String* lastvnstring = nullptr;
char* vnstring_err_src = nullptr;

namespace {

// Buckets by length, -1 (undefined) to garbage_length_max.
String** vnstring_table = nullptr;
int* vnstring_table_count = nullptr;
int garbage_length_max = 1000;
int garbage_table_max = 0;

inline bool recyclable(int length) { return length >= -1 && length <= garbage_length_max; }
inline size_t bucketKey(int length) { return static_cast<size_t>(length + 1); }

void describe(std::string& body, const char* joint, const String* s) {
  if (s->name[0] != '\0')
    vorn_report::appendf(body, " %s '%s(length=%d)'", joint, s->name, s->length);
  else
    vorn_report::appendf(body, " %s '(length=%d)'", joint, s->length);
}

struct Operands {
  String* s1;
  String* s2;
};

void saveOperands(const void* context) {
  const Operands* ops = static_cast<const Operands*>(context);
  for (String* s : {ops->s1, ops->s2})
    if (s != nullptr && s->length != -1) vnStringFileSave(s, vorn_report::kLogFile, 1, 1);
}

}  // namespace

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

  garbage_table_max = vorn_registry::envLimit("STRING_TABLE_MAX", 0, 0);
  garbage_length_max = vorn_registry::envLimit("STRING_LENGTH_MAX", 1000, 1000);
  const size_t buckets = static_cast<size_t>(garbage_length_max) + 2;
  vnstring_table = static_cast<String**>(emalloc(buckets * sizeof(String*)));
  vnstring_table_count = static_cast<int*>(emalloc(buckets * sizeof(int)));
  std::memset(vnstring_table, 0, buckets * sizeof(String*));
  std::memset(vnstring_table_count, 0, buckets * sizeof(int));
  vnstring_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  vnstring_err_src[0] = '\0';
}

int vnStringGarbageLengthMax() { return garbage_length_max; }

int vnStringTableCount(int length) {
  return recyclable(length) ? vnstring_table_count[bucketKey(length)] : 0;
}

int vnStringLiveCount() {
  int count = 0;
  for (String* s = topvnstring->next; s != nullptr; s = s->next) count++;
  return count;
}

String* vnStringRequest(int length) {
  if (!recyclable(length)) return nullptr;
  return vorn_registry::request(vnstring_table, vnstring_table_count, bucketKey(length));
}

void vnStringInstall(String* s) {
  vorn_registry::install(vnstring_table, vnstring_table_count, bucketKey(s->length), s);
}

void vnStringAppendToLastString(String* s) { vorn_registry::append(lastvnstring, s); }
void vnSringSetLastString(String* s) { lastvnstring = s; }

String* vnStringDef(const char* name, int length) {
  if (length < -1) length = -1;
  String* s = vnStringRequest(length);
  if (s != nullptr) {
    if (length >= 0) s->text[length] = '\0';
  } else {
    s = vnStringRequest(-1);
    if (s == nullptr) {
      s = static_cast<String*>(emalloc(sizeof(String)));
      s->name = nullptr;
      s->parked = false;
    }
    s->text = nullptr;
    if (length >= 0) {
      s->text = static_cast<char*>(emalloc(static_cast<size_t>(length) + 1));
      s->text[length] = '\0';
    }
  }
  vnStringAppendToLastString(s);
  s->length = length;
  s->type = vorn_registry::kTemporary;
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

void vnStringDestroy(String* s) {
  if (s->parked || !vorn_registry::unlink(lastvnstring, s))
    vnStringError("vnStringDestroy()", "Duplicate destroying", nullptr);
  if (s->text != nullptr) efree(s->text);
  efree(s->name);
  efree(s);
}

void vnStringUndef(String* s) {
  if (s->parked) vnStringError("vnStringUndef()", "Duplicate undefing", nullptr);
  if (!recyclable(s->length) ||
      !vorn_registry::bucketAccepts(vnstring_table_count[bucketKey(s->length)], garbage_table_max)) {
    vnStringDestroy(s);
    return;
  }
  if (!vorn_registry::unlink(lastvnstring, s))
    vnStringError("vnStringUndef()", "Duplicate undefing", nullptr);
  s->type = vorn_registry::kTemporary;
  vnStringInstall(s);
}

void vnStringUndefs(String* s) {
  if (s != nullptr) vorn_registry::releaseFrom(s, vnStringUndef);
}

void vnStringTmpUndef() { vorn_registry::releaseTemporaries(lastvnstring, vnStringUndef); }
void vnStringFree(String* s) { s->type = vorn_registry::kTemporary; }

void vnStringFrees(String* marker) {
  if (marker != nullptr) vorn_registry::freeLocalsFrom(marker);
}

String* vnStringSetName(String* s, const char* name) {
  vorn_registry::setName(s->name, name);
  return s;
}

String* vnStringSetType(String* s, int type) {
  s->type = type;
  return s;
}

void vnStringErrorWarning(const char* tag, const char* message, String* s1, String* s2, int is_error) {
  std::string body;
  if (vorn_report::hasSource(vnstring_err_src)) {
    vorn_report::appendf(body, "\n%s : %s", vnstring_err_src, message);
  } else {
    vorn_report::appendf(body, "\n%s", message);
    if (s1 != nullptr) describe(body, "for", s1);
    if (s2 != nullptr) describe(body, "and", s2);
  }
  Operands ops{s1, s2};
  vorn_report::emit(tag, body, vnstring_err_src, is_error, "Can't open logfile.\n", saveOperands, &ops);
}

void vnStringError(const char* tag, const char* message, String* s) {
  vnStringErrorWarning(tag, message, s, nullptr, 1);
  std::abort();
}

void vnStringError2(const char* tag, const char* message, String* s1, String* s2) {
  vnStringErrorWarning(tag, message, s1, s2, 1);
  std::abort();
}

void vnStringWarning(const char* tag, const char* message, String* s) {
  vnStringErrorWarning(tag, message, s, nullptr, 0);
}

void vnStringWarning2(const char* tag, const char* message, String* s1, String* s2) {
  vnStringErrorWarning(tag, message, s1, s2, 0);
}

int vnStringCompare(String* a, String* b) {
  const char* x = a->text != nullptr ? a->text : "";
  const char* y = b->text != nullptr ? b->text : "";
  return std::strcmp(x, y);
}
