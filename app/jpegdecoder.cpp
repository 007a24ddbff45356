#include "app/jpegdecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return.
// An exception cannot travel through libjpeg's C frames, so error_exit jumps
// back to the setjmp in decodeGuarded, which turns the message into a
// JpegError once it is back in C++.
struct ErrorManager {
    jpeg_error_mgr pub;  // first, so that libjpeg's pointer to it is a pointer to us
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpBack(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings after which the decoded pixels would be partly invented: libjpeg
// goes on with grey or repeated blocks, but the picture is not the file's.
bool warningLosesPixels(int code)
{
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC: return true;
    default: return false;
    }
}

// Trace messages and harmless warnings are dropped: nothing here may print.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    if (warningLosesPixels(cinfo->err->msg_code))
        jumpBack(cinfo);
    ++cinfo->err->num_warnings;
}

void outputNothing(j_common_ptr) {}

// Owns libjpeg's decompressor, so that every way out of decodeJpeg frees it.
struct Decompressor {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};

    Decompressor()
    {
        cinfo.err = jpeg_std_error(&errors.pub);
        errors.pub.error_exit = jumpBack;
        errors.pub.emit_message = emitMessage;
        errors.pub.output_message = outputNothing;
    }
    // Safe even when jpeg_create_decompress never ran: the struct is zeroed.
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

std::uint8_t scaled(unsigned a, unsigned b)
{
    return static_cast<std::uint8_t>((a * b + 127) / 255);
}

// One decoded scanline, in the decoder's output colour space, to RGB.
void storeRow(const jpeg_decompress_struct& cinfo, const JSAMPLE* in, std::uint8_t* out)
{
    const JDIMENSION width = cinfo.output_width;
    switch (cinfo.out_color_space) {
    case JCS_GRAYSCALE:
        for (JDIMENSION x = 0; x < width; ++x, out += 3)
            out[0] = out[1] = out[2] = in[x];
        break;
    case JCS_CMYK:
        // Files with an Adobe marker store the inks inverted (255 is no ink).
        for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
            unsigned c = in[0], m = in[1], y = in[2], k = in[3];
            if (!cinfo.saw_Adobe_marker) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            out[0] = scaled(c, k);
            out[1] = scaled(m, k);
            out[2] = scaled(y, k);
        }
        break;
    default: std::memcpy(out, in, std::size_t{width} * 3); break;
    }
}

J_COLOR_SPACE outputSpaceFor(J_COLOR_SPACE fileSpace)
{
    switch (fileSpace) {
    case JCS_GRAYSCALE: return JCS_GRAYSCALE;
    case JCS_CMYK:
    case JCS_YCCK: return JCS_CMYK;
    default: return JCS_RGB;
    }
}

bool tooLarge(const jpeg_decompress_struct& cinfo)
{
    return cinfo.image_width > JDIMENSION{kMaxJpegSide} || cinfo.image_height > JDIMENSION{kMaxJpegSide} ||
           std::int64_t{cinfo.image_width} * cinfo.image_height > kMaxJpegPixels;
}

// Fills image, or answers false with the reason in d.errors.message. Only
// plain C data lives in this frame, so the longjmp from libjpeg back to the
// setjmp here skips no destructor; a bad_alloc from the pixel vector leaves
// normally and Decompressor still cleans up.
bool decodeGuarded(Decompressor& d, const std::uint8_t* data, std::size_t size, RgbImage& image)
{
    jpeg_decompress_struct& cinfo = d.cinfo;
    if (setjmp(d.errors.jump))
        return false;

    jpeg_create_decompress(&cinfo);
    // Older libjpeg declares the buffer without const; it is only read.
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (tooLarge(cinfo)) {
        std::snprintf(d.errors.message, sizeof d.errors.message, "Picture too large: %u x %u pixels", cinfo.image_width,
                      cinfo.image_height);
        return false;
    }
    cinfo.out_color_space = outputSpaceFor(cinfo.jpeg_color_space);
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&cinfo);

    image.width = static_cast<int>(cinfo.output_width);
    image.height = static_cast<int>(cinfo.output_height);
    const std::size_t rowBytes = std::size_t{cinfo.output_width} * 3;
    image.pixels.resize(rowBytes * cinfo.output_height);
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                cinfo.output_width * cinfo.output_components, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) {
            std::snprintf(d.errors.message, sizeof d.errors.message, "Premature end of JPEG file");
            return false;
        }
        storeRow(cinfo, row[0], image.pixels.data() + rowBytes * y);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

RgbImage decodeJpeg(std::span<const std::uint8_t> bytes)
{
    Decompressor d;
    RgbImage image;
    if (!decodeGuarded(d, bytes.data(), bytes.size(), image))
        throw JpegError(d.errors.message);
    return image;
}
