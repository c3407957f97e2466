// Lists of files carried by drag and drop and by the clipboard: local file URLs (text/uri-list).
#pragma once

#include <string>
#include <vector>

class QMimeData;

namespace camlog::widgets {

// The local paths of the file URLs the data carries (text/uri-list, or the GNOME file manager's
// copied-files list), in order; other URLs are left out. Empty for null data.
std::vector<std::string> LocalFilePaths(const QMimeData *data);

// The data carries at least one local file.
bool HoldsLocalFiles(const QMimeData *data);

// The same for the system clipboard.
std::vector<std::string> ClipboardFilePaths();
bool ClipboardHoldsFiles();

// Data that carries the files as URLs (for dragging them out, or for the clipboard).
QMimeData *MimeDataForFiles(const std::vector<std::string> &paths);

} // namespace camlog::widgets
