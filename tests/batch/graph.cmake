# End-to-end runs of the graph commands through the batch mode, checked with independent tools.
camlog_add_test_program(camlog_graph_batch_tests
  SOURCES graph_batch_test.cpp
  LIBS camlog_batch_runner camlog_media_test_support camlog_media camlog_scenes camlog_core)

# Conversions of a larger tape interrupted by signals: what stays on disk.
camlog_add_test_program(camlog_interrupt_batch_tests
  SOURCES interrupt_batch_test.cpp
  LIBS camlog_batch_runner camlog_media_test_support camlog_media camlog_core
  LABELS slow)

# End-to-end runs of the recompression into DV type 2, read back by ffprobe.
camlog_add_test_program(camlog_reencode_batch_tests
  SOURCES reencode_batch_test.cpp
  LIBS camlog_batch_runner camlog_media_test_support camlog_media camlog_core)

# End-to-end runs of the scenes by content.
camlog_add_test_program(camlog_scn_by_content_batch_tests
  SOURCES scn_by_content_batch_test.cpp
  LIBS camlog_batch_runner camlog_scenes camlog_core)

# End-to-end runs of the NTSC and Pal conversions, read back by ffprobe, ffmpeg and exiftool.
camlog_add_test_program(camlog_ntsc_pal_batch_tests
  SOURCES ntsc_pal_batch_test.cpp
  LIBS camlog_batch_runner camlog_media_test_support camlog_media camlog_scenes camlog_core
  LABELS slow)

# End-to-end runs of the inlay, read back by ffmpeg, tesseract, ffprobe and our reader.
camlog_add_test_program(camlog_inlay_batch_tests
  SOURCES inlay_batch_test.cpp
  LIBS camlog_batch_runner camlog_media_test_support camlog_media camlog_scenes camlog_core
  LABELS slow)

# End-to-end runs on unreadable files, a FIFO and AVI files with dropped pictures.
camlog_add_test_program(camlog_bad_input_batch_tests
  SOURCES bad_input_batch_test.cpp
  LIBS camlog_batch_runner camlog_media_test_support camlog_media camlog_scenes camlog_core)

# End-to-end runs of the MP4 share copies, read back by ffprobe and ffmpeg.
camlog_add_test_program(camlog_share_copy_batch_tests
  SOURCES share_copy_batch_test.cpp
  LIBS camlog_batch_runner camlog_media_test_support camlog_media camlog_scenes camlog_core)
