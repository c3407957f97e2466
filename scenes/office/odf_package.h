// An OpenDocument package: the mimetype entry first and stored, the XML parts, the pictures, and
// a manifest that lists them all.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace camlog::scenes::office {

struct OdfPart {
    std::string name; // "content.xml", "styles.xml", …
    std::string xml;
};

struct OdfPicture {
    std::string name; // "Pictures/scene1.jpg"
    std::filesystem::path file;
    std::string mediaType;
};

// Writes the package to destination (replacing a file there only once it is complete); false
// with the reason in error when it cannot.
bool WriteOdfPackage(const std::filesystem::path &destination, const std::string &mimeType,
                     const std::vector<OdfPart> &parts, const std::vector<OdfPicture> &pictures, std::string &error);

// The XML declaration and the namespaces of the ODF document elements.
extern const char *const kXmlDeclaration;
extern const char *const kOdfNamespaces;

// meta.xml naming the program that wrote the document.
std::string OdfMeta(const std::string &generator);

} // namespace camlog::scenes::office
