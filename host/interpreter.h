// The project's host interpreter: a value stack, the failure flag, the
// table of operations handed to plug-ins, host semaphores and the main
// window variable. One interpreter is current at a time; the table's
// entries act on it. Host-thread only, except where a function says so.
#ifndef HOST_INTERPRETER_H
#define HOST_INTERPRETER_H

#include "host_interface.h"
#include "object_memory.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <mutex>
#include <vector>

namespace host {

// One call a plug-in made to change the stack.
struct StackEffect {
    enum Kind { PopStack, PopAndPush, PushObject } kind;
    HostWord count;  // entries popped (0 for PushObject)
    HostWord object; // object pushed (0 for PopStack)
    bool operator==(const StackEffect &other) const {
        return kind == other.kind && count == other.count && object == other.object;
    }
};

class Interpreter {
public:
    Interpreter();
    ~Interpreter();
    Interpreter(const Interpreter &) = delete;
    Interpreter &operator=(const Interpreter &) = delete;

    // The interpreter the table's entries act on: the latest one alive.
    static Interpreter &current();

    ObjectMemory &memory() { return memory_; }
    const HostInterface *table() const { return &table_; }
    void setVersion(HostWord major, HostWord minor);
    HostWord majorVersion() const { return major_; }
    HostWord minorVersion() const { return minor_; }

    // Lays out a primitive call: receiver deepest, the last argument on top;
    // clears the failure flag and the record of stack effects.
    void prepareCall(HostWord receiver, std::initializer_list<HostWord> arguments);
    std::vector<HostWord> &stack() { return stack_; }
    const std::vector<StackEffect> &stackEffects() const { return effects_; }
    bool failed() const { return failed_; }
    void setFailed(bool failed) { failed_ = failed; }

    // The main window variable answered for lookupHostSymbol("stWindow", "").
    void offerWindow(HostWord handle);
    void withdrawWindow();

    // Semaphores: signalled from any thread.
    void signal(HostWord index);
    uint64_t signalCount(HostWord index);
    // Waits until semaphore index has been signalled at least count times.
    bool waitForSignals(HostWord index, uint64_t count, std::chrono::milliseconds timeout);
    void resetSignals();

    // The operations behind the table's entries, callable directly too.
    HostWord stackValue(HostWord depth);
    void popStack(HostWord count);
    void popAndPush(HostWord count, HostWord object);
    void pushObject(HostWord object);
    HostWord fail();

private:
    HostInterface table_{};
    ObjectMemory memory_;
    HostWord major_ = 1, minor_ = 5;
    std::vector<HostWord> stack_;
    std::vector<StackEffect> effects_;
    bool failed_ = false;
    bool windowOffered_ = false;
    HostWord windowVariable_ = 0;
    std::mutex signalMutex_;
    std::condition_variable signalled_;
    std::map<HostWord, uint64_t> signalCounts_;
    Interpreter *previous_;

    friend struct TableEntries;
};

} // namespace host

#endif
