#include "interpreter.h"

#include <cstring>

namespace host {

namespace {
Interpreter *currentInterpreter = nullptr;
}

// The plain functions whose addresses go into the table.
struct TableEntries {
    static Interpreter &vm() { return Interpreter::current(); }
    static ObjectMemory &om() { return vm().memory_; }

    static HostWord HOST_CALL minorVersion() { return vm().minor_; }
    static HostWord HOST_CALL majorVersion() { return vm().major_; }
    static HostWord HOST_CALL popStack(HostWord count) {
        vm().popStack(count);
        return 0;
    }
    static HostWord HOST_CALL popAndPush(HostWord count, HostWord object) {
        vm().popAndPush(count, object);
        return 0;
    }
    static HostWord HOST_CALL pushObject(HostWord object) {
        vm().pushObject(object);
        return 0;
    }
    static HostWord HOST_CALL objectArgAt(HostWord depth) { return vm().stackValue(depth); }
    static double HOST_CALL floatArgAt(HostWord depth) { return floatOf(vm().stackValue(depth)); }
    static HostWord HOST_CALL integerArgAt(HostWord depth) {
        HostWord value = vm().stackValue(depth);
        if (ObjectMemory::isSmallInteger(value)) return ObjectMemory::smallIntegerValue(value);
        vm().fail();
        return 0;
    }
    static bool isPointers(HostWord object) {
        return om().isObject(object) && om().kindOf(object) == ObjectKind::Pointers;
    }
    static HostWord HOST_CALL slotOf(HostWord index, HostWord object) {
        if (!isPointers(object) || index < 0 || size_t(index) >= om().slotCount(object)) {
            vm().fail();
            return om().nil();
        }
        return om().slots(object)[index];
    }
    static HostWord HOST_CALL integerSlotOf(HostWord index, HostWord object) {
        HostWord value = slotOf(index, object);
        if (ObjectMemory::isSmallInteger(value)) return ObjectMemory::smallIntegerValue(value);
        vm().fail();
        return 0;
    }
    static void *HOST_CALL firstWordOf(HostWord object) {
        if (ObjectMemory::isSmallInteger(object)) {
            vm().fail();
            return nullptr;
        }
        return reinterpret_cast<HostWord *>(object) + 1;
    }
    static HostWord HOST_CALL slotCountOf(HostWord object) {
        if (!om().isObject(object)) return 0;
        ObjectKind kind = om().kindOf(object);
        if (kind != ObjectKind::Pointers && kind != ObjectKind::Words) return 0;
        return static_cast<HostWord>(om().slotCount(object));
    }
    static HostWord HOST_CALL isWordObject(HostWord object) {
        return om().isObject(object) && om().kindOf(object) == ObjectKind::Words;
    }
    static HostWord HOST_CALL booleanOf(HostWord object) {
        if (object == om().trueObject()) return 1;
        if (object == om().falseObject()) return 0;
        vm().fail();
        return 0;
    }
    static HostWord HOST_CALL newFloat(double value) { return om().newFloat(value); }
    static double HOST_CALL floatOf(HostWord object) {
        if (om().isObject(object) && om().kindOf(object) == ObjectKind::Float) return om().floatValue(object);
        vm().fail();
        return 0.0;
    }
    static HostWord HOST_CALL newSmallInteger(HostWord value) { return ObjectMemory::smallInteger(value); }
    static HostWord HOST_CALL newPositiveInteger(uint32_t value) { return om().newPositiveInteger(value); }
    static HostWord HOST_CALL hasFailed() { return vm().failed_ ? 1 : 0; }
    static HostWord HOST_CALL fail() { return vm().fail(); }
    static HostWord HOST_CALL signalSemaphore(HostWord index) {
        vm().signal(index);
        return 0;
    }
    static void *HOST_CALL lookupHostSymbol(const char *name, const char *module) {
        Interpreter &interpreter = vm();
        if (interpreter.windowOffered_ && name != nullptr && module != nullptr && std::strcmp(name, "stWindow") == 0 &&
            module[0] == '\0')
            return &interpreter.windowVariable_;
        return nullptr;
    }

