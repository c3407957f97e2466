# The processing pipeline, its stages (DV header filter, media stamper, caption step) and the recipes.
target_sources(camlog_media PRIVATE
  pipeline.cpp
  dv_header_filter.cpp
  media_stamper.cpp
  caption_step.cpp
  audio_track.cpp
  dv_source_file.cpp
  dv_copy_source.cpp
  audio_extract_source.cpp
  datecode_scan_source.cpp
  processing_module.cpp
  av_file_decoder.cpp
  dv_picture_stage.cpp
  dv_video_encoder.cpp
  decoded_audio_converter.cpp
  dv_reencode_source.cpp
  av_audio_extract_source.cpp
)
