// The link mark-up label.
#include "window/link_edit.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>
#include <QUrl>

namespace camlog::widgets {

namespace {

struct Tag {
    QString name; // upper case
    QString argument;
};

Tag parseTag(const QString &inside)
{
    const QString trimmed = inside.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return {trimmed.toUpper(), {}};
    return {trimmed.left(blank).trimmed().toUpper(), trimmed.mid(blank + 1).trimmed()};
}

// Builds the document while the mark-up is walked: the current character format, the
// alignment of the paragraph being written, the links met so far.
class Builder {
public:
    Builder(TLinkEdit &edit, std::vector<TLinkEdit::Link> &links)
        : m_edit(edit),
          m_links(links),
          m_cursor(edit.document())
    {
        m_default.setFont(edit.font());
        m_default.setForeground(edit.palette().color(QPalette::Text));
        m_format = m_default;
        m_cursor.setCharFormat(m_format);
    }

    void text(const QString &text)
    {
        if (!text.isEmpty())
            m_cursor.insertText(text, m_format);
    }

    void tag(const Tag &tag)
    {
        const QString &n = tag.name;
        if (n == "B" || n == "/B")
            m_format.setFontWeight(n == "B" ? QFont::Bold : QFont::Normal);
        else if (n == "I" || n == "/I")
            m_format.setFontItalic(n == "I");
        else if (n == "U" || n == "/U")
            m_format.setFontUnderline(n == "U");
        else if (n == "S" || n == "/S")
            m_format.setFontStrikeOut(n == "S");
        else if (n == "COLOR") {
            if (const auto colour = TLinkEdit::NamedColor(tag.argument))
                m_format.setForeground(*colour);
        } else if (n == "/COLOR")
            m_format.setForeground(m_default.foreground());
        else if (n == "SIZE") {
            bool ok = false;
            const int size = tag.argument.toInt(&ok);
            m_format.setProperty(QTextFormat::FontPointSize, ok ? static_cast<qreal>(size) : 0.0);
        } else if (n == "/SIZE")
            m_format.setFontPointSize(m_default.fontPointSize());
        else if (n == "FONT")
            m_format.setFontFamilies({tag.argument});
        else if (n == "/FONT")
            m_format.setFontFamilies(m_default.fontFamilies().toStringList());
        else if (n == "URL" || n == "MAIL" || n == "LINK")
            openLink(n, tag.argument);
        else if (n == "/URL" || n == "/MAIL" || n == "/LINK")
            closeLink(n.mid(1));
        else if (n == "BR")
            lineBreak(tag.argument.toUpper());
        // Any other tag is dropped.
    }

    void finish()
    {
        QTextBlockFormat block = m_cursor.blockFormat();
        block.setAlignment(m_edit.defaultAlignment());
        m_cursor.setBlockFormat(block);
    }

private:
    static TLinkEdit::LinkKind kindOf(const QString &name)
    {
        if (name == "MAIL")
            return TLinkEdit::LinkKind::Mail;
        if (name == "LINK")
            return TLinkEdit::LinkKind::Custom;
        return TLinkEdit::LinkKind::Url;
    }

    void openLink(const QString &name, const QString &target)
    {
        m_beforeLink = m_format;
        m_open = TLinkEdit::Link{kindOf(name), target, m_cursor.position(), m_cursor.position()};
        const TLinkEdit::LinkKind kind = kindOf(name);
        m_format.setForeground(kind == TLinkEdit::LinkKind::Url    ? m_edit.UrlColor
                               : kind == TLinkEdit::LinkKind::Mail ? m_edit.MailColor
                                                                   : m_edit.LinkColor);
        m_format.setFontUnderline(true);
    }

    void closeLink(const QString &name)
    {
        if (!m_open)
            return;
        if (m_open->kind == kindOf(name)) {
            m_open->end = m_cursor.position();
            if (m_open->end > m_open->start)
                m_links.push_back(*m_open);
        }
        m_open.reset();
        m_format = m_beforeLink;
    }

    void lineBreak(const QString &argument)
    {
        QTextBlockFormat block = m_cursor.blockFormat();
        if (argument == "LEFT")
            block.setAlignment(Qt::AlignLeft);
        else if (argument == "RIGHT")
            block.setAlignment(Qt::AlignRight);
        else if (argument == "CENTER")
            block.setAlignment(Qt::AlignHCenter);
        else
            block.setAlignment(m_edit.defaultAlignment());
        m_cursor.setBlockFormat(block);
        QTextBlockFormat next = block;
        next.setAlignment(m_edit.defaultAlignment());
        m_cursor.insertBlock(next, m_format);
    }

