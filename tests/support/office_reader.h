// Office documents read back by independent tools: Info-ZIP for the packages, LibreOffice
// (headless, with a private profile per call) and poppler for what the documents show.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace camlog::test {

struct ZipEntry {
    std::string name;
    std::string method; // as zipinfo names it: "stor", "defN", ...
};

// The package's entries in their order, as zipinfo lists them; empty when it is no zip file.
std::vector<ZipEntry> zipEntries(const std::filesystem::path &package);
// One entry's content, as unzip extracts it.
std::string zipEntryText(const std::filesystem::path &package, const std::string &entry);

// Converts the document with `soffice --headless --convert-to <filter>` into a folder of its own
// under work (which also holds the LibreOffice profile) and returns the converted file's path;
// empty when LibreOffice made nothing.
std::filesystem::path convertWithLibreOffice(const std::filesystem::path &document, const std::string &filter,
                                             const std::string &extension, const std::filesystem::path &work);

// The text of a PDF as pdftotext reads it, page layout kept.
std::string pdfText(const std::filesystem::path &pdf);

// The lines of a UTF-8 text file (CR, LF or CR LF line ends; a leading byte-order mark dropped).
std::vector<std::string> textLines(const std::filesystem::path &path);

// How many times a text occurs in another.
std::size_t occurrences(const std::string &text, const std::string &what);

} // namespace camlog::test
