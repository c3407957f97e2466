// Writes the seed corpus of the fuzz harnesses (tests/fuzz/corpus/<harness>/): small files
// built with the RIFF builder of the tests and, where a DV frame is needed, the first frame of
// a generated fixture. The build runs it once per build tree, after the fixtures:
//   fuzz_make_seeds <fixture folder> <corpus folder>
#include "scenes/scene_class.h"
#include "scenes/scn_file.h"
#include "support/riff_builder.h"
#include "support/test_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
namespace t = camlog::test;
using t::Bytes;

fs::path g_corpus;

void seed(const std::string &harness, const std::string &name, const Bytes &bytes)
{
    const fs::path dir = g_corpus / harness;
    fs::create_directories(dir);
    t::writeBytes(dir / name, bytes);
}

Bytes firstFrame(const fs::path &dv, std::size_t frameSize)
{
    const Bytes all = t::readBytes(dv);
    return Bytes(all.begin(), all.begin() + static_cast<long>(std::min(frameSize, all.size())));
}

Bytes waveFormat()
{
    Bytes wave;
    t::appendLe16(wave, 1);
    t::appendLe16(wave, 2);
    t::appendLe32(wave, 48000);
    t::appendLe32(wave, 192000);
    t::appendLe16(wave, 4);
    t::appendLe16(wave, 16);
    t::appendLe16(wave, 0);
    return wave;
}

Bytes dvInfo()
{
    Bytes info = t::zeros(32);
    info[16 + 2] = 0x20; // dwDVVAuxSrc: 50 Hz
    return info;
}

// One-frame DV AVI files of both types, with an idx1, and an OpenDML-style super index.
void dvFiles(const std::string &harness, const Bytes &pal)
{
    const Bytes type1 = t::riff(
        "AVI ", {t::list("hdrl", {t::avihChunk(1),
                                  t::list("strl", {t::chunk("strh", t::streamHeaderData("iavs", "dvsd", 1, 25, 1)),
                                                   t::chunk("strf", dvInfo())})}),
                 t::list("movi", {t::chunk("00__", pal)}), t::chunk("idx1", t::zeros(16))});
    seed(harness, "type1.avi", type1);
    Bytes bitmap;
    t::appendLe32(bitmap, 40);
    t::appendLe32(bitmap, 720);
    t::appendLe32(bitmap, 576);
    t::appendLe16(bitmap, 1);
    t::appendLe16(bitmap, 24);
    t::appendFourCC(bitmap, "dvsd");
    bitmap.resize(40);
    const Bytes type2 = t::riff(
        "AVI ", {t::list("hdrl", {t::avihChunk(2),
                                  t::list("strl", {t::chunk("strh", t::streamHeaderData("vids", "dvsd", 1, 25, 1)),
                                                   t::chunk("strf", t::cat({bitmap, dvInfo()})),
                                                   t::chunk("indx", t::indexData("00dc", 4))}),
                                  t::list("strl", {t::chunk("strh", t::streamHeaderData("auds", "", 1, 48000, 1920)),
                                                   t::chunk("strf", waveFormat())}),
                                  t::list("odml", {t::chunk("dmlh", t::zeros(248))})}),
                 t::list("movi", {t::list("rec ", {t::chunk("00dc", pal), t::chunk("01wb", t::zeros(7680))})})});
    seed(harness, "type2.avi", type2);
}

void riffSeeds()
{
    seed("riff", "type1_headers.avi", t::aviFile({t::streamList("iavs", "dvsd")}));
    seed("riff", "type2_headers.avi", t::aviFile({t::streamList("vids", "dvsd"), t::streamList("auds", "")}));
    seed("riff", "opendml.avi", t::cat({t::aviFile({t::streamList("iavs", "dvsd")}), t::avixRiff(2)}));
    seed("riff", "garbage_tail.avi", t::cat({t::aviFile({t::streamList("iavs", "dvsd")}, 1), t::zeros(100)}));
    seed("riff", "overlong.avi",
         t::listDeclaring("RIFF", "AVI ", 5000, t::list("hdrl", {t::chunk("indx", t::indexData("00dc", 4))})));
    seed("riff", "odd_chunks.avi",
         t::riff("AVI ", {t::chunk("JUNK", t::zeros(3)), t::chunkUnpadded("odd ", t::zeros(5)),
                          t::list("hdrl", {t::avihChunk(1)})}));
}

