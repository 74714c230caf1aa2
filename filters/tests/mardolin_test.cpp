#include "mardolin_test.h"

#include <cstring>
#include <thread>

namespace mardolin_test {

std::unique_ptr<host::Plugin> openMardolin() {
    std::string error;
    auto plugin = host::Plugin::open("Mardolin", host::Plugin::defaultDirectory(), &error);
    EXPECT_NE(plugin, nullptr) << error;
    return plugin;
}

void MardolinTest::SetUp() {
    plugin = openLibrary();
    ASSERT_NE(plugin, nullptr);
    ASSERT_EQ(plugin->bind(vm.table()), 1);
    receiver = om.newPointers(0);
}

HostWord MardolinTest::bitmap(int width, int height, const std::vector<uint32_t> &pixels) {
    return om.newBitmapWithSlots(om.newWords(pixels), integer(width), integer(height), integer(32));
}

HostWord MardolinTest::bitmap(int width, int height, uint32_t fill) { return om.newBitmap(width, height, 32, fill); }

HostWord MardolinTest::kernel(const std::vector<float> &weights) {
    std::vector<uint32_t> words(weights.size());
    std::memcpy(words.data(), weights.data(), weights.size() * sizeof(float));
    return om.newWords(words);
}

std::vector<uint32_t> MardolinTest::pixelsOf(HostWord bitmap) const { return wordsOf(om.slots(bitmap)[0]); }

std::vector<uint32_t> MardolinTest::wordsOf(HostWord wordObject) const {
    const uint32_t *words = om.words(wordObject);
    return std::vector<uint32_t>(words, words + om.slotCount(wordObject));
}

host::Plugin::Primitive MardolinTest::primitiveNamed(const char *name) {
    host::Plugin::Primitive primitive = plugin->primitive(name);
    EXPECT_NE(primitive, nullptr) << name;
    return primitive;
}

void MardolinTest::layOut(const std::vector<HostWord> &arguments) {
    vm.prepareCall(receiver, {});
    vm.stack().insert(vm.stack().end(), arguments.begin(), arguments.end());
    laidOut_ = vm.stack();
    argumentCount_ = arguments.size();
}

void MardolinTest::call(const char *primitive, const std::vector<HostWord> &arguments) {
    host::Plugin::Primitive entry = primitiveNamed(primitive);
    layOut(arguments);
    if (entry != nullptr) entry();
}

void MardolinTest::callOnFreshThread(const char *primitive, const std::vector<HostWord> &arguments) {
    host::Plugin::Primitive entry = primitiveNamed(primitive);
    layOut(arguments);
    if (entry != nullptr) onFreshThread([entry] { entry(); });
}

void MardolinTest::onFreshThread(const std::function<void()> &steps) {
    std::thread thread(steps);
    thread.join();
}

::testing::AssertionResult MardolinTest::answeredReceiver() {
    if (vm.failed()) return ::testing::AssertionFailure() << "the failure flag is set";
    const std::vector<host::StackEffect> expected = {
        {host::StackEffect::PopAndPush, static_cast<HostWord>(argumentCount_ + 1), receiver}};
    if (vm.stackEffects() != expected)
        return ::testing::AssertionFailure() << vm.stackEffects().size() << " stack effects, not one popAndPush("
                                             << argumentCount_ + 1 << ", receiver)";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult MardolinTest::failedCleanly() {
    if (!vm.failed()) return ::testing::AssertionFailure() << "the failure flag is not set";
    if (!vm.stackEffects().empty())
        return ::testing::AssertionFailure() << vm.stackEffects().size() << " stack effects after a failure";
    if (vm.stack() != laidOut_) return ::testing::AssertionFailure() << "the stack changed";
    return ::testing::AssertionSuccess();
}

} // namespace mardolin_test
