# writer tests: DV AVI files written, then read back by our reader, ffprobe and mediainfo.
camlog_add_test_program(camlog_writer_tests
  SOURCES dv_avi_writer_test.cpp
  LIBS camlog_media)
