# The processing pipeline, its stages and its recipes on the fixtures.
find_package(Qt6 REQUIRED COMPONENTS Gui)
camlog_add_test_program(camlog_pipeline_tests
  SOURCES pipeline_test.cpp dv_header_filter_test.cpp caption_step_test.cpp recipes_test.cpp inlay_filter_test.cpp
    scene_detect_contenu_test.cpp recipe_outputs_test.cpp output_policy_test.cpp
    sound_interleaver_test.cpp
  LIBS camlog_media camlog_media_test_support Qt6::Gui)
# The re-encoding into DV of files of any codec.
camlog_add_test_program(camlog_reencode_tests
  SOURCES reencode_test.cpp dv_encoder_workers_test.cpp
  LIBS camlog_media camlog_media_test_support)
# Where the picture lies in a DV frame's blocks, read back by FFmpeg's DV decoder.
camlog_add_test_program(camlog_dv_video_segment_tests
  SOURCES dv_segment_coding_test.cpp
  LIBS camlog_media)
# The deinterlacer.
camlog_add_test_program(camlog_deinterlace_tests
  SOURCES deinterlace_test.cpp
  LIBS camlog_media camlog_media_test_support)
# The preview player core.
camlog_add_test_program(camlog_preview_tests
  SOURCES preview_player_test.cpp
  LIBS camlog_media camlog_media_test_support Qt6::Gui)
# The MP4 share copy, read back by ffprobe and ffmpeg.
camlog_add_test_program(camlog_share_copy_tests
  SOURCES share_copy_test.cpp
  LIBS camlog_media camlog_media_test_support)