    TLinkEdit &m_edit;
    std::vector<TLinkEdit::Link> &m_links;
    QTextCursor m_cursor;
    QTextCharFormat m_default;
    QTextCharFormat m_format;
    QTextCharFormat m_beforeLink;
    std::optional<TLinkEdit::Link> m_open;
};

} // namespace

TLinkEdit::TLinkEdit(QWidget *parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setFrameShape(QFrame::NoFrame);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    // A label: no caret, even when it has the keyboard focus.
    setCursorWidth(0);
    document()->setDocumentMargin(2);
    // On the button face, as a label would be.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    setPalette(colours);
}

std::optional<QColor> TLinkEdit::NamedColor(const QString &name)
{
    static const std::pair<const char *, QColor> kColours[] = {
        {"RED", QColor(255, 0, 0)},         {"GREEN", QColor(0, 128, 0)},
        {"YELLOW", QColor(255, 255, 0)},    {"BLUE", QColor(0, 0, 255)},
        {"BLACK", QColor(0, 0, 0)},         {"WHITE", QColor(255, 255, 255)},
        {"AQUA", QColor(0, 255, 255)},      {"DKGRAY", QColor(128, 128, 128)},
        {"OLIVE", QColor(128, 128, 0)},     {"PURPLE", QColor(128, 0, 128)},
        {"FUCHSIA", QColor(255, 0, 255)},   {"GRAY", QColor(128, 128, 128)},
        {"LIME", QColor(0, 255, 0)},        {"MAROON", QColor(128, 0, 0)},
        {"NAVY", QColor(0, 0, 128)},        {"LTGRAY", QColor(192, 192, 192)},
        {"MEDGRAY", QColor(160, 160, 164)}, {"SILVER", QColor(192, 192, 192)},
        {"TEAL", QColor(0, 128, 128)},      {"MONEYGREEN", QColor(192, 220, 192)},
        {"CREAM", QColor(255, 251, 240)},   {"SKYBLUE", QColor(166, 202, 240)},
    };
    const QString upper = name.trimmed().toUpper();
    for (const auto &[colourName, colour] : kColours)
        if (upper == QLatin1String(colourName))
            return colour;
    if (upper == "BTNFACE")
        return QPalette().color(QPalette::Button);
    if (upper == "APPWORKSPACE")
        return QPalette().color(QPalette::Dark);
    return std::nullopt;
}

void TLinkEdit::setRichText(const QString &markup)
{
    m_markup = markup;
    m_links.clear();
    setUpdatesEnabled(false);
    document()->clear();
    Builder builder(*this, m_links);
    QString text;
    QString inside;
    bool inTag = false;
    for (const QChar c : markup) {
        if (!inTag) {
            if (c == QLatin1Char('<')) {
                builder.text(text);
                text.clear();
                inside.clear();
                inTag = true;
            } else {
                text += c;
            }
        } else if (c == QLatin1Char('>')) {
            inTag = false;
            builder.tag(parseTag(inside));
        } else if (c == QLatin1Char('<')) {
            // A "<" inside a tag is shown; the tag goes on to its ">".
            builder.text(QStringLiteral("<"));
        } else {
            inside += c;
        }
    }
    builder.text(text);
    builder.finish();
    // The text is read from its first line.
    setTextCursor(QTextCursor(document()));
    verticalScrollBar()->setValue(0);
    setUpdatesEnabled(true);
}

std::optional<TLinkEdit::Link> TLinkEdit::LinkAt(int position) const
{
    for (const Link &link : m_links)
        if (position >= link.start && position < link.end)
            return link;
    return std::nullopt;
}

int TLinkEdit::positionAt(const QPoint &viewportPoint) const
{
    const QPointF inDocument(viewportPoint.x() + horizontalScrollBar()->value(),
                             viewportPoint.y() + verticalScrollBar()->value());
    return document()->documentLayout()->hitTest(inDocument, Qt::ExactHit);
}

QString TLinkEdit::hintAt(int position) const
{
    const std::optional<Link> link = LinkAt(position);
    if (!link)
        return {};
    const auto &hint = link->kind == LinkKind::Url    ? OnUrlHint
                       : link->kind == LinkKind::Mail ? OnMailHint
                                                      : OnCustomLinkHint;
    return hint ? hint(link->value) : QString();
}

void TLinkEdit::clickAt(int position)
{
    const std::optional<Link> link = LinkAt(position);
    if (!link)
        return;
    switch (link->kind) {
    case LinkKind::Url:
        if (OnUrlClick)
            OnUrlClick(link->value);
        else
            QDesktopServices::openUrl(QUrl::fromUserInput(link->value));
        break;
    case LinkKind::Mail:
        if (OnMailClick)
            OnMailClick(link->value);
        else
            QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + link->value));
        break;
    case LinkKind::Custom:
        if (OnCustomLinkClick)
            OnCustomLinkClick(link->value);
        break;
    }
}

void TLinkEdit::mouseMoveEvent(QMouseEvent *event)
{
    QTextEdit::mouseMoveEvent(event);
    const int position = positionAt(event->position().toPoint());
    if (LinkAt(position)) {
        viewport()->setCursor(Qt::PointingHandCursor);
        const QString hint = hintAt(position);
        if (!hint.isEmpty())
            QToolTip::showText(event->globalPosition().toPoint(), hint, this);
        else
            QToolTip::hideText();
    } else {
        viewport()->setCursor(Qt::ArrowCursor);
        QToolTip::hideText();
    }
}

void TLinkEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QTextEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && !textCursor().hasSelection())
        clickAt(positionAt(event->position().toPoint()));
}

} // namespace camlog::widgets
