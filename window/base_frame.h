// The information panel `TBaseFrame`: the active file's name, datecode, timecode, codec, picture,
// duration, frame rate and audio, the scn and srt markers, the command gauge and the volume gauge,
// and the copy menu that puts those texts on the clipboard.
#pragma once

#include "core/avi_fichier.h"

#include <QFrame>

#include <memory>
#include <string>

class QLabel;
class QMenu;
class QProgressBar;

namespace camlog::widgets {

// What each item of the copy menu copies.
enum class CopyItem {
    Datecode,
    Timecode,
    Codec,
    ImageSize,
    Duration,
    FrameRate,
    Audio,
    FullName,
    ShortName,
    FileDate,
    FileSize
};

class TBaseFrame : public QFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 296;
    static constexpr int kHeight = 208;

    explicit TBaseFrame(QWidget *parent = nullptr);
    ~TBaseFrame() override;

    // The display pattern of datecodes ("Format pour Afficher Datecode").
    void setDatecodePattern(std::string pattern) { m_pattern = std::move(pattern); }

    // Fills the panel from the file; does nothing when given none.
    void ShowFile(std::shared_ptr<const core::TaviFichier> fichier);
    // Empties every value, hides the markers and forgets the file.
    void ClearPanel();
    const core::TaviFichier *shownFile() const { return m_fichier.get(); }

    // The text the copy menu's item puts on the clipboard for the shown file; empty without one.
    QString copyText(CopyItem item) const;
    // Puts that text on the clipboard (nothing without a file).
    void copyToClipboard(CopyItem item) const;

    // The command gauge, hidden when idle.
    void startGauge(int maximum);
    void setGauge(int position);
    void endGauge();
    QProgressBar *gauge() const { return m_gauge1; }
    // The sound volume gauge (0-100).
    void setVolume(int percent);

    QMenu *copyMenu() const { return m_copyMenu; }
    // Runs "Parent folder" when the file name is clicked.
    std::function<void()> onNameClicked;

    // The value labels by their names, for the window's tests and for the preview.
    QLabel *label(const char *name) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void buildCopyMenu();
    QLabel *addCaption(const char *text, int top);
    QLabel *addValue(const char *name, int top);

    std::string m_pattern = "ddddd tt";
    std::shared_ptr<const core::TaviFichier> m_fichier;
    QLabel *m_name = nullptr;
    QFrame *m_bevel = nullptr;
    QLabel *m_scn = nullptr;
    QLabel *m_srt = nullptr;
    QLabel *m_shift = nullptr;
    QProgressBar *m_gauge1 = nullptr;
    QProgressBar *m_gauge2 = nullptr;
    QMenu *m_copyMenu = nullptr;
};

} // namespace camlog::widgets
