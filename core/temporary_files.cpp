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

// The longest name a folder of the usual file systems holds, in bytes.
constexpr std::size_t kNameMax = 255;

// The process id of a temporary name ".NAME.~<pid>-<n>", or 0 when the name is not one.
pid_t processOf(const std::string &name)
{
    const std::size_t mark = name.rfind(".~");
    if (name.empty() || name.front() != '.' || mark == std::string::npos || mark == 0)
        return 0;
    const char *first = name.data() + mark + 2;
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

// The first bytes of name that leave room bytes for the rest, never cutting a UTF-8 sequence.
std::string shortened(const std::string &name, std::size_t room)
{
    if (name.size() <= room)
        return name;
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

} // namespace

std::filesystem::path TemporaryNameFor(const std::filesystem::path &destination, unsigned n, std::size_t reserve)
{
    // A name near the limit of its folder is shortened in the temporary name only, so that any
    // name the user may give can be written.
    const std::string tail = ".~" + std::to_string(::getpid()) + "-" + std::to_string(n);
    const std::string name = shortened(destination.filename().string(), kNameMax - 1 - tail.size() - reserve);
    return destination.parent_path() / ("." + name + tail);
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
    std::filesystem::path folder = destination.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    std::filesystem::directory_iterator entries(folder, ec);
    if (ec)
        return 0;
    int removed = 0;
    for (const auto &entry : entries) {
        const pid_t pid = processOf(entry.path().filename().string());
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
