#include "object_memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace host {

namespace {
// Header word: the kind in the low 4 bits, the slot count above them.
constexpr int kKindBits = 4;
constexpr HostWord kKindMask = (1 << kKindBits) - 1;

size_t pageSize() {
#if defined(_WIN32)
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    return system.dwPageSize;
#else
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

// Readable and writable pages followed by one inaccessible page.
void *mapWithGuardPage(size_t accessibleBytes) {
    const size_t total = accessibleBytes + pageSize();
#if defined(_WIN32)
    void *base = VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD previous;
    if (base == nullptr) throw std::bad_alloc();
    if (!VirtualProtect(static_cast<char *>(base) + accessibleBytes, pageSize(), PAGE_NOACCESS, &previous)) {
        VirtualFree(base, 0, MEM_RELEASE);
        throw std::bad_alloc();
    }
#else
    void *base = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) throw std::bad_alloc();
    if (mprotect(static_cast<char *>(base) + accessibleBytes, pageSize(), PROT_NONE) != 0) {
        munmap(base, total);
        throw std::bad_alloc();
    }
#endif
    return base;
}

void unmapWithGuardPage(void *base, size_t accessibleBytes) {
#if defined(_WIN32)
    (void)accessibleBytes;
    VirtualFree(base, 0, MEM_RELEASE);
#else
    munmap(base, accessibleBytes + pageSize());
#endif
}
} // namespace

ObjectMemory::ObjectMemory() {
    true_ = allocate(ObjectKind::True, 0, 0);
    false_ = allocate(ObjectKind::False, 0, 0);
    nil_ = allocate(ObjectKind::Nil, 0, 0);
}

ObjectMemory::~ObjectMemory() {
    for (HostWord object : objects_) release(object);
}

void ObjectMemory::release(HostWord object) {
    auto found = guarded_.find(object);
    if (found == guarded_.end()) {
        std::free(headerOf(object));
        return;
    }
    unmapWithGuardPage(found->second.first, found->second.second);
    guarded_.erase(found);
}

// Copied, not loaded: a guarded object's header need not be word aligned.
HostWord ObjectMemory::headerWord(HostWord object) {
    HostWord header;
    std::memcpy(&header, headerOf(object), sizeof header);
    return header;
}

void ObjectMemory::setHeader(HostWord object, ObjectKind kind, size_t count) {
    const HostWord header = static_cast<HostWord>(count << kKindBits) | static_cast<HostWord>(kind);
    std::memcpy(headerOf(object), &header, sizeof header);
}

bool ObjectMemory::fitsSmallInteger(int64_t value) {
    const int64_t limit = int64_t(1) << (sizeof(HostWord) * 8 - 2);
    return value >= -limit && value < limit;
}

HostWord ObjectMemory::allocate(ObjectKind kind, size_t count, size_t bodyBytes) {
    void *block = std::malloc(sizeof(HostWord) + bodyBytes);
    if (block == nullptr) throw std::bad_alloc();
    std::memset(block, 0, sizeof(HostWord) + bodyBytes);
    HostWord object = reinterpret_cast<HostWord>(block);
    setHeader(object, kind, count);
    objects_.insert(object);
    return object;
}

HostWord ObjectMemory::newWords(size_t count, uint32_t fill) {
    HostWord object = allocate(ObjectKind::Words, count, count * sizeof(uint32_t));
    std::fill_n(words(object), count, fill);
    return object;
}

HostWord ObjectMemory::newWords(const std::vector<uint32_t> &contents) {
    HostWord object = allocate(ObjectKind::Words, contents.size(), contents.size() * sizeof(uint32_t));
    if (!contents.empty()) std::memcpy(words(object), contents.data(), contents.size() * sizeof(uint32_t));
    return object;
}

HostWord ObjectMemory::newWordsBeforeGuardPage(size_t count, uint32_t fill) {
    const size_t objectBytes = sizeof(HostWord) + count * sizeof(uint32_t);
    const size_t accessibleBytes = (objectBytes + pageSize() - 1) / pageSize() * pageSize();
    void *base = mapWithGuardPage(accessibleBytes);
    HostWord object = reinterpret_cast<HostWord>(static_cast<char *>(base) + accessibleBytes - objectBytes);
    setHeader(object, ObjectKind::Words, count);
    std::fill_n(words(object), count, fill);
    objects_.insert(object);
    guarded_.emplace(object, std::make_pair(base, accessibleBytes));
    return object;
}

HostWord ObjectMemory::newPointers(size_t count) {
    HostWord object = allocate(ObjectKind::Pointers, count, count * sizeof(HostWord));
    std::fill_n(slots(object), count, nil_);
    return object;
}

HostWord ObjectMemory::newFloat(double value) {
    HostWord object = allocate(ObjectKind::Float, 0, sizeof(double));
    std::memcpy(headerOf(object) + 1, &value, sizeof value);
    return object;
}

HostWord ObjectMemory::newPositiveInteger(uint32_t value) {
    if (fitsSmallInteger(value)) return smallInteger(static_cast<HostWord>(value));
    HostWord object = allocate(ObjectKind::LargePositiveInteger, 1, sizeof(uint32_t));
    *words(object) = value;
    return object;
}

HostWord ObjectMemory::newBitmapWithSlots(HostWord pixels, HostWord width, HostWord height, HostWord depth) {
    HostWord bitmap = newPointers(4);
    HostWord *body = slots(bitmap);
    body[0] = pixels;
    body[1] = width;
    body[2] = height;
    body[3] = depth;
    return bitmap;
}

HostWord ObjectMemory::newBitmap(int width, int height, int depth, uint32_t fill) {
    size_t count = depth == 16 ? size_t((width + 1) / 2) * height : size_t(width) * height;
    return newBitmapWithSlots(newWords(count, fill), smallInteger(width), smallInteger(height), smallInteger(depth));
}

bool ObjectMemory::isObject(HostWord object) const {
    return !isSmallInteger(object) && objects_.count(object) != 0;
}

ObjectKind ObjectMemory::kindOf(HostWord object) const {
    return static_cast<ObjectKind>(headerWord(object) & kKindMask);
}

size_t ObjectMemory::slotCount(HostWord object) const {
    return static_cast<size_t>(static_cast<uintptr_t>(headerWord(object)) >> kKindBits);
}

uint32_t *ObjectMemory::words(HostWord object) const { return reinterpret_cast<uint32_t *>(headerOf(object) + 1); }

HostWord *ObjectMemory::slots(HostWord object) const { return headerOf(object) + 1; }

double ObjectMemory::floatValue(HostWord object) const {
    double value;
    std::memcpy(&value, headerOf(object) + 1, sizeof value);
    return value;
}

uint32_t ObjectMemory::positiveIntegerValue(HostWord object) const {
    if (isSmallInteger(object)) return static_cast<uint32_t>(smallIntegerValue(object));
    return *words(object);
}

void ObjectMemory::clear() {
    for (HostWord object : objects_)
        if (object != true_ && object != false_ && object != nil_) release(object);
    objects_ = {true_, false_, nil_};
}

} // namespace host
