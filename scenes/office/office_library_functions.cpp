// The libzip and libxlsxwriter functions the office exports call, each forwarding to the
// library's own on first use: only a run that writes an office document maps the libraries (and
// the compression and cryptography libraries they pull in). The libraries' headers declare every
// function, so a signature written here that differs from the header's does not compile; a
// function the exports start to call gets its line here (the link names it when it is missing).
#include "core/shared_library.h"

#include <xlsxwriter.h>
#include <zip.h>

// The function `name` of the library file `file`, looked up once, then called with the same
// arguments.
#define CAMLOG_FORWARD(file, result, name, parameters, arguments)                                                      \
    result name parameters                                                                                             \
    {                                                                                                                  \
        static const auto real =                                                                                       \
            reinterpret_cast<decltype(&name)>(camlog::core::LibraryFunctionOrQuit(file, #name, "the office exports")); \
        return real arguments;                                                                                         \
    }

#define ZIP CAMLOG_LIBZIP_FILE
#define XLSX CAMLOG_XLSXWRITER_FILE

extern "C" {

// libzip
CAMLOG_FORWARD(ZIP, zip_t *, zip_open, (const char *path, int flags, int *error), (path, flags, error))
CAMLOG_FORWARD(ZIP, int, zip_close, (zip_t * archive), (archive))
CAMLOG_FORWARD(ZIP, void, zip_discard, (zip_t * archive), (archive))
CAMLOG_FORWARD(ZIP, const char *, zip_strerror, (zip_t * archive), (archive))
CAMLOG_FORWARD(ZIP, void, zip_error_init_with_code, (zip_error_t * error, int code), (error, code))
CAMLOG_FORWARD(ZIP, void, zip_error_fini, (zip_error_t * error), (error))
CAMLOG_FORWARD(ZIP, const char *, zip_error_strerror, (zip_error_t * error), (error))
CAMLOG_FORWARD(ZIP, zip_int64_t, zip_file_add,
               (zip_t * archive, const char *name, zip_source_t *source, zip_flags_t flags),
               (archive, name, source, flags))
CAMLOG_FORWARD(ZIP, int, zip_set_file_compression,
               (zip_t * archive, zip_uint64_t index, zip_int32_t method, zip_uint32_t level),
               (archive, index, method, level))
CAMLOG_FORWARD(ZIP, zip_source_t *, zip_source_buffer,
               (zip_t * archive, const void *data, zip_uint64_t length, int freep), (archive, data, length, freep))
CAMLOG_FORWARD(ZIP, zip_source_t *, zip_source_file,
               (zip_t * archive, const char *name, zip_uint64_t start, zip_int64_t length),
               (archive, name, start, length))
CAMLOG_FORWARD(ZIP, void, zip_source_free, (zip_source_t * source), (source))

// libxlsxwriter
CAMLOG_FORWARD(XLSX, lxw_workbook *, workbook_new, (const char *filename), (filename))
CAMLOG_FORWARD(XLSX, lxw_worksheet *, workbook_add_worksheet, (lxw_workbook * workbook, const char *sheetname),
               (workbook, sheetname))
CAMLOG_FORWARD(XLSX, lxw_format *, workbook_add_format, (lxw_workbook * workbook), (workbook))
CAMLOG_FORWARD(XLSX, lxw_error, workbook_close, (lxw_workbook * workbook), (workbook))
CAMLOG_FORWARD(XLSX, char *, lxw_strerror, (lxw_error error_num), (error_num))
CAMLOG_FORWARD(XLSX, void, format_set_align, (lxw_format * format, uint8_t alignment), (format, alignment))
CAMLOG_FORWARD(XLSX, void, format_set_bg_color, (lxw_format * format, lxw_color_t color), (format, color))
CAMLOG_FORWARD(XLSX, void, format_set_bold, (lxw_format * format), (format))
CAMLOG_FORWARD(XLSX, void, format_set_font_color, (lxw_format * format, lxw_color_t color), (format, color))
CAMLOG_FORWARD(XLSX, void, format_set_font_size, (lxw_format * format, double size), (format, size))
CAMLOG_FORWARD(XLSX, void, format_set_text_wrap, (lxw_format * format), (format))
CAMLOG_FORWARD(XLSX, void, format_set_top, (lxw_format * format, uint8_t style), (format, style))
CAMLOG_FORWARD(XLSX, void, format_set_bottom, (lxw_format * format, uint8_t style), (format, style))
CAMLOG_FORWARD(XLSX, void, format_set_left, (lxw_format * format, uint8_t style), (format, style))
CAMLOG_FORWARD(XLSX, void, format_set_right, (lxw_format * format, uint8_t style), (format, style))
CAMLOG_FORWARD(XLSX, void, worksheet_fit_to_pages, (lxw_worksheet * worksheet, uint16_t width, uint16_t height),
               (worksheet, width, height))
CAMLOG_FORWARD(XLSX, lxw_error, worksheet_set_column,
               (lxw_worksheet * worksheet, lxw_col_t first_col, lxw_col_t last_col, double width, lxw_format *format),
               (worksheet, first_col, last_col, width, format))
CAMLOG_FORWARD(XLSX, lxw_error, worksheet_set_footer, (lxw_worksheet * worksheet, const char *string),
               (worksheet, string))
CAMLOG_FORWARD(XLSX, lxw_error, worksheet_set_header, (lxw_worksheet * worksheet, const char *string),
               (worksheet, string))
CAMLOG_FORWARD(XLSX, void, worksheet_set_landscape, (lxw_worksheet * worksheet), (worksheet))
CAMLOG_FORWARD(XLSX, void, worksheet_set_paper, (lxw_worksheet * worksheet, uint8_t paper_type),
               (worksheet, paper_type))
CAMLOG_FORWARD(XLSX, lxw_error, worksheet_write_number,
               (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, double number, lxw_format *format),
               (worksheet, row, col, number, format))
CAMLOG_FORWARD(XLSX, lxw_error, worksheet_write_string,
               (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, const char *string, lxw_format *format),
               (worksheet, row, col, string, format))

} // extern "C"
