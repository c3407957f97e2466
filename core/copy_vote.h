// The value that most copies of a repeated field agree on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace camlog::core {

// Tallies the copies of one value that a DV frame repeats in many packs (the recording date,
// the recording time, the timecode), each copy reduced to a key. Only copies that decode to a
// valid value are added. The winner is the value with the most copies, the one whose first
// copy came first on a tie. A value held by a single copy wins only when no other value was
// seen: copies that all differ agree on nothing. No allocation: the capacity covers every pack
// position of a frame.
class CopyVote {
public:
    static constexpr std::size_t kCapacity = 12 * (12 + 45);

    // User-provided so that CopyVote{} does not clear the whole table first.
    CopyVote() {} // NOLINT(modernize-use-equals-default)

    void add(std::uint32_t key)
    {
        ++m_copies;
        for (std::size_t i = 0; i < m_distinct; ++i)
            if (m_values[i].key == key) {
                ++m_values[i].count;
                return;
            }
        if (m_distinct < kCapacity)
            m_values[m_distinct++] = {key, 1};
    }

    // Copies added so far.
    std::size_t copies() const { return m_copies; }

    std::optional<std::uint32_t> winner() const
    {
        if (m_distinct == 0)
            return std::nullopt;
        std::size_t best = 0;
        for (std::size_t i = 1; i < m_distinct; ++i)
            if (m_values[i].count > m_values[best].count)
                best = i;
        if (m_values[best].count == 1 && m_distinct > 1)
            return std::nullopt;
        return m_values[best].key;
    }

private:
    struct Value {
        std::uint32_t key;
        std::uint32_t count;
    };
    std::array<Value, kCapacity> m_values;
    std::size_t m_distinct = 0;
    std::size_t m_copies = 0;
};

} // namespace camlog::core
