#include "LibJpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs FILE declared first.
#include <jpeglib.h>

namespace framewise::libjpeg {

namespace {
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};
void OnError(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(e->jump, 1);
}
void Silent(j_common_ptr, int) {}
}  // namespace

bool Decode(const uint8_t* data, size_t size, std::vector<uint8_t>& bgr, int& width, int& height,
            Options options) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = Silent;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.dct_method = options.fastDct ? JDCT_IFAST : JDCT_ISLOW;
    cinfo.do_fancy_upsampling = options.fancyUpsampling ? TRUE : FALSE;
    jpeg_start_decompress(&cinfo);
    width = static_cast<int>(cinfo.output_width);
    height = static_cast<int>(cinfo.output_height);
    bgr.resize(static_cast<size_t>(width) * 3 * height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = bgr.data() + static_cast<size_t>(cinfo.output_scanline) * width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool Encode(const uint8_t* bgr, int width, int height, int quality, bool h2v2,
            std::vector<uint8_t>& jpeg, Options options) {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.dct_method = options.fastDct ? JDCT_IFAST : JDCT_ISLOW;
    cinfo.comp_info[0].h_samp_factor = h2v2 ? 2 : 1;
    cinfo.comp_info[0].v_samp_factor = h2v2 ? 2 : 1;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<uint8_t*>(bgr) + static_cast<size_t>(cinfo.next_scanline) * width * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg.assign(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return true;
}

}  // namespace framewise::libjpeg
