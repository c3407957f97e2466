// An OpenDocument package written with libzip.
#include "scenes/office/odf_package.h"

#include "scenes/office/xml_text.h"
#include "scenes/office/zip_package.h"

namespace camlog::scenes::office {

const char *const kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const char *const kOdfNamespaces = " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
                                   " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
                                   " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
                                   " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
                                   " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
                                   " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
                                   " xmlns:xlink=\"http://www.w3.org/1999/xlink\""
                                   " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
                                   " xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\""
                                   " office:version=\"1.2\"";

namespace {

std::string manifest(const std::string &mimeType, const std::vector<OdfPart> &parts,
                     const std::vector<OdfPicture> &pictures)
{
    std::string xml = kXmlDeclaration;
    xml += "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
           "manifest:version=\"1.2\">\n";
    xml += " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" manifest:media-type=\""
           + XmlEscaped(mimeType) + "\"/>\n";
    for (const OdfPart &part : parts)
        xml += " <manifest:file-entry manifest:full-path=\"" + XmlEscaped(part.name)
               + "\" manifest:media-type=\"text/xml\"/>\n";
    for (const OdfPicture &picture : pictures)
        xml += " <manifest:file-entry manifest:full-path=\"" + XmlEscaped(picture.name) + "\" manifest:media-type=\""
               + XmlEscaped(picture.mediaType) + "\"/>\n";
    xml += "</manifest:manifest>\n";
    return xml;
}

} // namespace

std::string OdfMeta(const std::string &generator)
{
    return std::string(kXmlDeclaration) + "<office:document-meta" + kOdfNamespaces + "><office:meta><meta:generator>"
           + XmlEscaped(generator) + "</meta:generator></office:meta></office:document-meta>\n";
}

bool WriteOdfPackage(const std::filesystem::path &destination, const std::string &mimeType,
                     const std::vector<OdfPart> &parts, const std::vector<OdfPicture> &pictures, std::string &error)
{
    ZipPackage package(destination);
    // Readers recognise the type from the first entry, which must be stored as it is.
    package.addText("mimetype", mimeType, false);
    for (const OdfPart &part : parts)
        package.addText(part.name, part.xml);
    for (const OdfPicture &picture : pictures)
        package.addFile(picture.name, picture.file, false);
    package.addText("META-INF/manifest.xml", manifest(mimeType, parts, pictures));
    if (package.close())
        return true;
    error = package.errorMessage();
    return false;
}

} // namespace camlog::scenes::office
