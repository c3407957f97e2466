# The list's opening of a folder against plain file-object construction.
add_executable(camlog_bench_file_list file_list_bench.cpp)
target_link_libraries(camlog_bench_file_list PRIVATE camlog_filelist camlog_media)