    static void fill(HostInterface &table) {
        table.interfaceMinorVersion = minorVersion;
        table.interfaceMajorVersion = majorVersion;
        table.popStack = popStack;
        table.popAndPush = popAndPush;
        table.pushObject = pushObject;
        table.floatArgAt = floatArgAt;
        table.integerArgAt = integerArgAt;
        table.objectArgAt = objectArgAt;
        table.valueAt = objectArgAt;
        table.integerSlotOf = integerSlotOf;
        table.slotOf = slotOf;
        table.firstWordOf = firstWordOf;
        table.slotCountOf = slotCountOf;
        table.isWordObject = isWordObject;
        table.booleanOf = booleanOf;
        table.newFloat = newFloat;
        table.floatOf = floatOf;
        table.newSmallInteger = newSmallInteger;
        table.newPositiveInteger = newPositiveInteger;
        table.hasFailed = hasFailed;
        table.fail = fail;
        table.signalSemaphore = signalSemaphore;
        table.lookupHostSymbol = lookupHostSymbol;
    }
};

Interpreter::Interpreter() : previous_(currentInterpreter) {
    TableEntries::fill(table_);
    currentInterpreter = this;
}

Interpreter::~Interpreter() { currentInterpreter = previous_; }

Interpreter &Interpreter::current() { return *currentInterpreter; }

void Interpreter::setVersion(HostWord major, HostWord minor) {
    major_ = major;
    minor_ = minor;
}

void Interpreter::prepareCall(HostWord receiver, std::initializer_list<HostWord> arguments) {
    stack_.clear();
    stack_.push_back(receiver);
    stack_.insert(stack_.end(), arguments.begin(), arguments.end());
    effects_.clear();
    failed_ = false;
}

HostWord Interpreter::stackValue(HostWord depth) {
    if (depth < 0 || size_t(depth) >= stack_.size()) {
        fail();
        return memory_.nil();
    }
    return stack_[stack_.size() - 1 - size_t(depth)];
}

void Interpreter::popStack(HostWord count) {
    effects_.push_back({StackEffect::PopStack, count, 0});
    if (count < 0 || size_t(count) > stack_.size()) {
        fail();
        return;
    }
    stack_.resize(stack_.size() - size_t(count));
}

void Interpreter::popAndPush(HostWord count, HostWord object) {
    effects_.push_back({StackEffect::PopAndPush, count, object});
    if (count < 0 || size_t(count) > stack_.size()) {
        fail();
        return;
    }
    stack_.resize(stack_.size() - size_t(count));
    stack_.push_back(object);
}

void Interpreter::pushObject(HostWord object) {
    effects_.push_back({StackEffect::PushObject, 0, object});
    stack_.push_back(object);
}

HostWord Interpreter::fail() {
    failed_ = true;
    return 0;
}

void Interpreter::offerWindow(HostWord handle) {
    windowOffered_ = true;
    windowVariable_ = handle;
}

void Interpreter::withdrawWindow() {
    windowOffered_ = false;
    windowVariable_ = 0;
}

void Interpreter::signal(HostWord index) {
    {
        std::lock_guard<std::mutex> lock(signalMutex_);
        ++signalCounts_[index];
    }
    signalled_.notify_all();
}

uint64_t Interpreter::signalCount(HostWord index) {
    std::lock_guard<std::mutex> lock(signalMutex_);
    auto found = signalCounts_.find(index);
    return found == signalCounts_.end() ? 0 : found->second;
}

bool Interpreter::waitForSignals(HostWord index, uint64_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(signalMutex_);
    return signalled_.wait_for(lock, timeout, [&] { return signalCounts_[index] >= count; });
}

void Interpreter::resetSignals() {
    std::lock_guard<std::mutex> lock(signalMutex_);
    signalCounts_.clear();
}

} // namespace host
