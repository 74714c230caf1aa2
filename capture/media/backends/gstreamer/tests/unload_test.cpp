// The host lets the library go, with or without shutdownModule: nothing of
// it runs or signals afterwards, the library is unmapped, and a reload
// starts from a zeroed state as at the first load.
#include "live_capture_fixture.h"

#include "platform_faults.h"

#include <dirent.h>
#include <dlfcn.h>

#include <chrono>
#include <string>
#include <thread>

namespace livetest {
namespace {

int threadCount() {
    int threads = 0;
    if (DIR *tasks = opendir("/proc/self/task")) {
        while (dirent *entry = readdir(tasks))
            if (entry->d_name[0] != '.') ++threads;
        closedir(tasks);
    }
    return threads;
}

class UnloadedCapture : public LiveCaptureTest {
protected:
    // Closes the shared plug-in, checks that it is gone from the process,
    // and loads and binds it again, without initialiseModule.
    void unloadAndReload() {
        std::string path = plugin->path();
        delete plugin;
        plugin = nullptr;
        void *left = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        EXPECT_EQ(left, nullptr) << path << " is still mapped";
        if (left != nullptr) dlclose(left);
        loadPlugin();
        ASSERT_NE(plugin, nullptr);
        attach(vm, *plugin);
        ASSERT_EQ(plugin->bind(vm.table()), 1);
    }

    void expectZeroedState() {
        EXPECT_EQ(lastError(), 0);
        EXPECT_EQ(lastSampleTime(), 0.0);
        EXPECT_EQ(decodeSize(), FrameSize{});
        EXPECT_FALSE(call("primDecoderRequestCapture"));
    }
};

TEST_F(UnloadedCapture, AReloadAfterShutdownModuleStartsFromZero) {
    startCapture({rawCamera("BGR", 64, 48)});
    ASSERT_GT(lastSampleTime(), 0.0);
    shutdownModule();
    EXPECT_EQ(media::platformCounts().threadsRunning, 0);
    unloadAndReload();
    expectZeroedState();
}

// The library's unload shuts the worker down: from then on no frame is
// signalled, and the threads the capture started are gone.
TEST_F(UnloadedCapture, AnUnloadWithoutShutdownModuleLeavesNothingRunning) {
    int threadsBefore = threadCount();
    startCapture({rawCamera("BGR", 64, 48, 60)});
    ASSERT_TRUE(call("primDecoderRequestCapture"));
    unloadAndReload();
    uint64_t signalled = framesSignalled();
    EXPECT_EQ(media::platformCounts().threadsRunning, 0);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_EQ(framesSignalled(), signalled);
    // Idle pool threads may take a while to go.
    EXPECT_TRUE(eventually([&] { return threadCount() <= threadsBefore; }))
        << threadCount() << " threads, " << threadsBefore << " before the capture";
    expectZeroedState();
}

} // namespace
} // namespace livetest
