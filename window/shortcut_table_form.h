// `TRaccourcisForm`, "Shortcuts and switches": every action with its keys, switch and script token,
// sorted by a column the user picks; a double click runs the action of the row.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

class QTableWidget;

namespace camlog::ui {
class TtoggleAction;
}

namespace camlog::widgets {

class ActionBinding;

class TRaccourcisForm : public QWidget {
    Q_OBJECT
public:
    // Sort columns, also the values of the setting "Tri des raccourcis".
    enum Column { ColumnCaption = 0, ColumnKeys = 1, ColumnSwitch = 2, ColumnToken = 3 };

    // Takes over the handlers of "Display the shortcuts" (taRaccourcis): its state is whether this
    // window is shown, state False shows it, state True hides it.
    explicit TRaccourcisForm(ActionBinding &binding, QWidget *parent = nullptr);

    int sortColumn() const { return m_sortColumn; }
    // Out-of-range values sort by caption.
    void setSortColumn(int column);

    // The grid's rows as shown: caption, keys, switch, token.
    std::vector<std::vector<std::string>> rows() const;
    QTableWidget *table() const { return m_table; }

    // Fills the grid again from the actions' current captions.
    void rebuild();

signals:
    // The user chose another sort column (the window stores it as "Tri des raccourcis").
    void sortColumnChanged(int column);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void runRow(int row);

    ActionBinding &m_binding;
    ui::TtoggleAction *m_toggle = nullptr;
    QTableWidget *m_table = nullptr;
    int m_sortColumn = ColumnCaption;
};

} // namespace camlog::widgets
