// The shortcut table window.
#include "window/shortcut_table_form.h"

#include "headless/actions/action_list.h"
#include "window/action_binding.h"
#include "window/link_edit.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace camlog::widgets {

namespace {

constexpr std::string_view kToggleName = "taRaccourcis";
constexpr int kWidth = 516;
constexpr int kColumnWidths[] = {238, 80, 60, 100};

QString qtext(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

TRaccourcisForm::TRaccourcisForm(ActionBinding &binding, QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_binding(binding)
{
    setObjectName(QStringLiteral("TRaccourcisForm"));
    setWindowTitle(QStringLiteral("Shortcuts and switches"));
    resize(kWidth, 600);

    auto *header = new TLinkEdit(this);
    header->setObjectName(QStringLiteral("Header"));
    header->setRichText(QStringLiteral("<br>Click on the header of a column to sort according to it. <br>You "
                                       "may also double-click on a line containing a command to launch it."));
    header->setFixedHeight(header->fontMetrics().lineSpacing() * 4);
    header->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_table = new QTableWidget(0, 4, this);
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Functions"), QStringLiteral("Keys"), QStringLiteral("Switches"), QStringLiteral("Script")});
    for (int column = 0; column < 4; ++column)
        m_table->setColumnWidth(column, kColumnWidths[column]);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->horizontalHeader()->setSectionsClickable(true);
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        setSortColumn(column);
        emit sortColumnChanged(m_sortColumn);
    });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { runRow(row); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(m_table);

    m_toggle = binding.actionList().toggle(kToggleName);
    if (m_toggle != nullptr) {
        m_toggle->Onprepare = [this](ui::TCustomSuperAction &action) {
            action.SetChecked(isVisible());
        };
        m_toggle->OnfalseExecute = [this](ui::TCustomSuperAction &action, ui::ActionSender) {
            action.SetChecked(true); // first: the table shows the caption of the new state
            show();
            raise();
            activateWindow();
        };
        m_toggle->OnTrueExecute = [this](ui::TCustomSuperAction &action, ui::ActionSender) {
            hide();
            action.SetChecked(false);
        };
    }
    rebuild();
}

void TRaccourcisForm::setSortColumn(int column)
{
    m_sortColumn = (column >= ColumnCaption && column <= ColumnToken) ? column : ColumnCaption;
    rebuild();
}

void TRaccourcisForm::rebuild()
{
    struct Row {
        QString key;
        QString caption;
        QString name;
        std::string actionName;
        std::vector<std::string> cells;
    };
    std::vector<Row> rows;
    for (const auto &action : m_binding.actionList().actions()) {
        if (action->Caption().empty())
            continue;
        Row row{{},
                qtext(action->Caption()).toLower(),
                qtext(action->Name()).toLower(),
                action->Name(),
                {action->Caption(), action->ShortCut(), action->Switch(), action->Token()}};
        row.key = qtext(row.cells[static_cast<std::size_t>(m_sortColumn)]).toLower();
        rows.push_back(std::move(row));
    }
    // Equal keys are ordered by caption, then by name: "List" before "List at right".
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        for (const auto &[x, y] :
             {std::pair{&a.key, &b.key}, std::pair{&a.caption, &b.caption}, std::pair{&a.name, &b.name}})
            if (const int c = QString::localeAwareCompare(*x, *y); c != 0)
                return c < 0;
        return false;
    });

    m_table->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].cells.size(); ++c) {
            auto *item = new QTableWidgetItem(qtext(rows[r].cells[c]));
            if (c == 0)
                item->setData(Qt::UserRole, qtext(rows[r].actionName));
            m_table->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
}

std::vector<std::vector<std::string>> TRaccourcisForm::rows() const
{
    std::vector<std::vector<std::string>> result;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < m_table->columnCount(); ++c)
            cells.push_back(m_table->item(r, c)->text().toStdString());
        result.push_back(std::move(cells));
    }
    return result;
}

void TRaccourcisForm::runRow(int row)
{
    const QTableWidgetItem *item = m_table->item(row, 0);
    if (item == nullptr)
        return;
    if (QAction *action = m_binding.action(item->data(Qt::UserRole).toString().toStdString()))
        action->trigger();
}

void TRaccourcisForm::showEvent(QShowEvent *event)
{
    rebuild(); // toggles show the caption of their current state
    QWidget::showEvent(event);
}

// Closing runs "Hide the shortcuts" while the window is still shown, so that the toggle's state
// follows; the window is only hidden.
void TRaccourcisForm::closeEvent(QCloseEvent *event)
{
    if (isVisible()) {
        if (QAction *action = m_binding.action(kToggleName))
            action->trigger();
    }
    hide();
    event->accept();
}

} // namespace camlog::widgets
