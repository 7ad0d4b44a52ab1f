// The registry pattern shared by every object kind: a live list headed by a
// never-released sentinel, lifetime codes in the record's `type`, and
// recycling buckets (stacks linked through prev/next, newest first) of
// released records. Each kind supplies its own keys and release rules; these
// helpers are the list and bucket mechanics they all share.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "runtime/core/memory.h"

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

// One recycling bucket: a stack of parked records linked through prev/next,
// newest first, and its population.
template <class T>
struct Bucket {
  T* head = nullptr;
  int count = 0;
};

// Pops the newest record of bucket, or returns null.
template <class T>
inline T* request(Bucket<T>& bucket) {
  T* const obj = bucket.head;
  if (obj == nullptr) return nullptr;
  bucket.head = obj->next;
  if (obj->next != nullptr) obj->next->prev = nullptr;
  obj->next = nullptr;
  obj->prev = nullptr;
  obj->parked = false;
  bucket.count--;
  return obj;
}

// Pushes obj on bucket.
template <class T>
inline void install(Bucket<T>& bucket, T* obj) {
  obj->prev = nullptr;
  obj->next = bucket.head;
  if (bucket.head != nullptr) bucket.head->prev = obj;
  bucket.head = obj;
  obj->parked = true;
  bucket.count++;
}

// The buckets of one kind, by key 0 .. keys-1. Low keys, where nearly every
// recycled record lands, are a plain array; higher ones are made on first
// use, so a huge limit from the environment costs memory only for the
// buckets actually used.
template <class T>
class BucketTable {
 public:
  static constexpr size_t kDenseKeys = 1u << 14;

  // Runs once per kind, at start-up. The storage is never freed: parked
  // records stay reachable from it to the end, also for the leak checker.
  void reset(size_t keys) {
    keys_ = keys;
    denseSize_ = keys < kDenseKeys ? keys : kDenseKeys;
    dense_ = new Bucket<T>[denseSize_]();
    if (keys > denseSize_ && sparse_ == nullptr) sparse_ = new std::unordered_map<size_t, Bucket<T>>();
  }
  bool holds(size_t key) const { return key < keys_; }
  Bucket<T>& at(size_t key) { return key < denseSize_ ? dense_[key] : sparseAt(key); }
  // Bucket key when it has been used, else null; makes nothing.
  const Bucket<T>* find(size_t key) const {
    if (key < denseSize_) return &dense_[key];
    if (sparse_ == nullptr) return nullptr;
    const auto found = sparse_->find(key);
    return found == sparse_->end() ? nullptr : &found->second;
  }

 private:
  __attribute__((noinline, cold)) Bucket<T>& sparseAt(size_t key) { return (*sparse_)[key]; }

  // Plain members: the table is constant-initialised and has nothing to
  // destroy at exit.
  size_t keys_ = 0;
  size_t denseSize_ = 0;
  Bucket<T>* dense_ = nullptr;
  std::unordered_map<size_t, Bucket<T>>* sparse_ = nullptr;
};

// A bucket accepts a released record while its population does not exceed
// the limit; 0 means no limit, so a bucket can reach limit + 1 records.
inline bool bucketAccepts(int population, int limit) {
  return limit == 0 || population <= limit;
}

