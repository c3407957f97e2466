// Lets any widget (the main window, a panel) take files and folders dropped from a file manager.
#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace camlog::widgets {

class FileDropFilter : public QObject {
    Q_OBJECT
public:
    using DropHandler = std::function<void(std::vector<std::string> paths)>;

    // Makes the widget accept drops; dropped local files and folders go to the handler (for the
    // main window: the file list's OpenDropped). The filter belongs to the widget.
    static FileDropFilter *install(QWidget *widget, DropHandler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FileDropFilter(QWidget *widget, DropHandler handler);
    DropHandler m_handler;
};

} // namespace camlog::widgets
