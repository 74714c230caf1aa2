#include "call_promises.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzzhost {

namespace {

using host::ObjectKind;
using host::ObjectMemory;
using host::StackEffect;

size_t bodyBytes(const ObjectMemory &memory, HostWord object) {
    switch (memory.kindOf(object)) {
    case ObjectKind::Pointers:
        return memory.slotCount(object) * sizeof(HostWord);
    case ObjectKind::Words:
    case ObjectKind::LargePositiveInteger:
        return memory.slotCount(object) * sizeof(uint32_t);
    case ObjectKind::Float:
        return sizeof(double);
    default:
        return 0;
    }
}

std::vector<uint8_t> bytesOf(const ObjectMemory &memory, HostWord object) {
    const auto *first = reinterpret_cast<const uint8_t *>(object);
    return std::vector<uint8_t>(first, first + sizeof(HostWord) + bodyBytes(memory, object));
}

bool answerIs(const ObjectMemory &memory, HostWord result, Answer answer, HostWord receiver) {
    switch (answer) {
    case Answer::Receiver:
        return result == receiver;
    case Answer::SmallInteger:
        return ObjectMemory::isSmallInteger(result);
    case Answer::Float:
        return memory.isObject(result) && memory.kindOf(result) == ObjectKind::Float;
    case Answer::PositiveInteger:
        if (ObjectMemory::isSmallInteger(result)) return ObjectMemory::smallIntegerValue(result) >= 0;
        return memory.isObject(result) && memory.kindOf(result) == ObjectKind::LargePositiveInteger;
    }
    return false;
}

} // namespace

ObjectSnapshot::ObjectSnapshot(const ObjectMemory &memory, const std::vector<HostWord> &objects) : memory_(memory) {
    for (HostWord object : objects)
        if (memory.isObject(object)) copies_.push_back({object, bytesOf(memory, object)});
}

HostWord ObjectSnapshot::firstChanged(HostWord mayChange) const {
    for (const Copy &copy : copies_)
        if (copy.object != mayChange && bytesOf(memory_, copy.object) != copy.bytes) return copy.object;
    return 0;
}

void brokenPromise(const char *primitive, const char *what) {
    std::fprintf(stderr, "\n*** %s: %s\n\n", primitive, what);
    std::abort();
}

bool checkPromises(host::Interpreter &vm, const std::vector<HostWord> &laidOut, const ObjectSnapshot &before,
                   const Expectation &expected) {
    const char *name = expected.primitive;
    if (vm.failed()) {
        if (!vm.stackEffects().empty()) brokenPromise(name, "failed, yet popped or pushed");
        if (vm.stack() != laidOut) brokenPromise(name, "failed, yet the stack changed");
        if (before.firstChanged(0) != 0) brokenPromise(name, "failed, yet an object changed");
        return false;
    }
    const size_t entries = size_t(expected.entriesReplaced);
    const HostWord receiver = laidOut[laidOut.size() - entries];
    const std::vector<StackEffect> &effects = vm.stackEffects();
    HostWord result = 0;
    if (expected.popThenPush) {
        if (effects.size() != 2 || !(effects[0] == StackEffect{StackEffect::PopStack, HostWord(entries), 0}) ||
            effects[1].kind != StackEffect::PushObject)
            brokenPromise(name, "succeeded without exactly one popStack and one pushObject");
        result = effects[1].object;
    } else {
        if (effects.size() != 1 || effects[0].kind != StackEffect::PopAndPush ||
            effects[0].count != HostWord(entries))
            brokenPromise(name, "succeeded without exactly one popAndPush of its receiver and arguments");
        result = effects[0].object;
    }
    std::vector<HostWord> answered(laidOut.begin(), laidOut.end() - long(entries));
    answered.push_back(result);
    if (vm.stack() != answered) brokenPromise(name, "succeeded, but the stack is not the one result over the rest");
    if (!answerIs(vm.memory(), result, expected.answer, receiver)) brokenPromise(name, "answered an object of the wrong kind");
    if (before.firstChanged(expected.mayChange) != 0) brokenPromise(name, "changed an object it may not write");
    return true;
}

} // namespace fuzzhost
