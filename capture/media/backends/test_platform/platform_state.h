// The test platform's shared state: the script, the log, the frame queue,
// the hold point and what the build handed over. Every field is guarded by
// mutex, except the live count.
#ifndef CAPTURE_TEST_PLATFORM_STATE_H
#define CAPTURE_TEST_PLATFORM_STATE_H

#include "test_platform.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace testplatform {

struct PlatformState {
    std::mutex mutex;
    std::condition_variable changed;
    Script script;
    LONG connectedWidth = 0, connectedHeight = 0; // as the DV decoder last set it
    std::vector<std::string> log;
    std::deque<Frame> frames;
    int delivered = 0;
    bool holdArmed = false, holding = false;
    Hold holdPoint = Hold::CreateGraph;
    AM_MEDIA_TYPE requestedType{};
    VIDEOINFOHEADER requestedFormat{};
    std::map<std::string, DWORD> contexts;
    ISampleGrabberCB *callback = nullptr; // the grabber's registration
    std::deque<GraphEvent> events;        // raised, not yet taken
    HANDLE eventsWaiting = nullptr;       // the latest graph's, set while events wait
    std::atomic<int> live{0};
};

PlatformState &state();

Script currentScript();
bool failing(Step step);
void record(const std::string &entry);
// Holds the calling thread here while a test has armed this point.
void checkpoint(Hold point);

} // namespace testplatform

#endif
