// The exports of a scene list to office documents.
#include "commands/office_exports.h"

#include "commands/scene_export_loop.h"
#include "core/avi_fichier.h"
#include "media/thumbnails/thumbnail_encoder.h"
#include "scenes/office/write_excel.h"
#include "scenes/office/write_oo_calc.h"
#include "scenes/office/write_oo_writer.h"
#include "scenes/office/write_word.h"

#include <memory>
#include <optional>
#include <stdexcept>

namespace camlog::commands {

namespace {

std::optional<scenes::office::EncodedPicture> encodeThumbnail(const scenes::BgrPicture &picture)
{
    auto encoded = media::EncodeThumbnail(picture);
    if (!encoded)
        return std::nullopt;
    return std::move(encoded).value();
}

std::unique_ptr<scenes::office::SceneDocument> createDocument(OfficeDocumentType type, const std::string &videoPath,
                                                              const std::string &destination,
                                                              const scenes::office::OfficeExportInfo &info)
{
    using namespace scenes::office;
    switch (type) {
    case OfficeDocumentType::Excel:
        return std::make_unique<TWriteExcel>(videoPath, destination, info);
    case OfficeDocumentType::Calc:
        return std::make_unique<TWriteOoCalc>(videoPath, destination, info);
    case OfficeDocumentType::Word:
        return std::make_unique<TWriteWord>(videoPath, destination, info, encodeThumbnail);
    case OfficeDocumentType::Writer:
        return std::make_unique<TWriteOoWriter>(videoPath, destination, info, encodeThumbnail);
    }
    return nullptr;
}

bool hasPictures(OfficeDocumentType type)
{
    return type == OfficeDocumentType::Word || type == OfficeDocumentType::Writer;
}

} // namespace

const char *OfficeDocumentEnding(OfficeDocumentType type)
{
    switch (type) {
    case OfficeDocumentType::Excel:
        return ".xlsx";
    case OfficeDocumentType::Word:
        return ".docx";
    case OfficeDocumentType::Calc:
        return ".ods";
    case OfficeDocumentType::Writer:
        return ".odt";
    }
    return "";
}

bool ExporterScenesOfficeExecution(const core::TaviFichier &fichier, const std::string &destination,
                                   const prefs::Settings &settings, const scenes::office::OfficeExportInfo &info,
                                   OfficeDocumentType type, engine::TCommandEngine &ce)
{
    std::unique_ptr<scenes::office::SceneDocument> document;
    const bool complete = ExportSceneList(
        fichier, settings, hasPictures(type), ce,
        [&] { document = createDocument(type, fichier.FullPath, destination, info); },
        [&document](const scenes::TSceneClass &scene) { document->AddScene(scene); });
    // A document writes nothing before close(): dropping it keeps the file that was there.
    if (!complete)
        return false;
    // The engine names the file that failed; the cause (a full disk, a read-only folder) is told
    // before.
    if (!document->close()) {
        ce.MessageCommand(document->errorMessage());
        throw std::runtime_error(document->errorMessage());
    }
    return true;
}

} // namespace camlog::commands
