// The RIFF header report window.
#include "window/riff_form.h"

#include "core/riff_report.h"
#include "window/question_box.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace camlog::widgets {

TRiffForm::TRiffForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName("RiffForm");
    setWindowTitle("Analyse an AVI file");
    resize(560, 600);
    m_list = new QListWidget(this);
    m_list->setObjectName("ListBox1");
    m_list->setFont(QFont("Monospace", 9));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_save = new QPushButton("Save", this);
    m_save->setObjectName("SauverBtn");
    m_save->setToolTip("Save a  LOG file...");
    m_save->setEnabled(false);
    auto *close = new QPushButton("Close", this);
    close->setObjectName("FermerBtn");
    close->setToolTip("Close the window RIFFWALK.");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    connect(m_save, &QPushButton::clicked, this, &TRiffForm::saveClicked);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

void TRiffForm::ShowReport(const std::string &path, const std::vector<std::string> &lines, bool complete)
{
    m_save->setEnabled(false);
    m_path = path;
    setWindowTitle(QString("Header of the file %1").arg(QString::fromStdString(path)));
    m_list->clear();
    for (const std::string &line : lines)
        m_list->addItem(QString::fromStdString(line));
    m_save->setEnabled(complete);
    show();
    raise();
    activateWindow();
}

std::vector<std::string> TRiffForm::lines() const
{
    std::vector<std::string> result;
    for (int i = 0; i < m_list->count(); ++i)
        result.push_back(m_list->item(i)->text().toStdString());
    return result;
}

QString TRiffForm::proposedLogName() const
{
    return QString::fromStdString(core::ReportLogPath(m_path).string());
}

bool TRiffForm::saveTo(const QString &target)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto saved = core::SaveReport(target.toStdString(), lines());
    QApplication::restoreOverrideCursor();
    if (!saved) {
        ShowErrorBox(this, "The report could not be written to " + target);
        return false;
    }
    return true;
}

void TRiffForm::saveClicked()
{
    QFileDialog dialog(this);
    dialog.setObjectName("riffSaveDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog, !m_native);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({"Log files (*.log)", "Txt files(*.txt)", "All files (*.*)"});
    dialog.setDefaultSuffix("log");
    dialog.selectFile(proposedLogName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveTo(dialog.selectedFiles().front());
}

} // namespace camlog::widgets
