# Shell services: the freedesktop stand-ins and the small system helpers.
target_sources(camlog_shell PRIVATE
  shell/freedesktop_shell.cpp
  shell/home_trash.cpp
  shell/number_text.cpp
  shell/file_helpers.cpp
  shell/operating_system_name.cpp
  shell/send_to_shortcut.cpp
)
