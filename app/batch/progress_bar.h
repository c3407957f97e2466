// The engine's gauge as a text bar on a terminal: one line redrawn in place.
#pragma once

#include <cstdio>
#include <string>

namespace camlog::app {

// "[##########----------]  50%" for position 5 of 10, width counting the cells between brackets.
std::string ProgressBarText(long long position, long long maximum, int width);

class ProgressBar {
public:
    // enabled: the stream is a terminal; otherwise every call does nothing, so that logs and
    // pipes get no carriage-return noise.
    ProgressBar(std::FILE *out, bool enabled);

    void start(int maximum);
    void set(int position);
    // Clears the bar's line.
    void end();
    // Clears the line before other text is written to the same terminal; the next set redraws.
    void clearForText();
    bool shown() const { return m_shown; }

private:
    void draw();

    std::FILE *m_out;
    bool m_enabled;
    bool m_active = false;
    bool m_shown = false;
    int m_maximum = 0;
    int m_position = 0;
    std::string m_lastText;
};

} // namespace camlog::app
