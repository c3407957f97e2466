// The title editor `TEditerTitresForm` ("Edit the title of a scene"): a title template and a
// subtitle template with a sample of them for the current scene; "Apply" titles the current
// scene, "All" every scene, "Cancel" nothing. It is not modal: the preview stays usable.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace camlog::widgets {

class TEditerTitresForm : public QDialog {
    Q_OBJECT
public:
    enum Result { Cancel = 0, Apply = 1, All = 2 };

    explicit TEditerTitresForm(QWidget *parent = nullptr);

    // Fills the edits with the two templates and shows the form.
    void open(const std::string &titleTemplate, const std::string &subtitleTemplate);
    std::string titleTemplate() const;
    std::string subtitleTemplate() const;
    Result result() const { return m_result; }
    void setSample(const QString &text);

    QLineEdit *titleEdit() const { return m_title; }
    QLineEdit *subtitleEdit() const { return m_subtitle; }
    QLabel *sample() const { return m_sample; }
    QPushButton *button(const QString &caption) const;

    // Either edit changed: the sample is to be shown again.
    std::function<void()> onChange;
    // "Apply", "All", "Cancel" or the close box: the editing ends with result().
    std::function<void()> onFinish;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void finish(Result result);

    QLineEdit *m_title;
    QLineEdit *m_subtitle;
    QLabel *m_sample;
    Result m_result = Cancel;
    bool m_finishing = false;
};

} // namespace camlog::widgets
