# The office documents of the scene lists: .xlsx with libxlsxwriter, .ods, .odt and .docx as
# zip + XML with libzip. No Qt.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)

add_library(camlog_scenes_office STATIC
  office/office_texts.cpp
  office/xml_text.cpp
  office/zip_package.cpp
  office/staging_folder.cpp
  office/odf_package.cpp
  office/spreadsheet_rows.cpp
  office/write_excel.cpp
  office/write_oo_calc.cpp
  office/staged_pictures.cpp
  office/write_oo_writer.cpp
  office/write_word.cpp
  office/office_library_functions.cpp
)
# The two libraries are opened on first use (office_library_functions.cpp), by the file name
# (soname) of the ones found here; only their headers are used at build time.
function(camlog_soname variable library)
  execute_process(COMMAND ${CMAKE_READELF} -d ${library} OUTPUT_VARIABLE dynamic ERROR_QUIET)
  string(REGEX MATCH "soname: \\[([^]]+)\\]" found "${dynamic}")
  if(NOT CMAKE_MATCH_1)
    message(FATAL_ERROR "cannot read the soname of ${library}")
  endif()
  set(${variable} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()
find_library(CAMLOG_LIBZIP_LIBRARY NAMES zip HINTS ${LIBZIP_LIBRARY_DIRS} REQUIRED)
find_library(CAMLOG_XLSXWRITER_LIBRARY NAMES xlsxwriter HINTS ${XLSXWRITER_LIBRARY_DIRS} REQUIRED)
camlog_soname(camlog_libzip_file ${CAMLOG_LIBZIP_LIBRARY})
camlog_soname(camlog_xlsxwriter_file ${CAMLOG_XLSXWRITER_LIBRARY})
set_source_files_properties(office/office_library_functions.cpp PROPERTIES COMPILE_DEFINITIONS
  "CAMLOG_LIBZIP_FILE=\"${camlog_libzip_file}\";CAMLOG_XLSXWRITER_FILE=\"${camlog_xlsxwriter_file}\"")
target_include_directories(camlog_scenes_office PRIVATE ${XLSXWRITER_INCLUDE_DIRS} ${LIBZIP_INCLUDE_DIRS})
target_link_libraries(camlog_scenes_office PUBLIC camlog_scenes)
