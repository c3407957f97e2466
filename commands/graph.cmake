# The graph commands' builds: the processing pipeline behind the engine's graph interface.
target_sources(camlog_commands PRIVATE
  processing_graph.cpp
  graph_bindings.cpp
  share_copy_bindings.cpp
  inlay_settings.cpp
)
