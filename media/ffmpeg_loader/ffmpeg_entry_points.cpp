// The FFmpeg functions the program calls, each forwarding to the library's own on first use.
// The program links these instead of the libraries, so that starting it maps none of FFmpeg.
// The FFmpeg headers declare every function: a signature written here that differs from the
// header's does not compile. A function the program starts to call gets its line here (the
// link names it when it is missing).
#include "media/ffmpeg_loader/ffmpeg_libraries.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/avutil.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libavutil/rational.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

// The function `name` of `library`, looked up once, then called with the same arguments.
#define CAMLOG_FORWARD(library, result, name, parameters, arguments)                                                   \
    result name parameters                                                                                             \
    {                                                                                                                  \
        static const auto real = reinterpret_cast<decltype(&name)>(                                                    \
            camlog::media::FfmpegEntryPoint(camlog::media::FfmpegLibrary::library, #name));                            \
        return real arguments;                                                                                         \
    }

extern "C" {

// libavutil
CAMLOG_FORWARD(Util, const char *, av_version_info, (void), ())
CAMLOG_FORWARD(Util, int, av_strerror, (int errnum, char *errbuf, size_t errbuf_size), (errnum, errbuf, errbuf_size))
CAMLOG_FORWARD(Util, const char *, av_get_media_type_string, (enum AVMediaType media_type), (media_type))
CAMLOG_FORWARD(Util, const char *, av_get_pix_fmt_name, (enum AVPixelFormat pix_fmt), (pix_fmt))
CAMLOG_FORWARD(Util, const AVPixFmtDescriptor *, av_pix_fmt_desc_get, (enum AVPixelFormat pix_fmt), (pix_fmt))
CAMLOG_FORWARD(Util, int, av_log_format_line2,
               (void *ptr, int level, const char *fmt, va_list vl, char *line, int line_size, int *print_prefix),
               (ptr, level, fmt, vl, line, line_size, print_prefix))
CAMLOG_FORWARD(Util, void, av_log_set_level, (int level), (level))
CAMLOG_FORWARD(Util, AVRational, av_mul_q, (AVRational b, AVRational c), (b, c))
CAMLOG_FORWARD(Util, int64_t, av_rescale, (int64_t a, int64_t b, int64_t c), (a, b, c))
CAMLOG_FORWARD(Util, int64_t, av_rescale_q, (int64_t a, AVRational bq, AVRational cq), (a, bq, cq))
CAMLOG_FORWARD(Util, int64_t, av_rescale_q_rnd, (int64_t a, AVRational bq, AVRational cq, enum AVRounding rnd),
               (a, bq, cq, rnd))
CAMLOG_FORWARD(Util, int, av_channel_layout_copy, (AVChannelLayout * dst, const AVChannelLayout *src), (dst, src))
CAMLOG_FORWARD(Util, void, av_channel_layout_default, (AVChannelLayout * ch_layout, int nb_channels),
               (ch_layout, nb_channels))
CAMLOG_FORWARD(Util, void, av_channel_layout_uninit, (AVChannelLayout * channel_layout), (channel_layout))
CAMLOG_FORWARD(Util, int, av_channel_layout_compare, (const AVChannelLayout *chl, const AVChannelLayout *chl1),
               (chl, chl1))
CAMLOG_FORWARD(Util, AVFrame *, av_frame_alloc, (void), ())
CAMLOG_FORWARD(Util, void, av_frame_free, (AVFrame * *frame), (frame))
CAMLOG_FORWARD(Util, int, av_frame_get_buffer, (AVFrame * frame, int align), (frame, align))
CAMLOG_FORWARD(Util, int, av_frame_is_writable, (AVFrame * frame), (frame))
CAMLOG_FORWARD(Util, int, av_frame_make_writable, (AVFrame * frame), (frame))
CAMLOG_FORWARD(Util, void, av_frame_move_ref, (AVFrame * dst, AVFrame *src), (dst, src))
CAMLOG_FORWARD(Util, int, av_frame_ref, (AVFrame * dst, const AVFrame *src), (dst, src))
CAMLOG_FORWARD(Util, AVFrame *, av_frame_clone, (const AVFrame *src), (src))
CAMLOG_FORWARD(Util, void, av_frame_unref, (AVFrame * frame), (frame))
CAMLOG_FORWARD(Util, int, av_frame_copy, (AVFrame * dst, const AVFrame *src), (dst, src))
CAMLOG_FORWARD(Util, int, av_frame_copy_props, (AVFrame * dst, const AVFrame *src), (dst, src))
CAMLOG_FORWARD(Util, int, av_opt_set, (void *obj, const char *name, const char *val, int search_flags),
               (obj, name, val, search_flags))
CAMLOG_FORWARD(Util, int, av_opt_set_int, (void *obj, const char *name, int64_t val, int search_flags),
               (obj, name, val, search_flags))
CAMLOG_FORWARD(Util, int, av_opt_set_double, (void *obj, const char *name, double val, int search_flags),
               (obj, name, val, search_flags))
CAMLOG_FORWARD(Util, int, av_dict_set, (AVDictionary * *pm, const char *key, const char *value, int flags),
               (pm, key, value, flags))
CAMLOG_FORWARD(Util, void, av_dict_free, (AVDictionary * *m), (m))
CAMLOG_FORWARD(Util, void *, av_malloc, (size_t size), (size))
CAMLOG_FORWARD(Util, void, av_free, (void *ptr), (ptr))
CAMLOG_FORWARD(Util, void, av_freep, (void *ptr), (ptr))
CAMLOG_FORWARD(Util, int, av_get_bytes_per_sample, (enum AVSampleFormat sample_fmt), (sample_fmt))
CAMLOG_FORWARD(Util, int, av_samples_get_buffer_size,
               (int *linesize, int nb_channels, int nb_samples, enum AVSampleFormat sample_fmt, int align),
               (linesize, nb_channels, nb_samples, sample_fmt, align))
CAMLOG_FORWARD(Util, int, av_image_get_buffer_size, (enum AVPixelFormat pix_fmt, int width, int height, int align),
               (pix_fmt, width, height, align))

// The log callback may be set before the libraries are loaded; the loader sets it in them.
void av_log_set_callback(void (*callback)(void *, int, const char *, va_list))
{
    camlog::media::SetFfmpegLogCallback(callback);
}

// libavcodec
CAMLOG_FORWARD(Codec, unsigned, avcodec_version, (void), ())
CAMLOG_FORWARD(Codec, const char *, avcodec_get_name, (enum AVCodecID id), (id))
CAMLOG_FORWARD(Codec, const AVCodec *, avcodec_find_decoder, (enum AVCodecID id), (id))
CAMLOG_FORWARD(Codec, const AVCodec *, avcodec_find_encoder, (enum AVCodecID id), (id))
CAMLOG_FORWARD(Codec, const AVCodec *, avcodec_find_decoder_by_name, (const char *name), (name))
CAMLOG_FORWARD(Codec, const AVCodec *, avcodec_find_encoder_by_name, (const char *name), (name))
CAMLOG_FORWARD(Codec, AVCodecContext *, avcodec_alloc_context3, (const AVCodec *codec), (codec))
CAMLOG_FORWARD(Codec, void, avcodec_free_context, (AVCodecContext * *avctx), (avctx))
CAMLOG_FORWARD(Codec, int, avcodec_open2, (AVCodecContext * avctx, const AVCodec *codec, AVDictionary **options),
               (avctx, codec, options))
CAMLOG_FORWARD(Codec, void, avcodec_flush_buffers, (AVCodecContext * avctx), (avctx))
CAMLOG_FORWARD(Codec, int, avcodec_parameters_to_context, (AVCodecContext * codec, const AVCodecParameters *par),
               (codec, par))
CAMLOG_FORWARD(Codec, int, avcodec_parameters_from_context, (AVCodecParameters * par, const AVCodecContext *codec),
               (par, codec))
CAMLOG_FORWARD(Codec, int, avcodec_parameters_copy, (AVCodecParameters * dst, const AVCodecParameters *src), (dst, src))
CAMLOG_FORWARD(Codec, int, avcodec_send_packet, (AVCodecContext * avctx, const AVPacket *avpkt), (avctx, avpkt))
CAMLOG_FORWARD(Codec, int, avcodec_receive_frame, (AVCodecContext * avctx, AVFrame *frame), (avctx, frame))
CAMLOG_FORWARD(Codec, int, avcodec_send_frame, (AVCodecContext * avctx, const AVFrame *frame), (avctx, frame))
CAMLOG_FORWARD(Codec, int, avcodec_receive_packet, (AVCodecContext * avctx, AVPacket *avpkt), (avctx, avpkt))
CAMLOG_FORWARD(Codec, AVPacket *, av_packet_alloc, (void), ())
CAMLOG_FORWARD(Codec, void, av_packet_free, (AVPacket * *pkt), (pkt))
CAMLOG_FORWARD(Codec, int, av_new_packet, (AVPacket * pkt, int size), (pkt, size))
CAMLOG_FORWARD(Codec, int, av_packet_make_writable, (AVPacket * pkt), (pkt))
CAMLOG_FORWARD(Codec, void, av_packet_unref, (AVPacket * pkt), (pkt))
CAMLOG_FORWARD(Codec, int, av_packet_ref, (AVPacket * dst, const AVPacket *src), (dst, src))
CAMLOG_FORWARD(Codec, AVPacket *, av_packet_clone, (const AVPacket *src), (src))
CAMLOG_FORWARD(Codec, void, av_packet_move_ref, (AVPacket * dst, AVPacket *src), (dst, src))
CAMLOG_FORWARD(Codec, void, av_packet_rescale_ts, (AVPacket * pkt, AVRational tb_src, AVRational tb_dst),
               (pkt, tb_src, tb_dst))

// libavformat
CAMLOG_FORWARD(Format, const AVInputFormat *, av_find_input_format, (const char *short_name), (short_name))
CAMLOG_FORWARD(Format, int, avformat_open_input,
               (AVFormatContext * *ps, const char *url, const AVInputFormat *fmt, AVDictionary **options),
               (ps, url, fmt, options))
CAMLOG_FORWARD(Format, int, avformat_find_stream_info, (AVFormatContext * ic, AVDictionary **options), (ic, options))
CAMLOG_FORWARD(Format, void, avformat_close_input, (AVFormatContext * *s), (s))
CAMLOG_FORWARD(Format, int, av_find_best_stream,
               (AVFormatContext * ic, enum AVMediaType type, int wanted_stream_nb, int related_stream,
                const AVCodec **decoder_ret, int flags),
               (ic, type, wanted_stream_nb, related_stream, decoder_ret, flags))
CAMLOG_FORWARD(Format, int, av_read_frame, (AVFormatContext * s, AVPacket *pkt), (s, pkt))
CAMLOG_FORWARD(Format, int, av_seek_frame, (AVFormatContext * s, int stream_index, int64_t timestamp, int flags),
               (s, stream_index, timestamp, flags))
CAMLOG_FORWARD(Format, int, avformat_alloc_output_context2,
               (AVFormatContext * *ctx, const AVOutputFormat *oformat, const char *format_name, const char *filename),
               (ctx, oformat, format_name, filename))
CAMLOG_FORWARD(Format, AVStream *, avformat_new_stream, (AVFormatContext * s, const AVCodec *c), (s, c))
CAMLOG_FORWARD(Format, int, avformat_write_header, (AVFormatContext * s, AVDictionary **options), (s, options))
CAMLOG_FORWARD(Format, int, av_interleaved_write_frame, (AVFormatContext * s, AVPacket *pkt), (s, pkt))
CAMLOG_FORWARD(Format, int, av_write_trailer, (AVFormatContext * s), (s))
CAMLOG_FORWARD(Format, void, avformat_free_context, (AVFormatContext * s), (s))
CAMLOG_FORWARD(Format, int, avio_open, (AVIOContext * *s, const char *url, int flags), (s, url, flags))
CAMLOG_FORWARD(Format, int, avio_closep, (AVIOContext * *s), (s))

// libswscale
CAMLOG_FORWARD(Scale, struct SwsContext *, sws_getContext,
               (int srcW, int srcH, enum AVPixelFormat srcFormat, int dstW, int dstH, enum AVPixelFormat dstFormat,
                int flags, SwsFilter *srcFilter, SwsFilter *dstFilter, const double *param),
               (srcW, srcH, srcFormat, dstW, dstH, dstFormat, flags, srcFilter, dstFilter, param))
CAMLOG_FORWARD(Scale, struct SwsContext *, sws_getCachedContext,
               (struct SwsContext * context, int srcW, int srcH, enum AVPixelFormat srcFormat, int dstW, int dstH,
                enum AVPixelFormat dstFormat, int flags, SwsFilter *srcFilter, SwsFilter *dstFilter,
                const double *param),
               (context, srcW, srcH, srcFormat, dstW, dstH, dstFormat, flags, srcFilter, dstFilter, param))
CAMLOG_FORWARD(Scale, void, sws_freeContext, (struct SwsContext * swsContext), (swsContext))
CAMLOG_FORWARD(Scale, int, sws_scale,
               (struct SwsContext * c, const uint8_t *const srcSlice[], const int srcStride[], int srcSliceY,
                int srcSliceH, uint8_t *const dst[], const int dstStride[]),
               (c, srcSlice, srcStride, srcSliceY, srcSliceH, dst, dstStride))
CAMLOG_FORWARD(Scale, int, sws_scale_frame, (struct SwsContext * c, AVFrame *dst, const AVFrame *src), (c, dst, src))

// libswresample
CAMLOG_FORWARD(Resample, int, swr_alloc_set_opts2,
               (struct SwrContext * *ps, AVChannelLayout *out_ch_layout, enum AVSampleFormat out_sample_fmt,
                int out_sample_rate, AVChannelLayout *in_ch_layout, enum AVSampleFormat in_sample_fmt,
                int in_sample_rate, int log_offset, void *log_ctx),
               (ps, out_ch_layout, out_sample_fmt, out_sample_rate, in_ch_layout, in_sample_fmt, in_sample_rate,
                log_offset, log_ctx))
CAMLOG_FORWARD(Resample, int, swr_init, (struct SwrContext * s), (s))
CAMLOG_FORWARD(Resample, void, swr_free, (struct SwrContext * *s), (s))
CAMLOG_FORWARD(Resample, int, swr_convert,
               (struct SwrContext * s, uint8_t **out, int out_count, const uint8_t **in, int in_count),
               (s, out, out_count, in, in_count))
CAMLOG_FORWARD(Resample, int, swr_get_out_samples, (struct SwrContext * s, int in_samples), (s, in_samples))
CAMLOG_FORWARD(Resample, int, swr_convert_frame, (SwrContext * swr, AVFrame *output, const AVFrame *input),
               (swr, output, input))

// libavutil: memory and the sound queue of the share copy's encoder
CAMLOG_FORWARD(Util, void *, av_mallocz, (size_t size), (size))
CAMLOG_FORWARD(Util, void *, av_realloc_array, (void *ptr, size_t nmemb, size_t size), (ptr, nmemb, size))
CAMLOG_FORWARD(Util, char *, av_strdup, (const char *s), (s))
CAMLOG_FORWARD(Util, AVAudioFifo *, av_audio_fifo_alloc, (enum AVSampleFormat sample_fmt, int channels, int nb_samples),
               (sample_fmt, channels, nb_samples))
CAMLOG_FORWARD(Util, void, av_audio_fifo_free, (AVAudioFifo * af), (af))
CAMLOG_FORWARD(Util, int, av_audio_fifo_read, (AVAudioFifo * af, void **data, int nb_samples), (af, data, nb_samples))
CAMLOG_FORWARD(Util, int, av_audio_fifo_size, (AVAudioFifo * af), (af))
CAMLOG_FORWARD(Util, int, av_audio_fifo_write, (AVAudioFifo * af, void **data, int nb_samples), (af, data, nb_samples))

// libavformat: the MP4 writer's own output
CAMLOG_FORWARD(Format, AVIOContext *, avio_alloc_context,
               (unsigned char *buffer, int buffer_size, int write_flag, void *opaque,
                int (*read_packet)(void *opaque, uint8_t *buf, int buf_size),
                int (*write_packet)(void *opaque, uint8_t *buf, int buf_size),
                int64_t (*seek)(void *opaque, int64_t offset, int whence)),
               (buffer, buffer_size, write_flag, opaque, read_packet, write_packet, seek))
CAMLOG_FORWARD(Format, void, avio_context_free, (AVIOContext * *s), (s))
CAMLOG_FORWARD(Format, void, avio_flush, (AVIOContext * s), (s))

// libavfilter: the share copy's picture chain
CAMLOG_FORWARD(Filter, const AVFilter *, avfilter_get_by_name, (const char *name), (name))
CAMLOG_FORWARD(Filter, AVFilterGraph *, avfilter_graph_alloc, (void), ())
CAMLOG_FORWARD(Filter, int, avfilter_graph_config, (AVFilterGraph * graphctx, void *log_ctx), (graphctx, log_ctx))
CAMLOG_FORWARD(Filter, int, avfilter_graph_create_filter,
               (AVFilterContext * *filt_ctx, const AVFilter *filt, const char *name, const char *args, void *opaque,
                AVFilterGraph *graph_ctx),
               (filt_ctx, filt, name, args, opaque, graph_ctx))
CAMLOG_FORWARD(Filter, void, avfilter_graph_free, (AVFilterGraph * *graph), (graph))
CAMLOG_FORWARD(Filter, int, avfilter_graph_parse_ptr,
               (AVFilterGraph * graph, const char *filters, AVFilterInOut **inputs, AVFilterInOut **outputs,
                void *log_ctx),
               (graph, filters, inputs, outputs, log_ctx))
CAMLOG_FORWARD(Filter, AVFilterInOut *, avfilter_inout_alloc, (void), ())
CAMLOG_FORWARD(Filter, void, avfilter_inout_free, (AVFilterInOut * *inout), (inout))
CAMLOG_FORWARD(Filter, int, av_buffersink_get_frame, (AVFilterContext * ctx, AVFrame *frame), (ctx, frame))
CAMLOG_FORWARD(Filter, AVRational, av_buffersink_get_time_base, (const AVFilterContext *ctx), (ctx))
CAMLOG_FORWARD(Filter, int, av_buffersrc_add_frame_flags, (AVFilterContext * buffer_src, AVFrame *frame, int flags),
               (buffer_src, frame, flags))

} // extern "C"
