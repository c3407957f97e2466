// The file object: everything the program knows about one video file, learned once when it is built.
#pragma once

#include "core/avi_param.h"
#include "core/date_time.h"
#include "core/dv_frame.h"
#include "core/format.h"
#include "core/four_cc.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace camlog::core {

// ---------------------------------------------------------------------------------------
// What one probe of a file learned: the formats of its first video and first audio stream,
// their durations, and the values of its first DV frame.
struct ProbeResult {
    bool VideoFound = false;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int64_t AvgTimePerFrame = 0; // 100-ns units; 0 when the file does not say
    FourCC Compression;               // biCompression of the video format
    // 100-ns units; nothing when the headers hold values no duration can be made of.
    std::optional<std::int64_t> VideoDuration{0};

    bool AudioFound = false;
    WaveFormatEx Wave;
    std::optional<std::int64_t> AudioDuration{0}; // as VideoDuration

    bool InterleavedFound = false; // the DV came through an interleaved (iavs or raw DV) stream
    DvInfo Info;                   // dwDVVAuxSrc carries the 50/60 bit (0x200000 = 50 Hz)

    std::int32_t StreamCount = 0;
    bool DvFound = false;

    // From the first DV frame; all false when the file is not DV.
    bool DatecodeFound = false;
    DateTime Datecode;
    bool TimecodeFound = false;
    TTimecode Timecode;
    bool FirstFrameWide = false;
    bool FirstFramePal = false; // a frame of 12 DIF sequences (625 lines, 50 Hz)
};

// Looks into a media file. Probe starts from a cleared result and returns false when the
// file could not be opened as media at all. Implementations must be callable from several
// threads at once and must never write into the file.
class MediaProber {
public:
    virtual ~MediaProber() = default;
    virtual bool Probe(const std::string &path, ProbeResult &result) const = 0;
    // The files about to be probed, in the order they will be: a prober may start reading
    // what it will need of them, so that files not in memory come from the disk together.
    virtual void WillProbe(const std::vector<std::string> &paths) const { (void)paths; }
};

// What a construction needs beyond the path.
struct AviFileContext {
    const MediaProber *prober = nullptr; // null: nothing is probed (texts as for an unreadable file)
    std::string datecodePattern = "ddddd tt";
    const DateTimeLocale *locale = nullptr; // null: the C library's current locale
};

// What a directory search tells about one file (names are UTF-8, times local).
struct TSearchRec {
    std::string Name;
    std::uint64_t Size = 0;
    DateTime Created; // birth time where the file system keeps one, else modification time
    DateTime Modified;
    DateTime Accessed;
    std::uint32_t Attributes = 0;
};

namespace attr {
inline constexpr std::uint32_t kReadOnly = 0x01; // the owner has no write permission
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20; // any other file
} // namespace attr

// Looks one path up (no link following beyond the path itself); false when nothing is there.
bool FindFile(const std::string &fullPath, TSearchRec &rec);

// ---------------------------------------------------------------------------------------
// Sort indexes: key word, menu caption, status text.
struct TSortIndex {
    std::string_view KeyWord;
    std::string_view MenuCaption;
    std::string_view StatusText;
};

inline constexpr std::array<TSortIndex, 8> kSortIndexes{{
    {"alpha", "in alphabetical order", "sorted alphabetically"},
    {"extension", "by extension", "sorted by extension"},
    {"chemin", "by path", "sorted by path"},
    {"taille", "by file size", "sorted by size"},
    {"modify", "by file date", "sorted by file date"},
    {"datecode", "by datecode", "sorted by datecode"},
    {"timecode", "by timecode", "Sort by timecode"},
    {"duree", "by duration", "sorted by duration"},
}};

// Sort-key texts that put files without a datecode after all others (UTF-8 of U+00FE, U+00FF).
inline constexpr std::string_view kKeyNotLearned = "\xC3\xBE";
inline constexpr std::string_view kKeyUnreadable = "\xC3\xBF";

// ---------------------------------------------------------------------------------------
// An entry of the file list, built from a full path ("/" separators).
class TAbstractListFichier {
public:
    TAbstractListFichier() = default;
    // Create
    explicit TAbstractListFichier(const std::string &fullPath);
    virtual ~TAbstractListFichier() = default;

