// The file object: name parts, directory facts and what one probe of the file learned.
#include "core/avi_fichier.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace camlog::core {

namespace {

// Lower case of ASCII and of the Latin-1 letters (the accented names of home videos); other
// characters are left as they are, so the key stays valid UTF-8.
std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c + 32);
        } else if (c == 0xC3 && i + 1 < out.size()) {
            const auto next = static_cast<unsigned char>(out[i + 1]);
            // U+00C0..U+00DE without U+00D7 (the multiplication sign)
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                out[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return out;
}

std::string formatHex16(std::uint32_t value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.16x", value);
    return buffer;
}

// "yyyymmddhhnnss" holds no locale item, so the fixed locale keeps it locale-proof.
std::string sortableDateTime(DateTime value)
{
    static const DateTimeLocale locale = DateTimeLocale::fallback();
    return FormatDateTimePattern("yyyymmddhhnnss", value, locale).value_or(std::string());
}

std::optional<std::string> formatDisplay(const AviFileContext &context, DateTime value)
{
    if (context.locale != nullptr)
        return FormatDateTimePattern(context.datecodePattern, value, *context.locale);
    return FormatDateTimePattern(context.datecodePattern, value);
}

DateTime localDateTime(const struct statx_timestamp &stamp)
{
    const auto seconds = static_cast<std::time_t>(stamp.tv_sec);
    struct tm local {};
    if (localtime_r(&seconds, &local) == nullptr)
        return DateTime();
    DateTimeFields fields;
    fields.year = local.tm_year + 1900;
    fields.month = local.tm_mon + 1;
    fields.day = local.tm_mday;
    fields.hour = local.tm_hour;
    fields.minute = local.tm_min;
    // A leap second (tm_sec 60) is not a calendar time.
    fields.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    fields.millisecond = static_cast<int>(stamp.tv_nsec / 1'000'000);
    return DateTime::fromFields(fields).value_or(DateTime());
}

bool fileExists(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The path with its extension (from the last "." of the name) replaced.
std::string withExtension(const TAbstractListFichier &file, std::string_view extension)
{
    return file.Folder + file.BaseName + std::string(extension);
}

std::string channelText(std::uint16_t channels)
{
    switch (channels) {
    case 0:
        return "no channel";
    case 1:
        return " mono";
    case 2:
        return " stereo";
    default:
        return " stereo (" + std::to_string(channels) + ")";
    }
}

bool printable(FourCC code)
{
    for (int i = 0; i < 4; ++i) {
        if (static_cast<unsigned char>(code.at(i)) < 0x20)
            return false;
    }
    return true;
}

constexpr std::uint32_t kFiftyHzBit = 0x200000; // 50/60 bit of the VAUX source pack in dwDVVAuxSrc

} // namespace

bool FindFile(const std::string &fullPath, TSearchRec &rec)
{
    struct statx st {};
    if (fullPath.empty() || ::statx(AT_FDCWD, fullPath.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return false;
    const auto slash = fullPath.find_last_of('/');
    rec.Name = slash == std::string::npos ? fullPath : fullPath.substr(slash + 1);
    rec.Size = S_ISREG(st.stx_mode) ? st.stx_size : 0;
    rec.Modified = localDateTime(st.stx_mtime);
    rec.Accessed = localDateTime(st.stx_atime);
    rec.Created = (st.stx_mask & STATX_BTIME) != 0 ? localDateTime(st.stx_btime) : rec.Modified;
    rec.Attributes = S_ISDIR(st.stx_mode) ? attr::kDirectory : attr::kArchive;
    if ((st.stx_mode & S_IWUSR) == 0)
        rec.Attributes |= attr::kReadOnly;
    return true;
}

// ---------------------------------------------------------------------------------------

TAbstractListFichier::TAbstractListFichier(const std::string &fullPath)
{
    SetPath(fullPath);
}

void TAbstractListFichier::SetPath(const std::string &fullPath)
{
    FullPath = fullPath;
    const auto slash = fullPath.find_last_of('/');
    FileName = slash == std::string::npos ? fullPath : fullPath.substr(slash + 1);
    Folder = slash == std::string::npos ? std::string() : fullPath.substr(0, slash + 1);
    const auto dot = FileName.find_last_of('.');
    Extension = dot == std::string::npos ? std::string() : FileName.substr(dot);
    BaseName = FileName.substr(0, FileName.size() - Extension.size());
    AlphaKey = lowerCase(FileName + FullPath);
    ExtensionKey = lowerCase(Extension + FullPath);
    PathKey = lowerCase(FullPath);
}

std::string TAbstractListFichier::GetSortKey(std::string_view keyWord) const
{
    if (keyWord == "alpha")
        return AlphaKey;
    if (keyWord == "extension")
        return ExtensionKey;
    if (keyWord == "chemin")
        return PathKey;
    return {};
}

// ---------------------------------------------------------------------------------------

TSRFichier::TSRFichier(const std::string &fullPath) : TAbstractListFichier(fullPath)
{
    TSearchRec rec;
    if (FindFile(fullPath, rec))
        fillFromSearch(Folder, rec);
}

TSRFichier::TSRFichier(const std::string &folder, const TSearchRec &rec)
{
    fillFromSearch(folder, rec);
}

void TSRFichier::fillFromSearch(const std::string &folder, const TSearchRec &rec)
{
    SetPath(folder + rec.Name);
    Found = true;
    SizeHigh = static_cast<std::uint32_t>(rec.Size >> 32);
    SizeLow = static_cast<std::uint32_t>(rec.Size & 0xFFFFFFFFu);
    Created = rec.Created;
    Modified = rec.Modified;
    Accessed = rec.Accessed;
    Attributes = rec.Attributes;
    ReadOnly = (rec.Attributes & attr::kReadOnly) != 0;
    const std::string lowerPath = lowerCase(FullPath);
    SizeKey = formatHex16(SizeHigh) + formatHex16(SizeLow) + lowerPath;
    ModifiedKey = sortableDateTime(Modified) + lowerPath;
}

std::string TSRFichier::GetSortKey(std::string_view keyWord) const
{
    if (keyWord == "taille")
        return SizeKey;
    if (keyWord == "modify")
        return ModifiedKey;
    return TAbstractListFichier::GetSortKey(keyWord);
}

// ---------------------------------------------------------------------------------------

TaviFichier::TaviFichier(const std::string &fullPath, const AviFileContext &context)
{
    SetPath(fullPath);
    TSearchRec rec;
    if (FindFile(fullPath, rec)) {
        fillFromSearch(Folder, rec);
        learn(context);
    }
}

TaviFichier::TaviFichier(const std::string &folder, const TSearchRec &rec, const AviFileContext &context)
{
    fillFromSearch(folder, rec);
    learn(context);
}

std::unique_ptr<TaviFichier> TaviFichier::Create(const std::string &fullPath, const AviFileContext &context)
{
    return std::make_unique<TaviFichier>(fullPath, context);
}

std::unique_ptr<TaviFichier> TaviFichier::CreateFromSearch(const std::string &folder, const TSearchRec &rec,
                                                           const AviFileContext &context)
{
    return std::make_unique<TaviFichier>(folder, rec, context);
}

std::string TaviFichier::GetSortKey(std::string_view keyWord) const
{
    if (keyWord == "datecode")
        return DatecodeSortKey;
    if (keyWord == "timecode")
        return TimecodeSortKey;
    if (keyWord == "duree")
        return DurationSortKey;
    return TSRFichier::GetSortKey(keyWord);
}

// Nothing here is shared between objects: the header walk and the prober use their own
// file handles, so objects may be built on several threads at once without a lock.
void TaviFichier::learn(const AviFileContext &context)
{
    Shift = DateTime();
    DatecodeText = "-";
    TimecodeText = "-";
    DatecodeKey = std::string(kKeyNotLearned);
    System = 2;
    HasScn = fileExists(withExtension(*this, ".scn"));
    HasSrt = fileExists(withExtension(*this, ".srt"));

    const auto markUnreadable = [this] {
        TimecodeText.clear();
        DatecodeText.clear();
        DatecodeKey = std::string(kKeyUnreadable);
    };

    {
        const TFriendlyAviParam param(FullPath);
        if (param.Valid()) {
            Codec = param.VideoCodec();
        } else {
            markUnreadable();
            Codec.clear();
        }
    }

    // A prober that fails could not open the file as media. There is no second attempt with
    // the handler code rewritten to dvsd: the prober knows DV by its frames, whatever the
    // handler says, so a rewrite could not change its answer, and the user's file is never
    // written while it is being looked at.
    ProbeResult probe;
    if (context.prober == nullptr || !context.prober->Probe(FullPath, probe)) {
        probe = ProbeResult();
        markUnreadable();
    }

    HasPicture = probe.VideoFound;
    HasAudio = probe.AudioFound;
    if (probe.VideoFound) {
        if (printable(probe.Compression))
            Codec = probe.Compression.toString();
        const std::int64_t height = std::llabs(static_cast<long long>(probe.Height));
        SizeText = std::to_string(probe.Width) + " x " + std::to_string(height);
        Width = static_cast<std::uint32_t>(probe.Width);
        DisplayHeight = static_cast<std::uint32_t>(height);
        Duration = probe.VideoDuration.value_or(0);
        // A file that gives no frame length has no frame rate or frame count; dividing by
        // it would be meaningless.
        if (probe.AvgTimePerFrame > 0) {
            const auto avg = static_cast<double>(probe.AvgTimePerFrame);
            FrameRate = std::round(1e9 / avg) / 100.0;
            const double frames = std::round(static_cast<double>(Duration) / avg);
            FrameCount = frames <= 0.0 ? 0 : frames < 4294967295.0 ? static_cast<std::uint32_t>(frames) : 0xFFFFFFFFu;
            DurationText = FormatDurationFrames(probe.AvgTimePerFrame, Duration);
        } else {
            FrameRate = 0.0;
            DurationText = FormatDurationMs(Duration);
        }
        if (!probe.VideoDuration) {
            FrameCount = 0;
            DurationText = "N/A";
        }
    } else {
        Codec.clear();
        SizeText = "N/A";
        FrameRate = 0.0;
        Width = 0;
        DisplayHeight = 0;
    }

    if (probe.AudioFound) {
        const WaveFormatEx &wave = probe.Wave;
        SampleRate = wave.nSamplesPerSec;
        BitsPerSample = wave.wBitsPerSample;
        AudioText = std::to_string(wave.nSamplesPerSec) + "Hz ";
        if (wave.wBitsPerSample > 0)
            AudioText += std::to_string(wave.wBitsPerSample) + " bits ";
        ChannelText = channelText(wave.nChannels);
        AudioText += ChannelText;
        AudioFormatText = AudioFormatName(wave.wFormatTag) + " " + std::to_string(wave.nAvgBytesPerSec) + " bytes/s";
        if (!probe.AudioDuration)
            AudioDurationText = "N/A";
        else if (FrameRate != 0.0)
            AudioDurationText = FormatDurationFrames(std::llround(1e7 / FrameRate), *probe.AudioDuration);
        else
            AudioDurationText = FormatDurationMs(*probe.AudioDuration);
    } else {
        AudioText = "N/A";
        AudioFormatText.clear();
        AudioDurationText.clear();
    }

    if (!HasAudio && !HasPicture)
        DatecodeKey = std::string(kKeyUnreadable);

    if (probe.DvFound) {
        IsDV = true;
        // The frames tell the system whatever the headers say (a header may give 0 x 0).
        bool pal = probe.FirstFramePal;
        if (Width == 0 || SizeText.rfind("0 x ", 0) == 0 || SizeText.ends_with(" x 0")) {
            Width = 720;
            SizeText = pal ? "720 x 576" : "720 x 480";
        }
        if (probe.InterleavedFound) {
            FileType = probe.StreamCount < 2 ? 1 : 2;
            Type2Iavs = FileType == 2;
            pal = (probe.Info.dwDVVAuxSrc & kFiftyHzBit) != 0;
            FrameRate = pal ? 25.0 : 30000.0 / 1001.0;
        } else {
            FileType = 2;
        }
        SizeText += pal ? " (Pal" : " (NTSC";
        System = pal ? 0 : 1;
        Is16x9 = probe.FirstFrameWide;
        AspectText = Is16x9 ? " 16x9)" : " 4x3)";
        DisplayHeight = Is16x9 ? Width * 9 / 16 : Width * 3 / 4;
        if (probe.DatecodeFound) {
            Datecode = probe.Datecode;
            const std::optional<std::string> shown = formatDisplay(context, Datecode);
            DatecodeText = shown.value_or("N/A");
            DatecodeKey = sortableDateTime(Datecode);
            if (DatecodeKey.empty())
                DatecodeKey = "N/A";
            DatecodeFound = shown.has_value();
        } else {
            DatecodeText = "N/A";
            DatecodeKey = "N/A";
        }
        if (SampleRate == 32000 && BitsPerSample == 16)
            AudioText = "32000Hz 12(16) bits " + ChannelText;
        TimecodeFound = probe.TimecodeFound;
        TimecodeText = TimecodeFound ? FormatTimecodeDots(probe.Timecode) : "N/A";
    }

    char duration[32];
    std::snprintf(duration, sizeof duration, "%.12" PRId64, Duration);
    DatecodeSortKey = DatecodeKey + AlphaKey;
    TimecodeSortKey = TimecodeText + AlphaKey;
    DurationSortKey = duration + AlphaKey;
}

} // namespace camlog::core
