// The error kinds of the stages, as the kinds of a recipe's run.
#include "media/pipeline/run_error.h"

#include "media/audio/audio_rate_converter.h"
#include "media/audio/dv_audio.h"
#include "media/pipeline/reencode_error.h"
#include "media/pipeline/source_error.h"
#include "media/writing/dv_avi_writer.h"
#include "media/writing/wav_writer.h"

namespace camlog::media {

RunErrorCode runErrorCode(SourceErrorCode code)
{
    switch (code) {
    case SourceErrorCode::NotFound:
        return RunErrorCode::NotFound;
    case SourceErrorCode::Unreadable:
        return RunErrorCode::Unreadable;
    case SourceErrorCode::NotDv:
    case SourceErrorCode::NoFrame:
        return RunErrorCode::NotDv;
    case SourceErrorCode::UnsupportedAudio:
        return RunErrorCode::UnsupportedAudio;
    case SourceErrorCode::NoAudio:
        return RunErrorCode::NothingToDo;
    case SourceErrorCode::Truncated:
        return RunErrorCode::Truncated;
    }
    return RunErrorCode::Failed;
}

RunErrorCode runErrorCode(ReencodeErrorCode code)
{
    switch (code) {
    case ReencodeErrorCode::CannotOpen:
        return RunErrorCode::Unreadable;
    case ReencodeErrorCode::NoStream:
        return RunErrorCode::NoStream;
    case ReencodeErrorCode::NoDecoder:
        return RunErrorCode::NoDecoder;
    case ReencodeErrorCode::DecodeFailed:
        return RunErrorCode::DecodeFailed;
    case ReencodeErrorCode::Truncated:
        return RunErrorCode::Truncated;
    case ReencodeErrorCode::PictureFailed:
        return RunErrorCode::PictureFailed;
    case ReencodeErrorCode::EncodeFailed:
        return RunErrorCode::EncodeFailed;
    case ReencodeErrorCode::AudioFailed:
        return RunErrorCode::AudioFailed;
    case ReencodeErrorCode::WriteFailed:
        return RunErrorCode::WriteFailed;
    case ReencodeErrorCode::DiskFull:
        return RunErrorCode::DiskFull;
    }
    return RunErrorCode::Failed;
}

RunErrorCode runErrorCode(WriterErrorCode code)
{
    switch (code) {
    case WriterErrorCode::CannotCreate:
        return RunErrorCode::CannotCreate;
    case WriterErrorCode::DiskFull:
        return RunErrorCode::DiskFull;
    case WriterErrorCode::WriteFailed:
    case WriterErrorCode::TooLong:
    case WriterErrorCode::Finished:
        return RunErrorCode::WriteFailed;
    case WriterErrorCode::BadFrame:
        return RunErrorCode::Failed; // the recipe gave the writer what it cannot take
    }
    return RunErrorCode::Failed;
}

RunErrorCode runErrorCode(WavErrorCode code)
{
    switch (code) {
    case WavErrorCode::BadFormat:
        return RunErrorCode::UnsupportedAudio;
    case WavErrorCode::WriteFailed:
    case WavErrorCode::TooLarge:
        return RunErrorCode::WriteFailed;
    }
    return RunErrorCode::Failed;
}

RunErrorCode runErrorCode(AudioRateErrorCode code)
{
    (void)code;
    return RunErrorCode::AudioFailed;
}

RunErrorCode runErrorCode(DvAudioErrorCode code)
{
    (void)code;
    return RunErrorCode::AudioFailed;
}

} // namespace camlog::media
