#include "TemporaryNameGuard.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace Quorvane {

namespace {

// SIGBUS: a mapped input cut short while its texts are being written out.
constexpr std::array kSignals = {SIGINT, SIGTERM, SIGHUP, SIGBUS};
constexpr int kSlots = 4;
constexpr std::size_t kNameSize = 64;

struct Slot
{
    std::atomic<bool> used{false};
    int folder = -1;
    char name[kNameSize] = {};
};

Slot g_slots[kSlots];
struct sigaction g_previous[kSignals.size()];
bool g_installed[kSignals.size()] = {};
int g_guards = 0;
std::mutex g_mutex;

// Only async-signal-safe calls here.
void removeTemporariesThenGoOn(int signal)
{
    for (Slot &slot : g_slots) {
        if (slot.used.load())
            ::unlinkat(slot.folder, slot.name, 0);
    }
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (kSignals[i] == signal && g_installed[i])
            ::sigaction(signal, &g_previous[i], nullptr);
    }
    // Delivered again once this handler returns, now to what was there before.
    ::raise(signal);
}

void install()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction current {};
        ::sigaction(kSignals[i], nullptr, &current);
        g_installed[i] = current.sa_handler != SIG_IGN;
        if (!g_installed[i])
            continue;
        struct sigaction action {};
        action.sa_handler = removeTemporariesThenGoOn;
        sigfillset(&action.sa_mask);
        ::sigaction(kSignals[i], &action, &g_previous[i]);
    }
}

void uninstall()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (g_installed[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
}

} // namespace

TemporaryNameGuard::TemporaryNameGuard(int folder, const char *name)
{
    const std::lock_guard lock(g_mutex);
    m_slot = 0;
    while (m_slot < kSlots && g_slots[m_slot].used.load())
        ++m_slot;
    if (m_slot == kSlots || std::strlen(name) >= kNameSize)
        throw std::logic_error("too many temporary files at once");
    Slot &slot = g_slots[m_slot];
    slot.folder = folder;
    std::strcpy(slot.name, name);
    slot.used.store(true);
    if (g_guards++ == 0)
        install();
}

TemporaryNameGuard::~TemporaryNameGuard()
{
    const std::lock_guard lock(g_mutex);
    g_slots[m_slot].used.store(false);
    if (--g_guards == 0)
        uninstall();
}

} // namespace Quorvane
