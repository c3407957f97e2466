// The link mark-up label: a table of mark-up strings and what is drawn (text, styles, colours,
// sizes, alignment), and the links with their kinds, hints and clicks.
#include "window/link_edit.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace camlog::widgets {
namespace {

// The character format of the character at the document position.
QTextCharFormat formatAt(const TLinkEdit &edit, int position)
{
    QTextCursor cursor(edit.document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

int positionOf(const TLinkEdit &edit, const QString &text)
{
    return static_cast<int>(edit.document()->find(text).selectionStart());
}

TEST(LinkEditTest, TheMarkupGivesThePlainText)
{
    struct Case {
        const char *markup;
        const char *text;
    };
    const Case cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"<br>Click on the header of a column to sort according to it. <br>You may also double-click on a line "
         "containing a command to launch it.",
         "\nClick on the header of a column to sort according to it. \nYou may also double-click on a line containing "
         "a command to launch it."},
        {"a <b>bold</b> c", "a bold c"},
        {"<unknown tag>text</unknown>", "text"},
        {"a<b<c>d", "a<d"},
        {"x<br CENTER>y<BR right>z", "x\ny\nz"},
        {"<url https://x.org/>Click here</url>!", "Click here!"},
        {"no end <b", "no end "},
    };
    for (const Case &c : cases) {
        TLinkEdit edit;
        edit.setRichText(c.markup);
        EXPECT_EQ(edit.toPlainText().toStdString(), c.text) << c.markup;
        EXPECT_EQ(edit.richText().toStdString(), c.markup);
    }
}

TEST(LinkEditTest, TagsChangeTheTextThatFollowsUntilUndone)
{
    TLinkEdit edit;
    QFont font = edit.font();
    font.setPointSize(9);
    edit.setFont(font);
    edit.setRichText("n<b>B</b>n<i>I</i>n<u>U</u>n<s>S</s>n<b><i>W</i></b>n<color RED>R</color>n<color nosuch>K"
                     "</color><size 14>Z</size>n<size abc>Q</size><font Courier>F</font>n");
    struct Case {
        const char *character;
        bool bold, italic, underline, strike;
    };
    const Case styles[] = {
        {"B", true, false, false, false}, {"I", false, true, false, false}, {"U", false, false, true, false},
        {"S", false, false, false, true}, {"W", true, true, false, false},
    };
    for (const Case &c : styles) {
        const QTextCharFormat format = formatAt(edit, positionOf(edit, c.character));
        EXPECT_EQ(format.fontWeight() == QFont::Bold, c.bold) << c.character;
        EXPECT_EQ(format.fontItalic(), c.italic) << c.character;
        EXPECT_EQ(format.fontUnderline(), c.underline) << c.character;
        EXPECT_EQ(format.fontStrikeOut(), c.strike) << c.character;
    }
    // Every "n" is back to the normal style.
    QTextCursor cursor(edit.document());
    for (int i = 0; i < edit.document()->characterCount() - 1; ++i) {
        if (edit.document()->characterAt(i) != QLatin1Char('n'))
            continue;
        const QTextCharFormat format = formatAt(edit, i);
        EXPECT_FALSE(format.fontWeight() == QFont::Bold || format.fontItalic() || format.fontUnderline()
                     || format.fontStrikeOut())
            << "n at " << i;
    }
    const QColor normal = edit.palette().color(QPalette::Text);
    EXPECT_EQ(formatAt(edit, positionOf(edit, "R")).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatAt(edit, positionOf(edit, "K")).foreground().color(), normal);
    EXPECT_EQ(formatAt(edit, positionOf(edit, "Z")).fontPointSize(), 14.0);
    EXPECT_EQ(formatAt(edit, positionOf(edit, "Q")).fontPointSize(), 0.0);
    EXPECT_EQ(formatAt(edit, positionOf(edit, "F")).fontFamilies().toStringList(), QStringList{"Courier"});
    EXPECT_NE(formatAt(edit, static_cast<int>(edit.toPlainText().size()) - 1).fontFamilies().toStringList(),
              QStringList{"Courier"});
}

TEST(LinkEditTest, ColourNamesFollowTheirTable)
{
    const std::pair<const char *, QColor> colours[] = {
        {"red", QColor(255, 0, 0)},         {"GREEN", QColor(0, 128, 0)},
        {"Navy", QColor(0, 0, 128)},        {"MONEYGREEN", QColor(192, 220, 192)},
        {"skyblue", QColor(166, 202, 240)}, {"cream", QColor(255, 251, 240)},
        {"MEDGRAY", QColor(160, 160, 164)},
    };
    for (const auto &[name, colour] : colours)
        EXPECT_EQ(TLinkEdit::NamedColor(name).value_or(QColor()), colour) << name;
    EXPECT_FALSE(TLinkEdit::NamedColor("orange").has_value());
    EXPECT_TRUE(TLinkEdit::NamedColor("btnface").has_value());
}

TEST(LinkEditTest, ABreakAlignsTheLineItEnds)
{
    TLinkEdit edit;
    edit.setRichText("left<br>centred<br CENTER>right<br RIGHT>last");
    const Qt::Alignment expected[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignLeft};
    QTextBlock block = edit.document()->begin();
    for (const Qt::Alignment alignment : expected) {
        ASSERT_TRUE(block.isValid());
        EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, alignment) << block.text().toStdString();
        block = block.next();
    }
}

