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
)
target_link_libraries(camlog_scenes_office PUBLIC camlog_scenes PRIVATE PkgConfig::XLSXWRITER PkgConfig::LIBZIP)
