// String objects: registry, reports and string operations.
// Positions count from 1; every operation that makes a String returns a new
// temporary, setters change their first operand in place and return it.
#pragma once

struct Matrix;

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

// Registry.
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

// Reports.
void vnStringErrorWarning(const char* tag, const char* message, String* s1, String* s2, int is_error);
[[noreturn]] void vnStringError(const char* tag, const char* message, String* s);
[[noreturn]] void vnStringError2(const char* tag, const char* message, String* s1, String* s2);
void vnStringWarning(const char* tag, const char* message, String* s);
void vnStringWarning2(const char* tag, const char* message, String* s1, String* s2);
// Fatal "Undefined string" when an operand has length -1.
void vnStringUndefCheck(String* s, const char* where);
void vnStringUndefCheck2(String* a, String* b, const char* where);

// Construction and accessors.
String* vnStringSameDef(String* s);
String* vnStringNull();
String* vnStringCharToString(char ch);
String* vnStringSetString(String* s, const char* text);
String* vnStringSetChar(String* s, int i, char ch);
int vnStringGetLength(String* s);
// Resizes the text to n characters (-1: undefined): the leading characters
// stay, added ones are NUL bytes.
String* vnStringSetLength(String* s, int n);

// Copy, move and assignment.
String* vnStringCopy(String* dst, String* src);
String* vnStringDup(String* s);
String* vnStringElementChange(String* a, String* b);
String* vnStringElementCopy(String* dst, String* src);
String* vnStringMove(String* dst, String* src);
String* vnStringAssign(String* dst, String* src);
String* vnStringSwap(String* a, String* b);

// Characters and sub-strings.
String* vnStringGetElem(String* s, int i);
String* vnStringSetElem(String* s, int i, String* one);
String* vnStringCut(String* s, int from, int to);
String* vnStringPut(String* dst, int pos, String* src);
String* vnStringPartCopy(String* dst, int d1, int d2, String* src, int s1, int s2);
String* vnStringGetSubString(String* s, int from, int to, int step);
String* vnStringGetSubString2(String* s, Matrix* index);
String* vnStringSetSubString(String* s, int from, int to, int step, String* src);
String* vnStringSetSubString2(String* s, Matrix* index, String* src);

// Operators.
String* vnStringAdd(String* a, String* b);
String* vnStringMul(String* s, int n);
String* vnStringReverse(String* s);
int vnStringCompare(String* a, String* b);
int vnStringIsEqual(String* a, String* b);
int vnStringIsNotEqual(String* a, String* b);
Matrix* vnStringCompareElem(String* a, String* b, const char* op);
int vnStringIndex(String* s, String* key);
int vnStringLastIndex(String* s, String* key);

// Input and output.
String* vnStringPrint(String* s);
void vnStringAllPrint();
String* vnStringGets(int n);
String* vnStringFgets(int fd, int n);
String* vnStringSprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
String* vnStringInput(const char* name);
String* vnStringEdit(String* s);
String* vnStringFileRead(const char* path);
String* vnStringFileWrite(String* s, const char* path);
