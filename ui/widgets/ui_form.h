// The main window `TUIForm`: composes the panels and arranges them in one of five layouts.
#pragma once

#include <QMainWindow>

namespace camlog::widgets {

// The program's full name in the caption: name, blank, version and language code, " by ", maker.
inline constexpr const char *kWindowCaption = "Camlog 7.0.9En by Ovrand";

class TUIForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TUIForm(QWidget *parent = nullptr);
    ~TUIForm() override;
};

} // namespace camlog::widgets