// Walks back from the last record: releases temporaries, passes over held
// and global records, and stops at the first local or scope marker. The
// walk goes on from the nearest earlier record that is no component: a
// release can take components of its own kind off the list (a polynomial
// matrix parks its elements, which take their coefficient rows along).
template <class T, class Release>
inline void releaseTemporaries(T* last, Release release) {
  for (T* obj = last; obj != nullptr;) {
    T* before = obj->prev;
    while (before != nullptr && (before->type == kHeld2 || before->type == kHeld3)) before = before->prev;
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
// Components (codes 2 and 3) are passed over: their holder releases them,
// and one released here first would be released twice by it. The records
// are gathered before any is released, because a release can take other
// records off the list (the coefficient rows of parked polynomials).
template <class T, class Release>
inline void releaseFrom(T* marker, Release release) {
  std::vector<T*> owned;
  for (T* obj = marker; obj != nullptr; obj = obj->next)
    if (obj->type != kHeld2 && obj->type != kHeld3) owned.push_back(obj);
  for (T* obj : owned)
    if (!obj->parked) release(obj);
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

// Replaces *name by a copy of text, reusing the buffer when the lengths
// match so that recycled temporaries allocate nothing.
void setNameCopy(char*& name, const char* text);
inline void setName(char*& name, const char* text) {
  // Unnamed temporaries are the common case: nothing to copy.
  if (name != nullptr && name[0] == '\0' && (text == nullptr || text[0] == '\0')) return;
  setNameCopy(name, text);
}

// The registry of one object kind, written once for all six. K describes
// the kind:
//   using Record;                       the record (name, type, prev, next, parked)
//   static Record*& top(); last();      the kind's sentinel and last live record
//   static bool bucketOf(const Record*, size_t* key)   where a released record parks
//   static void park(Record*);          the kind's release work before parking
//   static void freeContents(Record*);  the kind's storage, before the record is freed
//   static void poison(Record*);        scribbles over parked storage (checks build)
//   static void reportFatal(const char* tag, const char* message, Record* operand);
//   static Record* destroyOperand();    the operand a failed destroy names
//   kPrefix: the kind's name prefix, which with the operation's name makes
//   the tag of a report ("Mat" gives "MatUndef()"); kDuplicateUndef: the
//   kind's spelling of that message
#ifdef VORN_CHECKS
constexpr bool kChecks = true;
#else
constexpr bool kChecks = false;
#endif

// The checks build's report of an operation on a released record.
constexpr const char* kReleasedInUse = "Use of a released object";

// The report tag prefix + operation + "()"; built only when reporting.
const char* operationTag(const char* prefix, const char* operation);

template <class K>
class Registry {
 public:
  using Record = typename K::Record;

  // The population limit per bucket (0: none) and the number of keys.
  static void start(int tableMax, size_t keys) {
    tableMax_ = tableMax;
    table_.reset(keys);
  }

  static int population(size_t key) {
    const Bucket<Record>* bucket = table_.holds(key) ? table_.find(key) : nullptr;
    return bucket != nullptr ? bucket->count : 0;
  }
  static Record* head(size_t key) {
    const Bucket<Record>* bucket = table_.holds(key) ? table_.find(key) : nullptr;
    return bucket != nullptr ? bucket->head : nullptr;
  }
  static int liveCount() { return vorn_registry::liveCount(K::top()); }

  static void append(Record* r) { vorn_registry::append(K::last(), r); }

  static Record* request(size_t key) {
    if (!table_.holds(key)) return nullptr;
    return vorn_registry::request(table_.at(key));
  }

  // A new record with no name and no storage.
  static Record* allocate() {
    Record* r = static_cast<Record*>(emalloc(sizeof(Record)));
    r->name = nullptr;
    r->parked = false;
    return r;
  }

  // Appends r to the live list as a temporary.
  static Record* enlist(Record* r) {
    append(r);
    setLifetime(r, kTemporary);
    return r;
  }

  // Parks r; a record with no bucket is freed instead, and one already
  // parked is refused, so a bucket never holds a record twice.
  static void install(Record* r) {
    if (r->parked) K::reportFatal(operationTag(K::kPrefix, "Install"), K::kDuplicateUndef, nullptr);
    size_t key;
    if (!K::bucketOf(r, &key) || !table_.holds(key)) {
      freeRecord(r);
      return;
    }
    vorn_registry::install(table_.at(key), r);
  }

  static void undef(Record* r) {
    if (r->parked) K::reportFatal(operationTag(K::kPrefix, "Undef"), K::kDuplicateUndef, nullptr);
    size_t key;
    if (!K::bucketOf(r, &key) || !table_.holds(key)) {
      destroy(r);
      return;
    }
    Bucket<Record>& bucket = table_.at(key);
    if (!bucketAccepts(bucket.count, tableMax_)) {
      destroy(r);
      return;
    }
    if (!unlink(K::last(), r)) K::reportFatal(operationTag(K::kPrefix, "Undef"), K::kDuplicateUndef, nullptr);
    K::park(r);
#ifdef VORN_CHECKS
    K::poison(r);
#endif
    r->type = kTemporary;  // parked: off the live list
    vorn_registry::install(bucket, r);
  }

  static void destroy(Record* r) {
    if (r->parked || !unlink(K::last(), r))
      K::reportFatal(operationTag(K::kPrefix, "Destroy"), "Duplicate destroying", K::destroyOperand());
    freeRecord(r);
  }

  // Checks build: an operation on a parked record is reported, since the
  // record was released and may already serve another value.
  static void checkLive(Record* r, const char* tag) {
#ifdef VORN_CHECKS
    if (r->parked) K::reportFatal(tag, kReleasedInUse, r);
#else
    (void)r;
    (void)tag;
#endif
  }
  // The same, the tag made of the kind's prefix and the operation.
  static void checkLiveIn(Record* r, const char* operation) {
    if (kChecks && r->parked) checkLive(r, operationTag(K::kPrefix, operation));
  }

  static void undefs(Record* r) { releaseFrom(r, undef); }
  static void tmpUndef() { releaseTemporaries(K::last(), undef); }
  static void free(Record* r) {
    checkLiveIn(r, "Free");
    setLifetime(r, kTemporary);
  }
  static void frees(Record* marker) {
    if (marker != nullptr) checkLiveIn(marker, "Frees");
    freeLocalsFrom(marker);
  }
  static Record* setName(Record* r, const char* text) {
    checkLiveIn(r, "SetName");
    vorn_registry::setName(r->name, text);
    return r;
  }
  static Record* setType(Record* r, int type) {
    checkLiveIn(r, "SetType");
    setLifetime(r, type);
    return r;
  }

 private:
  static void freeRecord(Record* r) {
    K::freeContents(r);
    if (r->name != nullptr) efree(r->name);
#ifdef VORN_CHECKS
    // A stale pointer to a freed record then reads as parked.
    r->parked = true;
    r->prev = r->next = nullptr;
#endif
    efree(r);
  }

  static inline BucketTable<Record> table_;
  static inline int tableMax_ = 0;
};

// Fills n bytes at p with a pattern no live value has by design (checks
// build): a parked record read by mistake shows garbage at once.
void poisonBytes(void* p, size_t n);

}  // namespace vorn_registry
