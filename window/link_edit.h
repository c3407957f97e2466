// `TLinkEdit`: a read-only rich text that takes a small mark-up (bold, italic, underline,
// strike-out, colours, sizes, fonts, line breaks with alignment) and three kinds of link (web
// address, mail address, custom), shows a hand and a hint over a link and reports its clicks.
// Web and mail links open with the desktop's default handler unless the owner takes the click.
#pragma once

#include <QColor>
#include <QTextEdit>

#include <functional>
#include <optional>
#include <vector>

namespace camlog::widgets {

class TLinkEdit : public QTextEdit {
    Q_OBJECT
public:
    enum class LinkKind { Url, Mail, Custom };
    struct Link {
        LinkKind kind = LinkKind::Url;
        QString value;
        int start = 0; // document positions, end excluded; a line break counts one
        int end = 0;
        bool operator==(const Link &) const = default;
    };

    explicit TLinkEdit(QWidget *parent = nullptr);

    // Setting the mark-up rebuilds the displayed text.
    void setRichText(const QString &markup);
    const QString &richText() const { return m_markup; }

    // The alignment of a paragraph whose line break names none (left by default).
    Qt::Alignment defaultAlignment() const { return m_alignment; }
    void setDefaultAlignment(Qt::Alignment alignment) { m_alignment = alignment; }

    // The link under the document position, if any.
    std::optional<Link> LinkAt(int position) const;
    const std::vector<Link> &links() const { return m_links; }

    // Colours of the link kinds (navy by default); they take effect at the next setRichText.
    QColor UrlColor{0, 0, 128};
    QColor MailColor{0, 0, 128};
    QColor LinkColor{0, 0, 128};

    // The hint shown over a link of that kind; unassigned: no hint.
    std::function<QString(const QString &link)> OnUrlHint;
    std::function<QString(const QString &link)> OnMailHint;
    std::function<QString(const QString &link)> OnCustomLinkHint;
    // A link of that kind was clicked. Unassigned: a web link opens in the default browser, a
    // mail link opens a new mail to its address, a custom link does nothing.
    std::function<void(const QString &link)> OnUrlClick;
    std::function<void(const QString &link)> OnMailClick;
    std::function<void(const QString &link)> OnCustomLinkClick;

    // The colour a COLOR tag names (case ignored); nothing for a name outside the table.
    static std::optional<QColor> NamedColor(const QString &name);
    // The document position of the character under a viewport point, or -1.
    int positionAt(const QPoint &viewportPoint) const;
    // What a click at the document position does (for tests and the mouse alike).
    void clickAt(int position);
    // The hint over the document position; empty outside links or without a hint handler.
    QString hintAt(int position) const;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_markup;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    std::vector<Link> m_links;
};

} // namespace camlog::widgets
