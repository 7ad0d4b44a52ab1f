// The registry pattern shared by every object kind: a live list headed by a
// never-released sentinel, lifetime codes in the record's `type`, and
// recycling buckets (stacks linked through prev/next, newest first) of
// released records. Each kind supplies its own keys and release rules; these
// helpers are the list and bucket mechanics they all share.
#pragma once

#include <cstddef>

namespace vorn_registry {

// Lifetime codes shared by all kinds.
enum : int {
  kTemporary = 0,  // released by the next release of temporaries
  kLocal = 1,      // a local variable or a scope marker
  kHeld2 = 2,      // component held inside another object
  kHeld3 = 3,
  kGlobal = 4,     // lives until exit
};

// Counts the events that can leave a temporary within reach of a release
// walk: a record appended, a lifetime code changed, a local or marker taken
// off a live list (the walk stops at those). The statement-end release of
// all kinds has nothing to do while the count is what it was after its last
// walk, and a kind whose own count has not moved needs no walk either.
extern unsigned tmpEpoch;
extern unsigned tmpEpochSeen;
template <class T>
struct KindEpoch {
  static inline unsigned changes = 1;
  static inline unsigned seen = 0;
};
template <class T>
inline void noteLifetimeChange() {
  ++tmpEpoch;
  ++KindEpoch<T>::changes;
}
// True when T's count moved since the last call; then it counts as seen.
template <class T>
inline bool kindChangedSinceWalk() {
  if (KindEpoch<T>::changes == KindEpoch<T>::seen) return false;
  KindEpoch<T>::seen = KindEpoch<T>::changes;
  return true;
}

// Every lifetime change goes through these two, so that the count above
// sees it.
template <class T>
inline void setLifetime(T* obj, int type) {
  obj->type = static_cast<decltype(obj->type)>(type);
  noteLifetimeChange<T>();
}
template <class T>
inline void swapLifetime(T* a, T* b) {
  const auto type = a->type;
  a->type = b->type;
  b->type = type;
  noteLifetimeChange<T>();
}

// Gives src's contents to dst by exchange(dst, src); dst keeps its
// lifetime code and src, now holding dst's old contents, ends a temporary.
template <class T, class Exchange>
inline T* moveRecord(T* dst, T* src, Exchange exchange) {
  const int type = dst->type;
  exchange(dst, src);
  setLifetime(dst, type);
  setLifetime(src, kTemporary);
  return dst;
}

// Binds src's value to dst: nothing for a self-assignment; a temporary src
// gives its contents by exchange (no element is copied), any other is
// copied by copy(dst, src). dst keeps its lifetime code either way; then
// releaseAll() releases the temporaries of all kinds in the kind's order.
template <class T, class Exchange, class Copy, class ReleaseAll>
inline T* assignRecord(T* dst, T* src, Exchange exchange, Copy copy, ReleaseAll releaseAll) {
  if (dst == src) return dst;
  if (src->type == kTemporary) {
    moveRecord(dst, src, exchange);
  } else {
    const int type = dst->type;
    copy(dst, src);
    setLifetime(dst, type);
  }
  releaseAll();
  return dst;
}

// Appends obj after last; last moves to obj.
template <class T>
inline void append(T*& last, T* obj) {
  noteLifetimeChange<T>();
  last->next = obj;
  obj->prev = last;
  obj->next = nullptr;
  last = obj;
}

// Takes a live obj off the live list. Returns false when obj has no
// previous record: every live record has one, because the sentinel is never
// released, so such a record is on no list.
template <class T>
inline bool unlink(T*& last, T* obj) {
  T* const before = obj->prev;
  T* const after = obj->next;
  if (before == nullptr) return false;
  if (obj->type == kLocal) noteLifetimeChange<T>();
  before->next = after;
  if (after != nullptr) after->prev = before;
  else last = before;
  obj->prev = nullptr;
  obj->next = nullptr;
  return true;
}

// Pops the newest record of bucket `key`, or returns null.
template <class T>
inline T* request(T** heads, int* counts, size_t key) {
  T* const obj = heads[key];
  if (obj == nullptr) return nullptr;
  heads[key] = obj->next;
  if (obj->next != nullptr) obj->next->prev = nullptr;
  obj->next = nullptr;
  obj->prev = nullptr;
  obj->parked = false;
  counts[key]--;
  return obj;
}

// Pushes obj on bucket `key`.
template <class T>
inline void install(T** heads, int* counts, size_t key, T* obj) {
  obj->prev = nullptr;
  obj->next = heads[key];
  if (heads[key] != nullptr) heads[key]->prev = obj;
  heads[key] = obj;
  obj->parked = true;
  counts[key]++;
}

// A bucket accepts a released record while its population does not exceed
// the limit; 0 means no limit, so a bucket can reach limit + 1 records.
inline bool bucketAccepts(int population, int limit) {
  return limit == 0 || population <= limit;
}

// Walks back from the last record: releases temporaries, passes over held
// and global records, and stops at the first local or scope marker.
template <class T, class Release>
inline void releaseTemporaries(T* last, Release release) {
  for (T* obj = last; obj != nullptr;) {
    T* const before = obj->prev;
    if (obj->type == kTemporary) release(obj);
    else if (obj->type == kLocal) break;
    obj = before;
  }
}

// Ends a scope: every local from marker on becomes a temporary. A null
// marker (a scope never opened) changes nothing.
template <class T>
inline void freeLocalsFrom(T* marker) {
  if (marker == nullptr) return;
  noteLifetimeChange<T>();
  for (T* obj = marker; obj != nullptr; obj = obj->next)
    if (obj->type == kLocal) obj->type = kTemporary;
}

// Releases marker and every record after it; nothing for a null marker.
template <class T, class Release>
inline void releaseFrom(T* marker, Release release) {
  for (T* obj = marker; obj != nullptr;) {
    T* const after = obj->next;
    release(obj);
    obj = after;
  }
}

// Number of records on the live list after the sentinel top.
template <class T>
inline int liveCount(const T* top) {
  int count = 0;
  for (const T* obj = top->next; obj != nullptr; obj = obj->next) count++;
  return count;
}

// Reads a registry limit from the environment as a base-10 integer;
// `fallback` when unset, `negative` when the value is below zero.
int envLimit(const char* variable, int fallback, int negative);

// A zeroed table of n entries. Pages are only touched when a bucket is
// used, so a large limit from the environment costs address space, not
// memory; an impossible size is the memory service's fatal report.
void* allocTableBytes(size_t n, size_t size);
template <class T>
inline T* allocTable(size_t n) {
  return static_cast<T*>(allocTableBytes(n, sizeof(T)));
}

// Replaces *name by a copy of text, reusing the buffer when the lengths
// match so that recycled temporaries allocate nothing.
void setNameCopy(char*& name, const char* text);
inline void setName(char*& name, const char* text) {
  // Unnamed temporaries are the common case: nothing to copy.
  if (name != nullptr && name[0] == '\0' && (text == nullptr || text[0] == '\0')) return;
  setNameCopy(name, text);
}

}  // namespace vorn_registry
