// The rows of the scene spreadsheets, kept until the document is written.
#include "scenes/office/spreadsheet_rows.h"

#include "scenes/office/office_texts.h"

#include <algorithm>

namespace camlog::scenes::office {

void SpreadsheetRows::add(const TSceneClass &scene)
{
    m_rows.push_back(SceneRow{scene.number, SceneRowTexts(scene)});
}

std::array<std::size_t, kSceneColumns>
SpreadsheetRows::widestTexts(const std::array<const char *, kSceneColumns> &headers) const
{
    std::array<std::size_t, kSceneColumns> widest{};
    for (std::size_t c = 0; c < kSceneColumns; ++c)
        widest[c] = CharacterCount(headers[c]);
    for (const SceneRow &row : m_rows)
        for (std::size_t c = 0; c < kSceneColumns; ++c)
            widest[c] = std::max(widest[c], CharacterCount(row.texts[c]));
    return widest;
}

std::size_t CharacterCount(const std::string &text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace camlog::scenes::office
