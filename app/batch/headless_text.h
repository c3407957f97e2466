// The batch mode's GUI application on the offscreen platform: text is drawn into pictures (the
// inlay) without a display.
#pragma once

#include <memory>

class QGuiApplication;

namespace camlog::app {

// Create it on the main thread before any command runs; it lives as long as the run. Qt's own
// notes (no runtime folder and the like) are kept off the terminal; its errors still show.
class HeadlessText {
public:
    HeadlessText();
    ~HeadlessText();
    HeadlessText(const HeadlessText &) = delete;
    HeadlessText &operator=(const HeadlessText &) = delete;

private:
    std::unique_ptr<QGuiApplication> m_application;
};

} // namespace camlog::app
