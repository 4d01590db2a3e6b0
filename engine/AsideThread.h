#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace Quorvane {

// One piece of work running beside the calling thread: on a kept helper thread when one is free,
// else on a thread started for it. The helpers outlive the passes: once done, a helper keeps
// looking for the next piece for a short while before it sleeps (the caller looks for the end of
// a piece only briefly), since on a virtual machine starting a thread or waking a core that slept
// takes from a tenth of a millisecond to several (measured here), as long as many a pass's share.
class AsideThread
{
public:
    // Starts work, which must not throw. Throws std::system_error when no thread can be had.
    explicit AsideThread(std::function<void()> work);
    // Waits for the work to end.
    ~AsideThread();
    AsideThread(const AsideThread &) = delete;
    AsideThread &operator=(const AsideThread &) = delete;

    // Waits at most timeout for the work to end; returns whether it has.
    bool waitFor(std::chrono::milliseconds timeout);

    struct Completion;

private:
    std::shared_ptr<Completion> m_completion;
    std::jthread m_thread; // only when no helper was free
};

} // namespace Quorvane
