// The rows of the scene spreadsheets, kept until the document is written: the borders of the
// last row and the column widths depend on all of them.
#pragma once

#include "scenes/scene_class.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace camlog::scenes::office {

constexpr std::size_t kSceneColumns = 8; // B to I

struct SceneRow {
    std::int32_t number = 0;
    std::array<std::string, kSceneColumns> texts; // number, start, end, duration, datecode, timecode, title, subtitle
};

class SpreadsheetRows {
public:
    void add(const TSceneClass &scene);
    const std::vector<SceneRow> &rows() const { return m_rows; }
    std::size_t size() const { return m_rows.size(); }

    // The widest text of each column in characters (code points), headers included.
    std::array<std::size_t, kSceneColumns> widestTexts(const std::array<const char *, kSceneColumns> &headers) const;

private:
    std::vector<SceneRow> m_rows;
};

// Characters of a UTF-8 text (code points; malformed bytes count one each).
std::size_t CharacterCount(const std::string &text);

} // namespace camlog::scenes::office