    // The key for a sort index key word; empty for a key word this level does not know.
    virtual std::string GetSortKey(std::string_view keyWord) const;
    // Sets FullPath and recomputes the other fields of this level only.
    void SetPath(const std::string &fullPath);

    std::string FullPath;
    std::string FileName;  // text after the last "/"
    std::string Extension; // with its dot; empty if none
    std::string Folder;    // with a trailing "/"
    std::string BaseName;
    std::string AlphaKey;
    std::string ExtensionKey;
    std::string PathKey;
};

// Adds what the directory search says about the file.
class TSRFichier : public TAbstractListFichier {
public:
    TSRFichier() = default;
    // Create: a search for the path; when nothing is found every field but the path ones stays empty.
    explicit TSRFichier(const std::string &fullPath);
    // CreateFromSearch: folder with its trailing "/", and the search record of the file in it.
    TSRFichier(const std::string &folder, const TSearchRec &rec);

    std::string GetSortKey(std::string_view keyWord) const override;

    std::uint64_t FileSize() const { return (static_cast<std::uint64_t>(SizeHigh) << 32) | SizeLow; }

    bool Found = false; // the search found the file (false: a missing file, fields empty)
    std::uint32_t SizeHigh = 0;
    std::uint32_t SizeLow = 0;
    DateTime Created;
    DateTime Modified;
    DateTime Accessed;
    std::uint32_t Attributes = 0;
    bool ReadOnly = false;
    std::string SizeKey;
    std::string ModifiedKey;

protected:
    void fillFromSearch(const std::string &folder, const TSearchRec &rec);
};

// Adds what was learned by opening the file once: DV or not, format, first-frame datecode.
// Built once; afterwards only Shift/ShiftText and (through SetPath) the path fields change.
class TaviFichier : public TSRFichier {
public:
    TaviFichier() = default;
    // Create
    TaviFichier(const std::string &fullPath, const AviFileContext &context);
    // CreateFromSearch
    TaviFichier(const std::string &folder, const TSearchRec &rec, const AviFileContext &context);

    static std::unique_ptr<TaviFichier> Create(const std::string &fullPath, const AviFileContext &context);
    static std::unique_ptr<TaviFichier> CreateFromSearch(const std::string &folder, const TSearchRec &rec,
                                                         const AviFileContext &context);

    std::string GetSortKey(std::string_view keyWord) const override;

    std::string DatecodeKey;
    std::string DatecodeText;
    DateTime Datecode;
    DateTime Shift;
    std::string ShiftText;
    std::string TimecodeText;
    std::string Codec; // four characters, or empty
    std::uint32_t FileType = 0;
    bool Type2Iavs = false;
    std::string SizeText;
    std::string AspectText;
    std::uint32_t Width = 0;
    std::uint32_t DisplayHeight = 0;
    std::int64_t Duration = 0; // 100-ns units
    std::string DurationText;
    std::uint32_t FrameCount = 0;
    double FrameRate = 0.0;
    std::string AudioText;
    std::string AudioDurationText;
    std::string AudioFormatText;
    std::uint8_t System = 2; // 0 PAL, 1 NTSC, 2 unknown
    bool HasScn = false;
    bool HasSrt = false;
    bool IsDV = false;
    bool Is16x9 = false;
    std::uint32_t SampleRate = 0;
    std::uint32_t BitsPerSample = 0;
    std::string ChannelText;
    std::string DatecodeSortKey;
    std::string TimecodeSortKey;
    std::string DurationSortKey;
    // What the texts above show, for decisions: the texts are for display only.
    bool HasPicture = false;    // a video stream was found (SizeText gives its size)
    bool HasAudio = false;      // an audio stream was found (AudioText gives its format)
    bool DatecodeFound = false; // the first frame's datecode was read as a date (DatecodeText)
    bool TimecodeFound = false; // the first frame's timecode was read (TimecodeText)

private:
    void learn(const AviFileContext &context);
};

// The class of the objects the command engine builds for reloaded and new files.
class TAfficherFichier : public TaviFichier {
public:
    using TaviFichier::TaviFichier;
};

} // namespace camlog::core