TEST(LinkEditTest, LinksHaveTheirKindColourHintAndClick)
{
    TLinkEdit edit;
    edit.setRichText("Go <url site>Click here</url> or <mail me@x.org>mail</mail>, <link commandes>list</link>.<br>"
                     "<b>after</b>");
    ASSERT_EQ(edit.links().size(), 3u);
    EXPECT_EQ(edit.links()[0], (TLinkEdit::Link{TLinkEdit::LinkKind::Url, "site", 3, 13}));
    EXPECT_EQ(edit.links()[1].kind, TLinkEdit::LinkKind::Mail);
    EXPECT_EQ(edit.links()[1].value.toStdString(), "me@x.org");
    EXPECT_EQ(edit.links()[2].kind, TLinkEdit::LinkKind::Custom);

    const QTextCharFormat link = formatAt(edit, positionOf(edit, "Click"));
    EXPECT_EQ(link.foreground().color(), QColor(0, 0, 128));
    EXPECT_TRUE(link.fontUnderline());
    EXPECT_FALSE(formatAt(edit, positionOf(edit, " or")).fontUnderline());
    EXPECT_FALSE(edit.LinkAt(2).has_value());
    EXPECT_TRUE(edit.LinkAt(3).has_value());
    EXPECT_TRUE(edit.LinkAt(12).has_value());
    EXPECT_FALSE(edit.LinkAt(13).has_value());

    std::vector<std::string> clicks;
    edit.OnUrlHint = [](const QString &l) {
        return "web " + l;
    };
    edit.OnMailHint = [](const QString &l) {
        return "mail " + l;
    };
    edit.OnUrlClick = [&](const QString &l) {
        clicks.push_back("url " + l.toStdString());
    };
    edit.OnMailClick = [&](const QString &l) {
        clicks.push_back("mail " + l.toStdString());
    };
    edit.OnCustomLinkClick = [&](const QString &l) {
        clicks.push_back("link " + l.toStdString());
    };
    EXPECT_EQ(edit.hintAt(positionOf(edit, "here")).toStdString(), "web site");
    EXPECT_EQ(edit.hintAt(positionOf(edit, "mail")).toStdString(), "mail me@x.org");
    EXPECT_EQ(edit.hintAt(positionOf(edit, "list")).toStdString(), ""); // no custom hint handler
    EXPECT_EQ(edit.hintAt(positionOf(edit, "Go")).toStdString(), "");
    edit.clickAt(positionOf(edit, "here"));
    edit.clickAt(positionOf(edit, "mail"));
    edit.clickAt(positionOf(edit, "list"));
    edit.clickAt(positionOf(edit, "after"));
    EXPECT_EQ(clicks, (std::vector<std::string>{"url site", "mail me@x.org", "link commandes"}));

    // Across a line break a link's positions count the break once.
    edit.setRichText("a<br><link x>b</link>");
    ASSERT_EQ(edit.links().size(), 1u);
    EXPECT_EQ(edit.links()[0].start, 2);
    EXPECT_EQ(edit.links()[0].end, 3);
}

TEST(LinkEditTest, TheMouseOverALinkShowsTheHandAndClicksIt)
{
    TLinkEdit edit;
    edit.resize(300, 100);
    edit.setRichText("<url site>Click here</url>");
    edit.show();
    std::string clicked;
    edit.OnUrlClick = [&](const QString &l) {
        clicked = l.toStdString();
    };
    const QRect r = edit.cursorRect(QTextCursor(edit.document()));
    const QPoint over(r.left() + 10, r.center().y());
    EXPECT_GE(edit.positionAt(over), 0);
    QMouseEvent move(QEvent::MouseMove, over, edit.viewport()->mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(edit.viewport(), &move);
    EXPECT_EQ(edit.viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, over);
    EXPECT_EQ(clicked, "site");
}

} // namespace
} // namespace camlog::widgets
