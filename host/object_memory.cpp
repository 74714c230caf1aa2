#include "object_memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace host {

namespace {
// Header word: the kind in the low 4 bits, the slot count above them.
constexpr int kKindBits = 4;
constexpr HostWord kKindMask = (1 << kKindBits) - 1;
} // namespace

ObjectMemory::ObjectMemory() {
    true_ = allocate(ObjectKind::True, 0, 0);
    false_ = allocate(ObjectKind::False, 0, 0);
    nil_ = allocate(ObjectKind::Nil, 0, 0);
}

ObjectMemory::~ObjectMemory() {
    for (HostWord object : objects_) std::free(headerOf(object));
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
    *headerOf(object) = static_cast<HostWord>(count << kKindBits) | static_cast<HostWord>(kind);
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
    return static_cast<ObjectKind>(*headerOf(object) & kKindMask);
}

size_t ObjectMemory::slotCount(HostWord object) const {
    return static_cast<size_t>(static_cast<uintptr_t>(*headerOf(object)) >> kKindBits);
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
        if (object != true_ && object != false_ && object != nil_) std::free(headerOf(object));
    objects_ = {true_, false_, nil_};
}

} // namespace host
