# The one INTERFACE target that carries the language level, the warnings and the sanitizers.
set(CAMLOG_SANITIZE "" CACHE STRING "Sanitizers for every target: 'address' (address+undefined), 'thread', or empty")
set_property(CACHE CAMLOG_SANITIZE PROPERTY STRINGS "" address thread)

add_library(camlog_options INTERFACE)
target_compile_features(camlog_options INTERFACE cxx_std_20)
target_compile_options(camlog_options INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wold-style-cast
  # g++ 12 reports std::string concatenation at -O2 and above as overlapping copies (a known
  # false positive of that release); newer compilers keep the warning.
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)

if(CAMLOG_SANITIZE STREQUAL "address")
  set(_camlog_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(CAMLOG_SANITIZE STREQUAL "thread")
  set(_camlog_san -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT CAMLOG_SANITIZE STREQUAL "")
  message(FATAL_ERROR "CAMLOG_SANITIZE must be 'address', 'thread' or empty, not '${CAMLOG_SANITIZE}'")
endif()
if(_camlog_san)
  target_compile_options(camlog_options INTERFACE ${_camlog_san})
  target_link_options(camlog_options INTERFACE ${_camlog_san})
endif()

# Fuzzing: every target is instrumented for libFuzzer's coverage and built with the address and
# undefined-behaviour sanitizers; the harnesses under tests/fuzz become libFuzzer programs.
# Needs clang (configure with -DCMAKE_CXX_COMPILER=clang++).
option(CAMLOG_FUZZ "Build the libFuzzer harnesses (clang only)" OFF)
if(CAMLOG_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "CAMLOG_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  if(NOT CAMLOG_SANITIZE STREQUAL "")
    message(FATAL_ERROR "CAMLOG_FUZZ brings its own sanitizers: leave CAMLOG_SANITIZE empty")
  endif()
  set(_camlog_fuzz_san -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  target_compile_options(camlog_options INTERFACE ${_camlog_fuzz_san})
  target_link_options(camlog_options INTERFACE ${_camlog_fuzz_san})
endif()
