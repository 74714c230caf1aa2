// Drives Pelquist's primitives over the scriptable test platform with
// host stacks and platform scripts built from the fuzzer's bytes: devices
// that bind or not, failing graph steps, failing thread, event and memory
// calls, connected sizes around the 16- and 32-bit edges, a DV decoder that
// refuses sizes, frames of any length. The library is loaded once (the
// fuzzer's coverage counters live in its pages, so it is never unloaded);
// each input sets up the platform, runs a sequence of primitive calls,
// frames and new faults, and shuts the module down. After each call the promises of call_promises.h hold, the
// primitives that cannot fail did not, an argument of the wrong kind failed
// its primitive without touching the status; the worker settles within
// seconds after each post, and the module leaves no thread, handle, memory
// block or COM object behind.
#include "call_promises.h"
#include "host_object_generator.h"
#include "platform_faults.h"
#include "plugin_loader.h"
#include "test_platform.h"

#include <algorithm>
#include <cstdarg>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <thread>

namespace {

using fuzzhost::Answer;
using fuzzhost::Role;
using host::ObjectMemory;
using testplatform::Step;

struct Form {
    const char *name;
    std::vector<Role> arguments; // from the deepest to depth 0
    Answer answer;
    bool neverFails;
    bool posts; // leaves work to the worker when it answers 1
};

const Form kForms[] = {
    {"primInitializeDecoder", {}, Answer::SmallInteger, false, true},
    {"primShutdownDecoder", {}, Answer::SmallInteger, true, true},
    {"primDecoderRun", {}, Answer::SmallInteger, false, true},
    {"primDecoderPause", {}, Answer::SmallInteger, false, true},
    {"primDecoderStop", {}, Answer::SmallInteger, false, true},
    {"primDecoderRequestCapture", {}, Answer::SmallInteger, false, false},
    {"primDecoderShowWindow", {Role::Boolean}, Answer::SmallInteger, false, false},
    {"primDecoderSetRenderRect", {Role::Integer, Role::Integer, Role::Integer, Role::Integer}, Answer::SmallInteger,
     false, false},
    {"primDecoderSetDecodeSize", {Role::Integer, Role::Integer}, Answer::SmallInteger, false, false},
    {"primDecoderGetDecodeSize", {}, Answer::PositiveInteger, true, false},
    {"primDecoderGetLastError", {}, Answer::SmallInteger, true, false},
    {"primDecoderGetLastSampleTime", {}, Answer::Float, true, false},
    {"primSetFrameSemaphore", {Role::Integer}, Answer::SmallInteger, false, false},
    {"primDecoderCopyLastCapturedFrameInto", {Role::Bitmap}, Answer::SmallInteger, false, false},
};

const media::Fault kFaults[] = {media::Fault::CreateEvent, media::Fault::CreateThread, media::Fault::SetThreadPriority,
                                media::Fault::ResumeThread, media::Fault::WaitForEvent, media::Fault::VirtualAlloc};

const HRESULT kCoInitializeResults[] = {S_OK, S_FALSE, E_FAIL};

// Connected sizes: the DV decoder's, small ones, and the edges of the
// frame buffer's limits; a buffer beyond a gigabyte is left out (slow, not
// wrong: its allocation succeeds or is refused like any other).
const LONG kSides[] = {320, 240, 720, 480, 88, 60, 1, 2, 3, 7, 0, -1, -240, 0xFFFF, 0x10000, 0x7FFFFFFF,
                       LONG(0x80000000u)};
constexpr double kLargestFrameBytes = double(1 << 30);

const int kDvDisplays[] = {DVRESOLUTION_FULL, DVRESOLUTION_HALF, DVRESOLUTION_QUARTER, DVRESOLUTION_DC};

constexpr auto kSettleTime = std::chrono::seconds(10);
constexpr auto kFrameTime = std::chrono::milliseconds(2000);
constexpr size_t kMostSteps = 24;

host::Interpreter *vm = nullptr;
host::Plugin *pelquist = nullptr;
// FUZZ_TRACE=1 prints each step, for reading a finding.
bool tracing = false;

void trace(const char *format, ...) __attribute__((format(printf, 1, 2)));
void trace(const char *format, ...) {
    if (!tracing) return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
}

template <typename T, size_t N> T pick(FuzzedDataProvider &input, const T (&table)[N]) {
    return table[input.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

// One time in eight, on average; never once the input is used up, which
// makes what an exhausted input answers the plain case.
bool rarely(FuzzedDataProvider &input) { return input.ConsumeIntegralInRange(0, 7) == 7; }

testplatform::Script scriptFrom(FuzzedDataProvider &input) {
    testplatform::Script script;
    script.devices.clear();
    const int devices = rarely(input) ? 0 : input.ConsumeIntegralInRange(1, 2);
    for (int i = 0; i < devices; ++i) script.devices.push_back({!rarely(input), !rarely(input)});
    for (int step = 0; step <= int(Step::VideoWindow); ++step)
        if (input.ConsumeIntegralInRange(0, 15) == 15) script.failing.insert(Step(step));
    script.connectedWidth = pick(input, kSides);
    script.connectedHeight = pick(input, kSides);
    if (double(script.connectedWidth) * double(script.connectedHeight) * 4 > kLargestFrameBytes) script.connectedHeight = 2;
    script.formatBlockMissing = rarely(input);
    script.hasDvDecoder = input.ConsumeBool();
    for (int display : kDvDisplays)
        if (rarely(input)) script.dvDecoder.refusedDisplays.insert(display);
    return script;
}

testplatform::Frame frameFrom(FuzzedDataProvider &input, const testplatform::Script &script) {
    testplatform::Frame frame;
    frame.sampleTime = input.ConsumeFloatingPoint<double>();
    size_t length = input.ConsumeIntegralInRange<size_t>(0, 4096);
    if (input.ConsumeBool() && script.connectedWidth > 0 && script.connectedHeight > 0 &&
        int64_t(script.connectedWidth) * script.connectedHeight <= (int64_t(1) << 20))
        length = ((size_t(script.connectedWidth) * 3 + 3) & ~size_t(3)) * size_t(script.connectedHeight);
    frame.bytes.assign(length, input.ConsumeIntegral<uint8_t>());
    for (size_t i = 0; i < std::min<size_t>(length, 64); ++i) frame.bytes[i * (length / 64 + 1) % length] ^= uint8_t(i);
    return frame;
}

bool eventually(std::chrono::steady_clock::duration patience, const std::function<bool()> &condition) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Whether the platform's graph streams: Run was its last state change and
// the graph has not been released since.
bool streaming(testplatform::TestPlatform &platform) {
    const std::vector<std::string> log = platform.log();
    for (auto entry = log.rbegin(); entry != log.rend(); ++entry) {
        if (*entry == "Run") return true;
        if (*entry == "Pause" || *entry == "Stop" || *entry == "Release FilterGraph") return false;
    }
    return false;
}

HostWord moduleEntry(const char *name) {
    auto entry = reinterpret_cast<HostWord(HOST_CALL *)(void)>(pelquist->symbol(name));
    if (entry == nullptr) fuzzhost::brokenPromise(name, "is not exported");
    return entry();
}

// A primitive without arguments that cannot fail, for what it answers.
HostWord read(const char *name) {
    vm->prepareCall(vm->memory().nil(), {});
    pelquist->primitive(name)();
    if (vm->failed() || vm->stack().size() != 1) fuzzhost::brokenPromise(name, "failed to answer");
    return vm->stack().back();
}

class Session {
public:
    Session(FuzzedDataProvider &input) : input_(input) {
        media::clearFaults();
        script_ = scriptFrom(input);
        platform_.configure(script_);
        trace("script: %zu devices, %zu failing steps, connected %d x %d, DV decoder %d\n", script_.devices.size(),
              script_.failing.size(), int(script_.connectedWidth), int(script_.connectedHeight), int(script_.hasDvDecoder));
        for (media::Fault fault : kFaults)
            if (rarely(input)) armFault(fault);
        if (rarely(input)) media::setCoInitializeResult(pick(input, kCoInitializeResults));
        if (rarely(input)) vm->withdrawWindow();
        else vm->offerWindow(input.ConsumeBool() ? 0x2A : input.ConsumeIntegral<HostWord>());
        before_ = media::platformCounts();
        moduleEntry("initialiseModule");
    }

    ~Session() {
        platform_.releaseHold();
        media::clearFaults();
        moduleEntry("shutdownModule");
        const media::PlatformCounts after = media::platformCounts();
        if (after.threadsRunning != 0) fuzzhost::brokenPromise("shutdownModule", "returned with the worker running");
        if (platform_.liveObjects() != 0) fuzzhost::brokenPromise("shutdownModule", "left COM objects alive");
        if (after.openHandles != before_.openHandles) fuzzhost::brokenPromise("shutdownModule", "left handles open");
        if (after.handleMisuses != before_.handleMisuses) fuzzhost::brokenPromise("the module", "misused a handle");
        if (after.pageBlocks != before_.pageBlocks) fuzzhost::brokenPromise("shutdownModule", "left the frame buffer");
        if (after.taskMemoryBlocks != before_.taskMemoryBlocks)
            fuzzhost::brokenPromise("shutdownModule", "left task memory");
        if (after.comInitialisations != before_.comInitialisations)
            fuzzhost::brokenPromise("shutdownModule", "left COM initialised");
    }

    void run() {
        if (input_.ConsumeBool()) prologue();
        for (size_t step = 0; step < kMostSteps && input_.remaining_bytes() > 0; ++step) {
            switch (input_.ConsumeIntegralInRange(0, 19)) {
            case 14:
            case 15:
                deliverFrame();
                break;
            case 16:
                armFault(pick(input_, kFaults));
                break;
            case 17:
                script_ = scriptFrom(input_);
                platform_.configure(script_);
                break;
            default:
                call(kForms[input_.ConsumeIntegralInRange<size_t>(0, std::size(kForms) - 1)]);
                break;
            }
        }
    }

private:
    static void armFault(media::Fault fault) {
        trace("fault armed: %d\n", int(fault));
        media::failNext(fault);
    }


    void call(const Form &form) {
        const testplatform::Script script = platform_.script();
        fuzzhost::ObjectGenerator generator(input_, vm->memory(), script.connectedWidth, script.connectedHeight);
        std::vector<HostWord> laidOut;
        for (size_t extra = input_.ConsumeIntegralInRange<size_t>(0, 2); extra > 0; --extra)
            laidOut.push_back(generator.make(Role::Any));
        laidOut.push_back(generator.make(Role::Any));
        for (Role role : form.arguments) laidOut.push_back(generator.make(role));
        call(form, laidOut, generator.made());
    }

    // The way into the deeper states, which random calls rarely find: a
    // start, the window shown, frames signalled and the graph run, each
    // with arguments of their kind.
    void prologue() {
        ObjectMemory &memory = vm->memory();
        const HostWord receiver = memory.nil();
        call(formNamed("primInitializeDecoder"), {receiver}, {});
        call(formNamed("primDecoderShowWindow"), {receiver, memory.trueObject()}, {});
        call(formNamed("primSetFrameSemaphore"), {receiver, ObjectMemory::smallInteger(3)}, {});
        call(formNamed("primDecoderRun"), {receiver}, {});
    }

    static const Form &formNamed(const char *name) {
        for (const Form &form : kForms)
            if (std::strcmp(form.name, name) == 0) return form;
        std::abort();
    }

    void call(const Form &form, const std::vector<HostWord> &laidOut, const std::vector<HostWord> &made) {
        ObjectMemory &memory = vm->memory();
        const size_t entries = form.arguments.size() + 1;
        const bool argumentsOfTheirKind = argumentsWellFormed(form, laidOut);
        const HostWord writable = form.arguments.size() == 1 && form.arguments[0] == Role::Bitmap &&
                                          isPointers(laidOut.back()) && memory.slotCount(laidOut.back()) > 0
                                      ? memory.slots(laidOut.back())[0]
                                      : 0;
        const HostWord statusBefore = read("primDecoderGetLastError");
        const int waitsBefore = media::platformCounts().eventWaits;
        fuzzhost::ObjectSnapshot before(memory, made);

        vm->prepareCall(laidOut.front(), {});
        vm->stack() = laidOut;
        if (pelquist->primitive(form.name)() != 0) fuzzhost::brokenPromise(form.name, "returned other than 0");

        trace("%s: %s, answer %ld\n", form.name, vm->failed() ? "failed" : "succeeded",
              vm->failed() ? 0L : long(vm->stack().back()));
        const bool popThenPush = std::strcmp(form.name, "primDecoderGetDecodeSize") == 0;
        const fuzzhost::Expectation expected{form.name, HostWord(entries), form.answer, writable, popThenPush};
        const bool succeeded = fuzzhost::checkPromises(*vm, laidOut, before, expected);
        if (!succeeded && form.neverFails) fuzzhost::brokenPromise(form.name, "failed, though it never fails");
        if (!argumentsOfTheirKind) {
            if (succeeded) fuzzhost::brokenPromise(form.name, "succeeded on an argument of the wrong kind");
            // The copy reads the bitmap's slots without testing each, and
            // consults the frame (status 1) even when one was refused.
            const bool readsABitmap = form.arguments.size() == 1 && form.arguments[0] == Role::Bitmap;
            if (!readsABitmap && read("primDecoderGetLastError") != statusBefore)
                fuzzhost::brokenPromise(form.name, "changed the status on an argument of the wrong kind");
        }
        if (!succeeded && std::strcmp(form.name, "primDecoderSetRenderRect") == 0 && argumentsOfTheirKind)
            fuzzhost::brokenPromise(form.name, "refused a rectangle of SmallIntegers");
        if (succeeded && form.posts && vm->stack().back() == ObjectMemory::smallInteger(1)) settle(form.name, waitsBefore);
    }

    // The worker, told something, takes it up and waits again, or ends.
    void settle(const char *name, int waitsBefore) {
        if (!eventually(kSettleTime, [&] {
                media::PlatformCounts counts = media::platformCounts();
                return counts.eventWaits > waitsBefore || counts.threadsRunning == 0;
            }))
            fuzzhost::brokenPromise(name, "the worker did not settle within ten seconds");
    }

    void deliverFrame() {
        testplatform::Frame frame = frameFrom(input_, platform_.script());
        const bool flowing = streaming(platform_);
        trace("frame of %zu bytes%s\n", frame.bytes.size(), flowing ? ", streaming" : "");
        platform_.pushFrame(std::move(frame));
        ++framesPushed_;
        if (flowing) platform_.waitForFramesDelivered(framesPushed_, kFrameTime);
    }

    bool isPointers(HostWord object) {
        return vm->memory().isObject(object) && vm->memory().kindOf(object) == host::ObjectKind::Pointers;
    }

    // The host's reads of each argument succeed: SmallIntegers where the
    // primitive reads integers, true or false where it reads a Boolean, a
    // bitmap of four slots whose width, height and depth are SmallIntegers
    // of a depth of 16 or more with a word array.
    bool argumentsWellFormed(const Form &form, const std::vector<HostWord> &laidOut) {
        ObjectMemory &memory = vm->memory();
        for (size_t i = 0; i < form.arguments.size(); ++i) {
            HostWord argument = laidOut[laidOut.size() - form.arguments.size() + i];
            switch (form.arguments[i]) {
            case Role::Integer:
                if (!ObjectMemory::isSmallInteger(argument)) return false;
                break;
            case Role::Boolean:
                if (argument != memory.trueObject() && argument != memory.falseObject()) return false;
                break;
            case Role::Bitmap: {
                if (!isPointers(argument) || memory.slotCount(argument) < 4) return false;
                const HostWord *slots = memory.slots(argument);
                if (!memory.isObject(slots[0]) || memory.kindOf(slots[0]) != host::ObjectKind::Words) return false;
                for (int slot = 1; slot < 4; ++slot)
                    if (!ObjectMemory::isSmallInteger(slots[slot])) return false;
                if (ObjectMemory::smallIntegerValue(slots[3]) < 16) return false;
                break;
            }
            default:
                break;
            }
        }
        return true;
    }

    FuzzedDataProvider &input_;
    testplatform::TestPlatform platform_;
    testplatform::Script script_;
    media::PlatformCounts before_{};
    int framesPushed_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    tracing = std::getenv("FUZZ_TRACE") != nullptr;
    vm = new host::Interpreter();
    std::string error;
    pelquist = host::Plugin::open("Pelquist", host::Plugin::defaultDirectory(), &error).release();
    if (pelquist == nullptr || pelquist->bind(vm->table()) != 1) {
        std::fprintf(stderr, "cannot load Pelquist: %s\n", error.c_str());
        std::exit(1);
    }
    // A library just loaded has nothing reported.
    if (read("primDecoderGetLastError") != ObjectMemory::smallInteger(0))
        fuzzhost::brokenPromise("a fresh load", "the status is not 0");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    vm->memory().clear();
    Session session(input);
    session.run();
    return 0;
}
