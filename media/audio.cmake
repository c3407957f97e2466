# media audio sources: DV audio split and join, the WAV writer, the rate converter.
target_sources(camlog_media PRIVATE
  dv_audio.cpp
  dv_audio_layout.cpp
  first_dv_audio.cpp
  dv_audio_injector.cpp
  wav_writer.cpp
  audio_rate_converter.cpp
)
