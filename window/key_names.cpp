// Key-name text to Qt key sequences.
#include "window/key_names.h"

#include <QString>

#include <array>
#include <utility>

namespace camlog::widgets {

namespace {

constexpr std::array<std::pair<std::string_view, Qt::KeyboardModifier>, 3> kModifiers = {{
    {"Ctrl+", Qt::ControlModifier},
    {"Shift+", Qt::ShiftModifier},
    {"Alt+", Qt::AltModifier},
}};

// Key names that Qt spells otherwise (or not at all).
constexpr std::array<std::pair<std::string_view, Qt::Key>, 8> kKeys = {{
    {"PgDn", Qt::Key_PageDown},
    {"PgUp", Qt::Key_PageUp},
    {"Del", Qt::Key_Delete},
    {"Esc", Qt::Key_Escape},
    {"Enter", Qt::Key_Return},
    {"$", Qt::Key_Dollar},
    {"+", Qt::Key_Plus},
    {"-", Qt::Key_Minus},
}};

Qt::Key keyOfName(std::string_view name)
{
    for (const auto &[text, key] : kKeys)
        if (text == name)
            return key;
    const QKeySequence parsed = QKeySequence::fromString(
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), QKeySequence::PortableText);
    if (parsed.count() != 1 || parsed[0].keyboardModifiers() != Qt::NoModifier)
        return Qt::Key_unknown;
    return parsed[0].key();
}

} // namespace

QList<QKeySequence> KeySequencesFromKeyName(std::string_view keyName)
{
    Qt::KeyboardModifiers modifiers;
    for (bool found = true; found;) {
        found = false;
        for (const auto &[prefix, modifier] : kModifiers) {
            if (keyName.starts_with(prefix) && keyName.size() > prefix.size()) {
                modifiers |= modifier;
                keyName.remove_prefix(prefix.size());
                found = true;
            }
        }
    }
    constexpr std::string_view kPad = "Num ";
    if (keyName.starts_with(kPad)) {
        modifiers |= Qt::KeypadModifier;
        keyName.remove_prefix(kPad.size());
    }
    const Qt::Key key = keyOfName(keyName);
    if (keyName.empty() || key == Qt::Key_unknown)
        return {};
    QList<QKeySequence> sequences{QKeySequence(QKeyCombination(modifiers, key))};
    if (key == Qt::Key_Return)
        sequences.append(QKeySequence(QKeyCombination(modifiers, Qt::Key_Enter)));
    return sequences;
}

} // namespace camlog::widgets
