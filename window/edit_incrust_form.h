// The inlay editor `TEditIncrustForm` ("Edit the inlay"): what the inlay shows (datecode,
// timecode or the two personal templates), the date formats, the font, colour, border and
// alignment, and when it shows. Every change goes into the settings at once and is drawn on the
// preview; "Cancel" gives back the settings the editor opened with.
#pragma once

#include "core/avi_fichier.h"
#include "prefs/settings.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QAbstractButton;
class QAction;
class QButtonGroup;
class QComboBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolBar;
class QToolButton;

namespace camlog::widgets {

class TEditIncrustForm : public QWidget {
    Q_OBJECT
public:
    // display, edit: the QActions of "Display the inlay" and "Edit the inlay" for its two buttons.
    TEditIncrustForm(QAction *display, QAction *edit, QWidget *parent = nullptr);

    // The controls show the settings (at start-up, and again at each opening).
    void fill(const prefs::Settings &settings);
    // The active file the samples and the personal templates describe (none: the current
    // date-time and "0:54:32:10").
    void setActiveFile(std::shared_ptr<const core::TaviFichier> fichier);
    // The settings as the editor opened with them, given back by "Cancel".
    void keepForCancel(const prefs::Settings &settings) { m_opened = settings; }
    // The samples of the three contents.
    void showSamples();
    // The alignment was changed from outside (the horizontal slider turns 3 into 1).
    void showAlignment(int alignment);

    // The preview of one line: %D1, %D2 and %T filled from the active file.
    QString SampleText(const QString &text) const;

    // A setting changed: the preview draws the inlay again.
    std::function<void()> onChanged;
    // The size box said "auto" (true) or a size (false).
    std::function<void(bool autoSize)> onAutoSize;
    // The close box or "Cancel": the edit mode ends (the window is not closed by itself).
    std::function<void()> onClose;
    // Before each change of content: the inlay is switched on when it is off.
    std::function<void()> onContentChosen;

    // ---- Controls, by their names ------------------------------------------------------------
    QAbstractButton *contentButton(int content) const;
    QLabel *sampleLabel(int content) const;
    QLineEdit *perso1() const { return m_perso1; }
    QLineEdit *perso2() const { return m_perso2; }
    QComboBox *dateFormat1() const { return m_date1; }
    QComboBox *dateFormat2() const { return m_date2; }
    QComboBox *sizeBox() const { return m_size; }
    QFontComboBox *fontBox() const { return m_font; }
    QToolButton *borderButton() const { return m_border; }
    QAbstractButton *alignButton(int alignment) const;
    QRadioButton *timingButton(int timing) const;
    QLineEdit *durationEdit() const { return m_duree; }
    QToolButton *colorButton() const { return m_color; }
    QAbstractButton *cancelButton() const { return m_cancel; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void change(const std::function<void(prefs::Settings &)> &edit);
    void setBorder(int size);
    void editChanged();
    void chooseColor();
    void chooseFont();

    QAbstractButton *m_content[3] = {};
    QLabel *m_sample[3] = {};
    QLineEdit *m_perso1;
    QLineEdit *m_perso2;
    QComboBox *m_date1;
    QComboBox *m_date2;
    QToolBar *m_police;
    QToolBar *m_align;
    QToolButton *m_bold;
    QToolButton *m_italic;
    QToolButton *m_underline;
    QFontComboBox *m_font;
    QComboBox *m_size;
    QToolButton *m_color;
    QToolButton *m_border;
    QButtonGroup *m_alignGroup;
    QButtonGroup *m_timingGroup;
    QLineEdit *m_duree;
    QAbstractButton *m_cancel;
    std::shared_ptr<const core::TaviFichier> m_fichier;
    prefs::Settings m_opened;
    bool m_filling = false;
};

} // namespace camlog::widgets
