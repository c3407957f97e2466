// The scene list panel `TSFrame` of the scene editor: the video's file name above the list of its
// scene labels. It takes the place of the file list while the editor is open.
#pragma once

#include <QFrame>

#include <string>
#include <vector>

class QLabel;
class QListWidget;

namespace camlog::widgets {

class TSFrame : public QFrame {
    Q_OBJECT
public:
    explicit TSFrame(QWidget *parent = nullptr);

    void setFileName(const QString &name);
    // The labels in list order; the current row is kept when it still exists.
    void setLabels(const std::vector<std::string> &labels);
    // Selects the row without telling sceneChosen.
    void selectRow(int row);
    int currentRow() const;
    QListWidget *list() const { return m_list; }
    QLabel *fileName() const { return m_name; }

signals:
    // The user chose a scene: a mouse button released on the list, or a navigation key (Page Up,
    // Page Down, End, Home, Up, Down, Delete) released without Shift, Ctrl or Alt.
    void sceneChosen(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_name;
    QListWidget *m_list;
};

} // namespace camlog::widgets
