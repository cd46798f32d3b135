// PNG through libpng and JPEG through libjpeg, with error handlers that jump back to
// the caller instead of ending the process, and size limits checked before allocating.
//
// Both libraries report errors with longjmp. Every function that calls setjmp keeps its
// C++ objects in a state struct owned by its caller, so the jump skips no destructor and
// no object is left half-changed in a register.
#include "graphics/ImageCodec.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>
#include <png.h>

namespace {

// ---- PNG reading -------------------------------------------------------------------------

struct TPngReadState {
    std::span<const uint8_t> Bytes;
    size_t Position = 0;
    std::string Error;
    std::vector<uint8_t> Pixels;      // decoded rows, 3 or 4 bytes per pixel
    std::vector<png_bytep> Rows;
    TDecodedImage* Image = nullptr;
};

void PngRead(png_structp png, png_bytep out, size_t count)
{
    auto* state = static_cast<TPngReadState*>(png_get_io_ptr(png));
    if (count > state->Bytes.size() - state->Position)
        png_error(png, "unexpected end of PNG data");
    std::memcpy(out, state->Bytes.data() + state->Position, count);
    state->Position += count;
}

void PngError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<TPngReadState*>(png_get_error_ptr(png));
    state->Error = message ? message : "PNG error";
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

bool DecodePngInto(TPngReadState& state)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
    if (!png) {
        state.Error = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        state.Error = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &state, PngRead);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || hasTransparency;

    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (hasTransparency)
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const size_t channels = hasAlpha ? 4 : 3;
    if (png_get_rowbytes(png, info) != width * channels)
        png_error(png, "unexpected PNG row layout");
    state.Pixels.resize(static_cast<size_t>(width) * height * channels);
    state.Rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        state.Rows[y] = state.Pixels.data() + static_cast<size_t>(y) * width * channels;
    png_read_image(png, state.Rows.data());

    TDecodedImage& image = *state.Image;
    image.Width = static_cast<int>(width);
    image.Height = static_cast<int>(height);
    image.HasAlpha = hasAlpha;
    const size_t count = static_cast<size_t>(width) * height;
    image.Bgr.resize(count * 3);
    if (hasAlpha) {
        image.Alpha.resize(count);
        const uint8_t* p = state.Pixels.data();
        for (size_t i = 0; i < count; ++i, p += 4) {
            std::memcpy(&image.Bgr[i * 3], p, 3);
            image.Alpha[i] = p[3];
        }
    } else {
        image.Bgr.swap(state.Pixels);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// ---- JPEG reading and writing ------------------------------------------------------------

struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info)
{
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    error->Manager.format_message(info, error->Message);
    std::longjmp(error->Jump, 1);
}

// Warnings about damaged data are not printed; the picture decodes as far as it can.
void JpegOutputMessage(j_common_ptr) {}

struct TJpegReadState {
    std::span<const uint8_t> Bytes;
    TDecodedImage* Image = nullptr;
    std::string Error;
};

bool DecodeJpegInto(TJpegReadState& state)
{
    jpeg_decompress_struct info;
    TJpegError error;
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegErrorExit;
    error.Manager.output_message = JpegOutputMessage;
    error.Message[0] = 0;
    if (setjmp(error.Jump)) {
        state.Error = error.Message;
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, state.Bytes.data(), static_cast<unsigned long>(state.Bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (info.image_width > static_cast<unsigned>(kMaxImageSide) ||
        info.image_height > static_cast<unsigned>(kMaxImageSide)) {
        std::snprintf(error.Message, sizeof error.Message, "JPEG picture too large");
        std::longjmp(error.Jump, 1);
    }
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        std::snprintf(error.Message, sizeof error.Message, "unexpected JPEG colour layout");
        std::longjmp(error.Jump, 1);
    }
    TDecodedImage& image = *state.Image;
    image.Width = static_cast<int>(info.output_width);
    image.Height = static_cast<int>(info.output_height);
    image.Bgr.assign(static_cast<size_t>(image.Width) * image.Height * 3, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.Bgr.data() + static_cast<size_t>(info.output_scanline) * image.Width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

struct TJpegWriteState {
    int Width = 0;
    int Height = 0;
    std::span<const uint8_t> Bgr;
    std::vector<uint8_t>* Out = nullptr;
    std::string Error;
};

bool EncodeJpegInto(TJpegWriteState& state)
{
    jpeg_compress_struct info;
    TJpegError error;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegErrorExit;
    error.Manager.output_message = JpegOutputMessage;
    error.Message[0] = 0;
    if (setjmp(error.Jump)) {
        state.Error = error.Message;
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(state.Width);
    info.image_height = static_cast<JDIMENSION>(state.Height);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto row = const_cast<JSAMPROW>(state.Bgr.data() + static_cast<size_t>(info.next_scanline) * state.Width * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    state.Out->assign(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return true;
}

void CheckSize(int width, int height, size_t bgrSize)
{
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide ||
        bgrSize < static_cast<size_t>(width) * height * 3)
        throw EImageError("picture size out of range");
}

}  // namespace

bool IsPng(std::span<const uint8_t> bytes)
{
    return bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0;
}

TDecodedImage DecodePng(std::span<const uint8_t> bytes)
{
    if (!IsPng(bytes))
        throw EImageError("not a PNG picture");
    TDecodedImage image;
    TPngReadState state;
    state.Bytes = bytes;
    state.Image = &image;
    if (!DecodePngInto(state))
        throw EImageError("PNG: " + state.Error);
    return image;
}

TDecodedImage DecodeJpeg(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        throw EImageError("JPEG: no data");
    TDecodedImage image;
    TJpegReadState state;
    state.Bytes = bytes;
    state.Image = &image;
    if (!DecodeJpegInto(state))
        throw EImageError("JPEG: " + state.Error);
    return image;
}

std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> bgr, std::span<const uint8_t> alpha)
{
    CheckSize(width, height, bgr.size());
    const size_t count = static_cast<size_t>(width) * height;
    const bool withAlpha = !alpha.empty();
    if (withAlpha && alpha.size() < count)
        throw EImageError("alpha plane too small");
    std::vector<uint8_t> pixels;
    if (withAlpha) {
        pixels.resize(count * 4);
        for (size_t i = 0; i < count; ++i) {
            std::memcpy(&pixels[i * 4], &bgr[i * 3], 3);
            pixels[i * 4 + 3] = alpha[i];
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = withAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    const void* data = withAlpha ? static_cast<const void*>(pixels.data()) : static_cast<const void*>(bgr.data());
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, data, 0, nullptr))
        throw EImageError(std::string("PNG: ") + image.message);
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, data, 0, nullptr))
        throw EImageError(std::string("PNG: ") + image.message);
    out.resize(size);
    return out;
}

std::vector<uint8_t> EncodeJpeg(int width, int height, std::span<const uint8_t> bgr)
{
    CheckSize(width, height, bgr.size());
    std::vector<uint8_t> out;
    TJpegWriteState state;
    state.Width = width;
    state.Height = height;
    state.Bgr = bgr;
    state.Out = &out;
    if (!EncodeJpegInto(state))
        throw EImageError("JPEG: " + state.Error);
    return out;
}
