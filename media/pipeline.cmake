# The processing pipeline, its stages (DV header filter, media stamper, caption step, inlay) and the recipes.
target_sources(camlog_media PRIVATE
  pipeline.cpp
  run_error.cpp
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
  dv_source_frames.cpp
  dv_segment_packer.cpp
  dv_encoder_workers.cpp
  deinterlace.cpp
  dv_deinter.cpp
  dv_reencode_source.cpp
  av_audio_extract_source.cpp
  inlay_timing.cpp
  inlay_lines.cpp
  inlay_layout.cpp
  inlay_overlay.cpp
  inlay_filter.cpp
  scene_detect_contenu.cpp
  content_scan_source.cpp
)
# The share copy: H.264 / AAC / MP4 pieces and the recipe that feeds them.
target_sources(camlog_media PRIVATE
  share_picture_chain.cpp
  h264_encoder.cpp
  aac_encoder.cpp
  mp4_writer.cpp
  share_copy_source.cpp
)
# The inlay draws its text with QtGui.
find_package(Qt6 REQUIRED COMPONENTS Gui)
target_link_libraries(camlog_media PRIVATE Qt6::Gui)
# The deinterlacer's loops are written to be vectorised, which -O2 does not do.
set_source_files_properties(deinterlace.cpp PROPERTIES COMPILE_OPTIONS "$<$<NOT:$<CONFIG:Debug>>:-O3>")
