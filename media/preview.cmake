# The preview player core: sources, pictures, sound ring, clock; no widgets.
target_sources(camlog_media PRIVATE
  preview_timeline.cpp
  preview_message.cpp
  pcm_ring.cpp
  dv_preview_source.cpp
  av_preview_source.cpp
  preview_picture_maker.cpp
  preview_player.cpp
  preview_stamp.cpp
)
