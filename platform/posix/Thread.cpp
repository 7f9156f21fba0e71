#include "platform/Thread.h"

#include <pthread.h>

#include <memory>

namespace platform {
namespace {

void* RunWork(void* argument) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(argument));
    (*work)();
    return nullptr;
}

}  // namespace

bool StartDetachedThread(std::function<void()> work, std::size_t stackBytes) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackBytes > 0) pthread_attr_setstacksize(&attributes, stackBytes);
    auto* argument = new std::function<void()>(std::move(work));
    pthread_t thread;
    bool started = pthread_create(&thread, &attributes, RunWork, argument) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) delete argument;
    return started;
}

}  // namespace platform
