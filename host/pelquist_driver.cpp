#include "pelquist_driver.h"

#include <thread>

namespace host {

const char *decoderStatusText(int status) {
    switch (status) {
    case 1: return "success";
    case 2: return "no video input device";
    case 3: return "the media framework could not be started";
    case 4: return "the capture graph refused a step";
    case 5: return "the worker thread could not be started";
    case 6: return "a precondition is missing";
    case 7: return "the graph lacks an interface";
    case 9: return "the camera's media type was not accepted";
    case 10: return "decode size rejected";
    default: return "nothing reported";
    }
}

PelquistDriver::PelquistDriver(HostWord frameSemaphore, std::chrono::milliseconds patience)
    : frameSemaphore_(frameSemaphore), patience_(patience) {}

void PelquistDriver::attach(Interpreter &vm, Plugin &plugin) {
    vm_ = &vm;
    plugin_ = &plugin;
    receiver_ = vm.memory().newPointers(0);
}

bool PelquistDriver::bindAndInitialise() {
    return plugin_->bind(vm_->table()) == 1 && moduleEntry("initialiseModule") == HostWord(1);
}

std::optional<HostWord> PelquistDriver::moduleEntry(const char *entry) {
    auto function = reinterpret_cast<HostWord(HOST_CALL *)(void)>(plugin_->symbol(entry));
    if (function == nullptr) return std::nullopt;
    return function();
}

void PelquistDriver::checkCall(const char *, bool, HostWord) {}

bool PelquistDriver::call(const char *primitive, std::initializer_list<HostWord> arguments) {
    Plugin::Primitive entry = plugin_->primitive(primitive);
    if (entry == nullptr) {
        checkCall(primitive, false, 0);
        return false;
    }
    vm_->prepareCall(receiver_, arguments);
    checkCall(primitive, true, entry());
    return !vm_->failed();
}

int PelquistDriver::lastError() { return call("primDecoderGetLastError") ? int(answerInteger()) : 0; }

double PelquistDriver::lastSampleTime() {
    return call("primDecoderGetLastSampleTime") ? vm_->memory().floatValue(answerObject()) : 0.0;
}

uint32_t PelquistDriver::decodeSizeWord() {
    return call("primDecoderGetDecodeSize") ? vm_->memory().positiveIntegerValue(answerObject()) : 0;
}

FrameSize PelquistDriver::decodeSize() {
    const uint32_t size = decodeSizeWord();
    return {int(size >> 16), int(size & 0xFFFF)};
}

bool PelquistDriver::waitUntil(const std::function<bool()> &condition) { return pollUntil(condition, patience_); }

bool PelquistDriver::pollUntil(const std::function<bool()> &condition, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool PelquistDriver::awaitFrames(uint64_t count) { return vm_->waitForSignals(frameSemaphore_, count, patience_); }

bool PelquistDriver::awaitFramesStopped() {
    uint64_t seen = framesSignalled();
    auto quietSince = std::chrono::steady_clock::now();
    return waitUntil([&] {
        const uint64_t now = framesSignalled();
        if (now != seen) {
            seen = now;
            quietSince = std::chrono::steady_clock::now();
        }
        return std::chrono::steady_clock::now() - quietSince > std::chrono::seconds(1);
    });
}

bool PelquistDriver::startDecoder() { return call("primInitializeDecoder") && awaitBuild(); }

bool PelquistDriver::awaitBuild() {
    bool built = false;
    const bool ended = waitUntil([&] {
        const int status = lastError();
        if (status != 0 && status != 1) return true;
        return built = decodeSizeWord() != 0;
    });
    return ended && built;
}

bool PelquistDriver::showPreview(int left, int top, int width, int height) {
    return call("primDecoderSetRenderRect",
                {smallInteger(left), smallInteger(top), smallInteger(width), smallInteger(height)}) &&
           call("primDecoderShowWindow", {vm_->memory().trueObject()});
}

bool PelquistDriver::runWithFrameSemaphore() {
    return call("primSetFrameSemaphore", {smallInteger(frameSemaphore_)}) && call("primDecoderRun");
}

bool PelquistDriver::requestAndAwaitCapture() {
    const uint64_t before = framesSignalled();
    return call("primDecoderRequestCapture") && awaitFrames(before + 2);
}

HostWord PelquistDriver::captureIntoNewBitmap(int depth) {
    const FrameSize size = decodeSize();
    if (!requestAndAwaitCapture()) return 0;
    const HostWord bitmap = vm_->memory().newBitmap(size.width, size.height, depth);
    return copyInto(bitmap) ? bitmap : 0;
}

std::vector<uint32_t> PelquistDriver::wordsOf(HostWord bitmap) {
    ObjectMemory &memory = vm_->memory();
    const HostWord words = memory.slots(bitmap)[0];
    const uint32_t *first = memory.words(words);
    return std::vector<uint32_t>(first, first + memory.slotCount(words));
}

} // namespace host
