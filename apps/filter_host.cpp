#include "filter_host.h"

#include <chrono>
#include <cstring>

namespace demo {

std::unique_ptr<FilterHost> FilterHost::open(const std::string &library, const std::string &directory,
                                             std::string *error) {
    std::unique_ptr<FilterHost> filterHost(new FilterHost());
    filterHost->plugin_ = host::Plugin::open(library, directory, error);
    if (filterHost->plugin_ == nullptr) return nullptr;
    if (filterHost->plugin_->bind(filterHost->interpreter_.table()) != 1) {
        *error = filterHost->plugin_->path() + " refused the interpreter (setInterpreter)";
        return nullptr;
    }
    return filterHost;
}

std::string FilterHost::moduleName() {
    const char *name = plugin_->moduleName();
    return name != nullptr ? name : "";
}

HostWord FilterHost::newBitmap(const Picture &picture) {
    host::ObjectMemory &memory = interpreter_.memory();
    return memory.newBitmapWithSlots(memory.newWords(picture.pixels), host::ObjectMemory::smallInteger(picture.width),
                            host::ObjectMemory::smallInteger(picture.height), host::ObjectMemory::smallInteger(32));
}

HostWord FilterHost::newFloat(double value) { return interpreter_.memory().newFloat(value); }

HostWord FilterHost::newKernel(const std::vector<float> &weights) {
    std::vector<uint32_t> words(weights.size());
    static_assert(sizeof(float) == sizeof(uint32_t), "kernel weights are 32-bit words");
    if (!weights.empty()) std::memcpy(words.data(), weights.data(), weights.size() * sizeof(float));
    return interpreter_.memory().newWords(words);
}

Picture FilterHost::pictureOf(HostWord bitmap) {
    host::ObjectMemory &memory = interpreter_.memory();
    const HostWord *slots = memory.slots(bitmap);
    Picture picture;
    picture.width = int(host::ObjectMemory::smallIntegerValue(slots[1]));
    picture.height = int(host::ObjectMemory::smallIntegerValue(slots[2]));
    const uint32_t *words = memory.words(slots[0]);
    picture.pixels.assign(words, words + memory.slotCount(slots[0]));
    return picture;
}

CallOutcome FilterHost::call(const char *primitive, const std::vector<HostWord> &arguments) {
    CallOutcome outcome;
    host::Plugin::Primitive function = plugin_->primitive(primitive);
    if (function == nullptr) {
        outcome.problem = "not exported by " + plugin_->path();
        return outcome;
    }
    // The filters answer their receiver; any object serves.
    const HostWord receiver = interpreter_.memory().nil();
    interpreter_.prepareCall(receiver, {});
    interpreter_.stack().insert(interpreter_.stack().end(), arguments.begin(), arguments.end());
    const auto start = std::chrono::steady_clock::now();
    function();
    const auto end = std::chrono::steady_clock::now();
    outcome.milliseconds = std::chrono::duration<double, std::milli>(end - start).count();

    const std::vector<HostWord> &stack = interpreter_.stack();
    if (interpreter_.failed())
        outcome.problem = "the primitive failed";
    else if (stack.size() != 1 || stack.back() != receiver)
        outcome.problem =
            "the primitive left " + std::to_string(stack.size()) + " stack entries instead of its receiver";
    else
        outcome.succeeded = true;
    return outcome;
}

} // namespace demo
