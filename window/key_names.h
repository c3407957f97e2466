// Key-name text of the action catalogue ("Ctrl+Shift+2", "Ctrl+Num 1", "Alt+Enter") as Qt key sequences.
#pragma once

#include <QKeySequence>
#include <QList>

#include <string_view>

namespace camlog::widgets {

// The key sequences that one key name stands for; empty for an empty or unknown name. "Num x" is
// the key x of the numeric pad; "Enter" is both the main Return key and the pad's Enter key, as
// one key code covers both on the keyboards the catalogue was written for.
QList<QKeySequence> KeySequencesFromKeyName(std::string_view keyName);

} // namespace camlog::widgets
