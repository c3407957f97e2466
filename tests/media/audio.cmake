# DV audio split and join against ffmpeg's decoding, the WAV writer, the rate converter.
camlog_add_test_program(camlog_audio_tests
  SOURCES dv_audio_layout_test.cpp dv_audio_test.cpp dv_audio_injector_test.cpp
    wav_writer_test.cpp audio_rate_converter_test.cpp audio_test_support.cpp
  LIBS camlog_media)
