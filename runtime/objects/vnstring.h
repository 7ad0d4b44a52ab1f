// String objects: registry, reports and string operations.
#pragma once

struct String {
  char* name;
  int type;
  int length;     // -1: undefined, no text buffer
  char* text;     // length+1 bytes, NUL-terminated
  String* prev;
  String* next;
  bool parked;
};

extern String* topvnstring;
extern String* lastvnstring;
extern char* vnstring_err_src;

void vnStringInit();
String* vnStringDef(const char* name, int length);
String* vnStringStringDef(const char* text);
void vnStringAppendToLastString(String* s);
void vnSringSetLastString(String* s);
String* vnStringRequest(int length);
void vnStringInstall(String* s);
void vnStringUndef(String* s);
void vnStringDestroy(String* s);
void vnStringUndefs(String* s);
void vnStringTmpUndef();
void vnStringFree(String* s);
void vnStringFrees(String* marker);
String* vnStringSetName(String* s, const char* name);
String* vnStringSetType(String* s, int type);
int vnStringTableCount(int length);
int vnStringLiveCount();
int vnStringGarbageLengthMax();

void vnStringErrorWarning(const char* tag, const char* message, String* s1, String* s2, int is_error);
[[noreturn]] void vnStringError(const char* tag, const char* message, String* s);
[[noreturn]] void vnStringError2(const char* tag, const char* message, String* s1, String* s2);
void vnStringWarning(const char* tag, const char* message, String* s);
void vnStringWarning2(const char* tag, const char* message, String* s1, String* s2);

int vnStringCompare(String* a, String* b);
