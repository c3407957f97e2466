# Command catalogue and handlers.
target_sources(camlog_commands PRIVATE commands_placeholder.cpp)
