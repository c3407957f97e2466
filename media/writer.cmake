# media writer sources: the DV AVI writer, its header and index bytes, and its output file.
target_sources(camlog_media PRIVATE
  dv_avi_writer.cpp
  dv_avi_headers.cpp
  avi_output_file.cpp
)