void scnSeeds(const fs::path &work)
{
    const camlog::core::DateTimeLocale locale = camlog::core::DateTimeLocale::fallback();
    camlog::scenes::SceneContext context;
    context.frameRate = 25.0;
    context.locale = &locale;
    camlog::scenes::SceneList list;
    const char *titles[] = {"First", "Caf\xC3\xA9", ""};
    for (int i = 0; i < 3; ++i) {
        camlog::scenes::SceneItem item;
        item.scene = std::make_unique<camlog::scenes::TSceneClass>(i * 100, i * 100 + 100, context);
        item.scene->title = titles[i];
        item.scene->subtitle = i == 1 ? "sous-titre" : "";
        item.label = "Scene";
        list.push_back(std::move(item));
    }
    const std::string video = (work / "clip.avi").string();
    t::writeBytes(video, {});
    if (!camlog::scenes::SaveSceneList(video, list).ok)
        std::fprintf(stderr, "cannot write the scn seed\n");
    const Bytes scn = t::readBytes(work / "clip.scn");
    seed("scn", "three_scenes.scn", scn);
    seed("scn", "cut.scn", Bytes(scn.begin(), scn.begin() + static_cast<long>(scn.size() / 2)));
}

Bytes utf16(const std::string &ascii)
{
    Bytes out = {0xFF, 0xFE};
    for (const char c : ascii) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

void textSeeds()
{
    const std::string playlist = "# Camlog playlist\r\n/videos/a.avi\r\n  /videos/b c.avi  \r\n\r\n";
    seed("playlist_script", "playlist_utf16.txt", utf16(playlist));
    seed("playlist_script", "script.txt", t::text("# a script\n/x\n+showlist=false\n-alpha\n/e=\"1h 2mn\"\nunknown\n"));
    seed("playlist_script", "latin1.txt", Bytes{'/', 'v', 'i', 'd', 0xE9, 'o', '.', 'a', 'v', 'i', '\r'});
    const std::string ini =
        "[Preferences]\r\nintervalle=5\r\nFormat pour Afficher Datecode=ddddd tt\r\n[Other]\r\nx=1\r\n";
    seed("ini", "settings_utf16.ini", utf16(ini));
    seed("ini", "settings_utf8.ini", t::text(ini));
    seed("ini", "settings_1252.ini", Bytes{'[', 'P', ']', '\n', 'D', 'u', 'r', 0xE9, 'e', '=', '2', '\n'});
    for (const char *pattern :
         {"yyyy/mm/dd hh:nn:ss", "ddddd tt", "dddddd 'at' t", "c am/pm a/p ampm", "d/m/yy z zzz"}) {
        double days = 45413.4211;
        Bytes bytes(sizeof days);
        std::memcpy(bytes.data(), &days, sizeof days);
        const Bytes text = t::text(pattern);
        bytes.insert(bytes.end(), text.begin(), text.end());
        std::string name = pattern;
        for (char &c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        seed("date_pattern", name, bytes);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_make_seeds <fixture folder> <corpus folder>\n");
        return 2;
    }
    const fs::path fixtures = argv[1];
    g_corpus = argv[2];
    const Bytes pal = firstFrame(fixtures / "pal_4x3_48k.dv", 144000);
    const Bytes ntsc = firstFrame(fixtures / "ntsc_4x3_48k.dv", 120000);
    riffSeeds();
    dvFiles("probe", pal);
    seed("probe", "headers_only.avi", t::aviFile({t::streamList("iavs", "dvsd")}));
    dvFiles("dv_reader", pal);
    seed("dv_reader", "raw_ntsc.dv", ntsc); // its first byte is odd: the harness names it .dv
    seed("dv_audio", "pal_frame", t::cat({Bytes{0}, pal}));
    seed("dv_audio", "ntsc_frame", t::cat({Bytes{1}, ntsc}));
    // The scn seed is written next to a video, as the program writes it, then taken away.
    const fs::path work = g_corpus / "scn-work";
    fs::create_directories(work);
    scnSeeds(work);
    fs::remove_all(work);
    textSeeds();
    // Names and captions cut at 0 bytes: the video's path, then title and subtitle per scene.
    const auto texts = [](std::initializer_list<std::string> parts) {
        Bytes bytes;
        for (const std::string &part : parts) {
            if (!bytes.empty())
                bytes.push_back(0);
            bytes.insert(bytes.end(), part.begin(), part.end());
        }
        return bytes;
    };
    seed("office_text", "plain", texts({"Tape & <three>.avi", "Beach", "Day one", "Hills", ""}));
    seed("office_text", "odd",
         texts({"a\xEF\xBF\xBE\x01.avi", "\xEF\xBF\xBF\x1B", "\xFF\xFE bad", "\xC3\xA9t\xC3\xA9"}));
    // Any AVI FFmpeg opens: the DV fixtures, one with dropped pictures, and other codecs.
    for (const char *fixture : {"tape_three-type2.avi", "tape_three-type1.avi", "dropped_frames.avi", "nondv_mpeg4.avi",
                                "ntsc_nodate-ffmpeg.avi"}) {
        Bytes bytes = t::readBytes(fixtures / fixture);
        // The first part is enough to reach every kind of chunk; small seeds keep the runs fast.
        if (bytes.size() > 600000)
            bytes.resize(600000);
        seed("reencode_source", fixture, bytes);
    }
    return 0;
}
