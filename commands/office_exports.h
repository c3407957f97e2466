// The exports of a scene list to office documents: spreadsheets (.xlsx, .ods) with a row per
// scene, text documents (.docx, .odt) with a grid of scenes and their pictures.
#pragma once

#include "engine/command_engine.h"
#include "prefs/settings.h"
#include "scenes/office/office_texts.h"

#include <string>

namespace camlog::core {
class TaviFichier;
}

namespace camlog::commands {

enum class OfficeDocumentType { Excel, Word, Calc, Writer };

// The ending of the document's name: ".xlsx", ".docx", ".ods", ".odt".
const char *OfficeDocumentEnding(OfficeDocumentType type);

// Writes the scenes of the video's scn file (whatever of it could be read) into a document of
// the type at destination. Raises when the document cannot be written; the file that was at
// destination then stays as it was. An abort writes nothing and keeps that file too: false then,
// true when the document was written.
bool ExporterScenesOfficeExecution(const core::TaviFichier &fichier, const std::string &destination,
                                   const prefs::Settings &settings, const scenes::office::OfficeExportInfo &info,
                                   OfficeDocumentType type, engine::TCommandEngine &ce);

} // namespace camlog::commands
