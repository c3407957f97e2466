// The hidden temporary files that stand in for destinations while they are written.
#include "core/temporary_files.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>

#include <signal.h>
#include <unistd.h>

namespace camlog::core {

namespace {

constexpr std::size_t kSlots = 64;

// A slot is free (0), being filled or emptied (1), or holds a path to remove (2).
struct Slot {
    std::atomic<int> state{0};
    char path[PATH_MAX];
};

std::array<Slot, kSlots> g_slots;

constexpr int kFree = 0;
constexpr int kBusy = 1;
constexpr int kHeld = 2;

std::string prefixFor(const std::filesystem::path &destination)
{
    return "." + destination.filename().string() + ".~";
}

// The process id of a temporary name "PREFIX<pid>-<n>", or 0 when the name is not one.
pid_t processOf(const std::string &name, const std::string &prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    const char *first = name.data() + prefix.size();
    const char *last = name.data() + name.size();
    long pid = 0;
    const auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || end == first || end == last || *end != '-' || pid <= 0)
        return 0;
    unsigned long counter = 0;
    const auto [tail, counterError] = std::from_chars(end + 1, last, counter);
    if (counterError != std::errc() || tail != last || tail == end + 1)
        return 0;
    return static_cast<pid_t>(pid);
}

} // namespace

std::filesystem::path TemporaryNameFor(const std::filesystem::path &destination, unsigned n)
{
    return destination.parent_path() / (prefixFor(destination) + std::to_string(::getpid()) + "-" + std::to_string(n));
}

int RegisterTemporary(const std::filesystem::path &path)
{
    const std::string &text = path.native();
    if (text.size() >= PATH_MAX)
        return -1;
    for (std::size_t i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!g_slots[i].state.compare_exchange_strong(expected, kBusy, std::memory_order_acquire))
            continue;
        std::memcpy(g_slots[i].path, text.c_str(), text.size() + 1);
        g_slots[i].state.store(kHeld, std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

void UnregisterTemporary(int slot)
{
    if (slot < 0 || static_cast<std::size_t>(slot) >= kSlots)
        return;
    g_slots[static_cast<std::size_t>(slot)].state.store(kFree, std::memory_order_release);
}

void RemoveRegisteredTemporaries() noexcept
{
    for (Slot &slot : g_slots) {
        int expected = kHeld;
        // Taking the slot keeps its path from being reused while it is unlinked.
        if (slot.state.compare_exchange_strong(expected, kBusy, std::memory_order_acquire)) {
            ::unlink(slot.path);
            slot.state.store(kHeld, std::memory_order_release);
        }
    }
}

int RemoveOrphanedTemporaries(const std::filesystem::path &destination)
{
    const std::string prefix = prefixFor(destination);
    std::filesystem::path folder = destination.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    std::filesystem::directory_iterator entries(folder, ec);
    if (ec)
        return 0;
    int removed = 0;
    for (const auto &entry : entries) {
        const pid_t pid = processOf(entry.path().filename().string(), prefix);
        if (pid == 0 || pid == ::getpid())
            continue;
        // ESRCH: no such process. EPERM means it exists under another user: its file stays.
        if (::kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        std::error_code ignored;
        if (entry.is_regular_file(ignored) && std::filesystem::remove(entry.path(), ignored))
            ++removed;
    }
    return removed;
}

} // namespace camlog::core
