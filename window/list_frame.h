// The file list panel `Lframe`: the list widget and, below it, the selection label `labSelect`.
#pragma once

#include <QFrame>

class QLabel;

namespace camlog::widgets {

class ListFrame : public QFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 296;

    explicit ListFrame(QWidget *parent = nullptr);

    // Puts the list widget into the panel (the panel owns it from then on).
    void setListWidget(QWidget *list);
    QWidget *listWidget() const { return m_list; }

    // "3 files on 12 - alpha": the selected count, the entry count and the sort order's name.
    static QString selectionText(int selected, int count, const QString &sortName);
    void setSelection(int selected, int count, const QString &sortName);
    QLabel *selectionLabel() const { return m_label; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrange();

    QWidget *m_list = nullptr;
    QLabel *m_label;
};

} // namespace camlog::widgets
