# Command catalogue and handlers.
target_sources(camlog_commands PRIVATE
  dm_action.cpp
  codec_commands.cpp
  decimal_text.cpp
  file_commands.cpp
  file_date.cpp
  rename_handlers.cpp
  scene_list_commands.cpp
  scene_export_loop.cpp
  office_exports.cpp
  time_difference.cpp)
