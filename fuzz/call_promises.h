// What every primitive promises the host, checked after each call: a
// failed call has set the failure flag, pushed and popped nothing and
// changed no byte of any object; a successful one has replaced the receiver
// and its arguments by exactly one result and written nothing but what it
// may write. A broken promise ends the run with a message, which the fuzzer
// reports as a finding with its input. Host thread.
#ifndef FUZZ_CALL_PROMISES_H
#define FUZZ_CALL_PROMISES_H

#include "interpreter.h"

#include <cstdint>
#include <vector>

namespace fuzzhost {

// The bytes of objects, headers included, as they were before a call.
class ObjectSnapshot {
public:
    ObjectSnapshot(const host::ObjectMemory &memory, const std::vector<HostWord> &objects);
    // The first object whose bytes differ, other than the one that may
    // change; 0 when none does.
    HostWord firstChanged(HostWord mayChange) const;

private:
    struct Copy {
        HostWord object;
        std::vector<uint8_t> bytes;
    };
    const host::ObjectMemory &memory_;
    std::vector<Copy> copies_;
};

// What a successful call answers.
enum class Answer { Receiver, SmallInteger, Float, PositiveInteger };

struct Expectation {
    const char *primitive;
    HostWord entriesReplaced; // receiver and arguments
    Answer answer;
    HostWord mayChange; // the one object a success may write, or 0
    bool popThenPush;   // answers with popStack and pushObject
};

// Checks the call's outcome against the stack as laid out before it;
// answers whether it succeeded.
bool checkPromises(host::Interpreter &vm, const std::vector<HostWord> &laidOut, const ObjectSnapshot &before,
                   const Expectation &expected);

// Ends the run with a message about a broken promise.
[[noreturn]] void brokenPromise(const char *primitive, const char *what);

} // namespace fuzzhost

#endif
