# Shell services (sources added by their author).
target_sources(camlog_shell PRIVATE shell/shell_placeholder.cpp)
