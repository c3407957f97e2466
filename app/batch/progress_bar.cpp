// The text gauge of the batch mode.
#include "app/batch/progress_bar.h"

#include <algorithm>

namespace camlog::app {

namespace {
constexpr int kBarWidth = 40;
}

std::string ProgressBarText(long long position, long long maximum, int width)
{
    const long long clamped = maximum > 0 ? std::clamp(position, 0LL, maximum) : 0;
    const int percent = maximum > 0 ? static_cast<int>(clamped * 100 / maximum) : 0;
    const int filled = maximum > 0 ? static_cast<int>(clamped * width / maximum) : 0;
    std::string text = "[";
    text.append(static_cast<std::size_t>(filled), '#');
    text.append(static_cast<std::size_t>(width - filled), '-');
    char tail[8];
    std::snprintf(tail, sizeof tail, "] %3d%%", percent);
    return text + tail;
}

ProgressBar::ProgressBar(std::FILE *out, bool enabled) : m_out(out), m_enabled(enabled) {}

void ProgressBar::start(int maximum)
{
    m_active = true;
    m_maximum = maximum;
    m_position = 0;
    m_lastText.clear();
    draw();
}

void ProgressBar::set(int position)
{
    if (!m_active)
        return;
    m_position = position;
    draw();
}

void ProgressBar::end()
{
    clearForText();
    m_active = false;
}

void ProgressBar::clearForText()
{
    if (!m_enabled || !m_shown)
        return;
    std::fputs("\r\033[K", m_out);
    std::fflush(m_out);
    m_shown = false;
    m_lastText.clear();
}

void ProgressBar::draw()
{
    if (!m_enabled)
        return;
    std::string text = ProgressBarText(m_position, m_maximum, kBarWidth);
    // Frames come by the thousand; the terminal only needs a new line when the bar changes.
    if (m_shown && text == m_lastText)
        return;
    std::fprintf(m_out, "\r%s", text.c_str());
    std::fflush(m_out);
    m_lastText = std::move(text);
    m_shown = true;
}

} // namespace camlog::app
