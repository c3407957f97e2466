// The office documents' text writer on any names and captions: the input, cut at its 0 bytes,
// gives the video's path, then the title and subtitle of each scene. Each of the four documents
// is written, and every XML part of it must parse as well-formed XML.
#include "scenes/office/write_excel.h"
#include "scenes/office/write_oo_calc.h"
#include "scenes/office/write_oo_writer.h"
#include "scenes/office/write_word.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace camlog;
namespace fs = std::filesystem;

std::vector<std::string> pieces(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < size && out.size() <= 9; ++i) {
        if (data[i] == 0)
            out.emplace_back();
        else
            out.back() += static_cast<char>(data[i]);
    }
    return out;
}

// Every part of the package whose name ends in .xml or .rels parses to its end.
void checkParts(const fs::path &package)
{
    int error = 0;
    zip_t *archive = zip_open(package.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        std::fprintf(stderr, "%s is no zip package\n", package.c_str());
        std::abort();
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const std::string name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        if (!name.ends_with(".xml") && !name.ends_with(".rels"))
            continue;
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        QByteArray bytes(static_cast<qsizetype>(stat.size), '\0');
        zip_file_t *file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (file == nullptr || zip_fread(file, bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
            std::abort();
        zip_fclose(file);
        QXmlStreamReader reader(bytes);
        while (!reader.atEnd())
            reader.readNext();
        if (reader.hasError()) {
            std::fprintf(stderr, "%s: %s is not well-formed: %s\n", package.c_str(), name.c_str(),
                         reader.errorString().toUtf8().constData());
            std::abort();
        }
    }
    zip_close(archive);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fs::path folder = fs::temp_directory_path() / ("camlog-fuzz-office-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::vector<std::string> texts = pieces(data, size);
    scenes::SceneContext context;
    context.videoLoaded = true;
    context.frameRate = 25.0;
    std::vector<std::unique_ptr<scenes::TSceneClass>> scenesList;
    for (std::size_t k = 1; k < texts.size(); k += 2) {
        const auto n = static_cast<std::int32_t>(scenesList.size());
        auto scene = std::make_unique<scenes::TSceneClass>(n * 50, n * 50 + 50, context);
        scene->number = n + 1;
        scene->title = texts[k];
        scene->subtitle = k + 1 < texts.size() ? texts[k + 1] : std::string();
        scene->filled = true;
        scenesList.push_back(std::move(scene));
    }
    scenes::office::OfficeExportInfo info;
    info.webSite = "https://www.camlog.org/";
    const auto noPicture = [](const scenes::BgrPicture &) {
        return std::optional<scenes::office::EncodedPicture>();
    };
    const std::string video = "/video/" + texts[0];
    std::vector<std::pair<std::unique_ptr<scenes::office::SceneDocument>, fs::path>> documents;
    documents.emplace_back(std::make_unique<scenes::office::TWriteExcel>(video, folder / "d.xlsx", info),
                           folder / "d.xlsx");
    documents.emplace_back(std::make_unique<scenes::office::TWriteOoCalc>(video, folder / "d.ods", info),
                           folder / "d.ods");
    documents.emplace_back(std::make_unique<scenes::office::TWriteWord>(video, folder / "d.docx", info, noPicture),
                           folder / "d.docx");
    documents.emplace_back(std::make_unique<scenes::office::TWriteOoWriter>(video, folder / "d.odt", info, noPicture),
                           folder / "d.odt");
    for (auto &[document, path] : documents) {
        for (const auto &scene : scenesList)
            document->AddScene(*scene);
        if (!document->close()) {
            std::fprintf(stderr, "%s not written: %s\n", path.c_str(), document->errorMessage().c_str());
            std::abort();
        }
        checkParts(path);
    }
    return 0;
}
