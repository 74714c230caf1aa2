// The project's own host: a small object memory of SmallIntegers, boxed
// Floats, word objects, pointer objects and the three special objects.
// Used by the tests and the demo programs, never by a plug-in.
#ifndef HOST_OBJECT_MEMORY_H
#define HOST_OBJECT_MEMORY_H

#include "host_interface.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace host {

enum class ObjectKind : HostWord { Pointers, Words, Float, LargePositiveInteger, True, False, Nil };

// Every object is one exactly sized heap block: a header word, then the body.
// Exact sizes let AddressSanitizer catch a plug-in that writes one word past
// the end of a pixel array.
class ObjectMemory {
public:
    ObjectMemory();
    ~ObjectMemory();
    ObjectMemory(const ObjectMemory &) = delete;
    ObjectMemory &operator=(const ObjectMemory &) = delete;

    static HostWord smallInteger(HostWord value) { return static_cast<HostWord>(static_cast<uintptr_t>(value) << 1) | 1; }
    static bool isSmallInteger(HostWord object) { return hostIsImmediate(object); }
    static HostWord smallIntegerValue(HostWord object) { return hostImmediateValue(object); }
    static bool fitsSmallInteger(int64_t value);

    HostWord newWords(size_t count, uint32_t fill = 0);
    HostWord newWords(const std::vector<uint32_t> &words);
    // Test-only: a word object whose body ends exactly where a page that
    // can be neither read nor written begins, so that touching one byte
    // past its last word faults at once. Its header may then be aligned to
    // 4 bytes only.
    HostWord newWordsBeforeGuardPage(size_t count, uint32_t fill = 0);
    HostWord newPointers(size_t count);
    HostWord newFloat(double value);
    HostWord newPositiveInteger(uint32_t value); // SmallInteger when it fits
    HostWord trueObject() const { return true_; }
    HostWord falseObject() const { return false_; }
    HostWord nil() const { return nil_; }

    // A bitmap of these four slots: 0 the pixel array, 1 width, 2 height,
    // 3 depth, as given (tests make malformed ones with it).
    HostWord newBitmapWithSlots(HostWord pixels, HostWord width, HostWord height, HostWord depth);
    HostWord newBitmap(int width, int height, int depth, uint32_t fill = 0);

    ObjectKind kindOf(HostWord object) const;
    bool isObject(HostWord object) const; // a live, non-immediate object of this memory
    size_t slotCount(HostWord object) const;
    uint32_t *words(HostWord object) const;
    HostWord *slots(HostWord object) const;
    double floatValue(HostWord object) const;
    uint32_t positiveIntegerValue(HostWord object) const; // SmallInteger or large

    // Frees every object but the special ones.
    void clear();

private:
    HostWord allocate(ObjectKind kind, size_t count, size_t bodyBytes);
    void release(HostWord object);
    static HostWord *headerOf(HostWord object) { return reinterpret_cast<HostWord *>(object); }
    static HostWord headerWord(HostWord object);
    static void setHeader(HostWord object, ObjectKind kind, size_t count);
    std::unordered_set<HostWord> objects_;
    // Guarded objects: their mappings, from the first byte, and lengths.
    std::unordered_map<HostWord, std::pair<void *, size_t>> guarded_;
    HostWord true_ = 0, false_ = 0, nil_ = 0;
};

} // namespace host

#endif
