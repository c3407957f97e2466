// The about panel `TAproposFrame`: the credits with their links, a line about the system the
// program runs on, and "Close".
#pragma once

#include <QFrame>

#include <functional>
#include <string>

namespace camlog::widgets {

class TLinkEdit;

struct AboutTexts {
    std::string shortName = "Camlog";
    std::string fullName; // "Camlog 7.0.9En by Ovrand"
    std::string homePage;
    std::string mailAddress;
    std::string lastUpdate; // the date of the last update in the locale's short format
};

class TAproposFrame : public QFrame {
    Q_OBJECT
public:
    explicit TAproposFrame(QWidget *parent = nullptr);

    // Builds the credits text.
    void SetTexts(const AboutTexts &texts);
    // The system line: distribution, kernel, Qt and FFmpeg versions.
    void SetSystem(const QString &line);
    // The system line made when the panel first shows (asking FFmpeg its version loads FFmpeg,
    // which the window's start does not wait for).
    void SetSystemSource(std::function<QString()> source);
    // "<distribution>, <kernel> <version>, Qt <version>, <ffmpeg>" of the running system.
    static QString SystemLine(const std::string &ffmpegVersion);
    // The credits' mark-up for these texts.
    static QString CreditsMarkup(const AboutTexts &texts);

    TLinkEdit *credits() const { return m_credits; }
    TLinkEdit *system() const { return m_system; }

    // "Close" (runs "About..." again, which closes the panel).
    std::function<void()> onClose;
    // The last line of the credits: show or hide the shortcut table.
    std::function<void()> onShortcuts;
    // Opens a web address or a new mail (subject given); the desktop's default handler when
    // unassigned.
    std::function<void(const QString &address)> openAddress;
    std::function<void(const QString &address, const QString &subject)> sendMail;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void makeSystemLine();

    TLinkEdit *m_credits = nullptr;
    TLinkEdit *m_system = nullptr;
    AboutTexts m_texts;
    std::function<QString()> m_systemSource;
};

} // namespace camlog::widgets
