// The about panel.
#include "window/apropos_frame.h"

#include "window/link_edit.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSysInfo>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

#include <utility>

namespace camlog::widgets {

namespace {
QString qt(const std::string &text)
{
    return QString::fromStdString(text);
}
} // namespace

TAproposFrame::TAproposFrame(QWidget *parent) : QFrame(parent)
{
    setObjectName("AproposFrame");
    setAutoFillBackground(true);
    setFrameShape(QFrame::StyledPanel);
    m_credits = new TLinkEdit(this);
    m_credits->setObjectName("rxApropos");
    m_credits->setFont(QFont("Arial", 9));
    m_credits->setDefaultAlignment(Qt::AlignLeft);
    m_system = new TLinkEdit(this);
    m_system->setObjectName("reSysteme");
    m_system->setFixedHeight(m_system->fontMetrics().lineSpacing() * 5);
    m_system->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *close = new QPushButton("Close", this);
    close->setObjectName("FermerBtn");
    close->setToolTip("Close the \"About\" window and go back to main window.");
    connect(close, &QPushButton::clicked, this, [this] {
        if (onClose)
            onClose();
    });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_credits, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_system, 1);
    bottom->addWidget(close, 0, Qt::AlignBottom);
    layout->addLayout(bottom);

    m_credits->OnUrlHint = [](const QString &link) {
        return "Click here to open the web page " + link + " in your default web browser";
    };
    m_credits->OnUrlClick = [this](const QString &link) {
        if (openAddress)
            openAddress(link);
        else
            QDesktopServices::openUrl(QUrl::fromUserInput(link));
    };
    m_credits->OnMailHint = [](const QString &link) {
        return "Click here to send an e-mail to " + link;
    };
    // The mail goes to the maker whatever address the link holds.
    m_credits->OnMailClick = [this](const QString &) {
        const QString subject = "About " + qt(m_texts.fullName);
        if (sendMail) {
            sendMail(qt(m_texts.mailAddress), subject);
            return;
        }
        QUrl url("mailto:" + qt(m_texts.mailAddress));
        QUrlQuery query;
        query.addQueryItem("subject", subject);
        url.setQuery(query);
        QDesktopServices::openUrl(url);
    };
    m_credits->OnCustomLinkHint = [](const QString &) {
        return QString("Display or hide the list of commands and shortcuts");
    };
    m_credits->OnCustomLinkClick = [this](const QString &) {
        if (onShortcuts)
            onShortcuts();
    };
}

QString TAproposFrame::CreditsMarkup(const AboutTexts &t)
{
    QString markup = QString("<br><B>%1</B> is written by <B>Ovrand</B> for everyone who keeps the tapes of a DV "
                             "camcorder on disk.<br><br>")
                         .arg(qt(t.shortName));
    const std::pair<const char *, const char *> libraries[] = {
        {"https://www.qt.io/", "Qt"},
        {"https://ffmpeg.org/", "FFmpeg"},
        {"https://libzip.org/", "libzip"},
        {"https://libxlsxwriter.github.io/", "libxlsxwriter"},
        {"https://www.gnu.org/software/libc/", "the GNU C library"},
    };
    QString uses = "It uses<br> <url %1>%2</url>,<br CENTER>  <url %3>%4</url>,<br CENTER> <url %5>%6</url>,<br "
                   "CENTER> <url %7>%8</url> <br CENTER>  and  <url %9>%10</url>.<br CENTER><br>";
    for (const auto &[address, name] : libraries)
        uses = uses.arg(address, name);
    markup += uses;
    markup += QString("Its last update has been made on %1.<br><br>To get help or check for updates, visit  <url "
                      "%2>the homepage</url> of <B>%3</B>.<br><br>To report bugs or make suggestions, you may send me "
                      "<mail %4>an e-mail</mail>. I read them always carefully, but be aware that I seldom answer "
                      "them due to lack of time.")
                  .arg(qt(t.lastUpdate), qt(t.homePage), qt(t.shortName), qt(t.mailAddress));
    markup += "<br><br><B><LINK commandes>To display the list of commands and shortcuts, click here or type "
              "F11.</LINK></B>";
    return markup;
}

void TAproposFrame::SetTexts(const AboutTexts &texts)
{
    m_texts = texts;
    m_credits->setRichText(CreditsMarkup(texts));
}

void TAproposFrame::SetSystem(const QString &line)
{
    m_system->setRichText(line);
}

void TAproposFrame::SetSystemSource(std::function<QString()> source)
{
    m_systemSource = std::move(source);
    if (isVisible())
        makeSystemLine();
}

void TAproposFrame::showEvent(QShowEvent *event)
{
    makeSystemLine();
    QFrame::showEvent(event);
}

void TAproposFrame::makeSystemLine()
{
    if (m_systemSource)
        SetSystem(std::exchange(m_systemSource, {})());
}

QString TAproposFrame::SystemLine(const std::string &ffmpegVersion)
{
    return QString("<size 8>%1<br>%2 %3<br>Qt %4<br>%5</size>")
        .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion(), qVersion(),
             qt(ffmpegVersion));
}

} // namespace camlog::widgets
