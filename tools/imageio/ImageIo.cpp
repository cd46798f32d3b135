// PNG through libpng and JPEG through libjpeg, from and to memory.
#include "tools/imageio/ImageIo.h"

#include <png.h>
// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>

bool TRgbaImage::HasTransparency() const
{
    for (size_t i = 3; i < Pixels.size(); i += 4)
        if (Pixels[i] != 255)
            return true;
    return false;
}

namespace {

struct TPngReadState {
    const std::vector<uint8_t>* Bytes = nullptr;
    size_t Offset = 0;
    std::string Error;
};

void PngRead(png_structp png, png_bytep out, png_size_t count)
{
    auto* state = static_cast<TPngReadState*>(png_get_io_ptr(png));
    if (state->Offset + count > state->Bytes->size())
        png_error(png, "the picture ends too early");
    std::memcpy(out, state->Bytes->data() + state->Offset, count);
    state->Offset += count;
}

void PngError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<TPngReadState*>(png_get_error_ptr(png));
    if (state)
        state->Error = message;
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngWrite(png_structp png, png_bytep data, png_size_t count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

void PngFlush(png_structp) {}

struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void JpegExit(j_common_ptr info)
{
    auto* err = reinterpret_cast<TJpegError*>(info->err);
    (*info->err->format_message)(info, err->Message);
    std::longjmp(err->Jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

}  // namespace

std::optional<TRgbaImage> ReadPngRgba(const std::vector<uint8_t>& bytes, std::string* error)
{
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
        if (error)
            *error = "not a PNG picture";
        return std::nullopt;
    }
    TPngReadState state;
    state.Bytes = &bytes;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        if (error)
            *error = "out of memory";
        return std::nullopt;
    }
    TRgbaImage image;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        if (error)
            *error = "damaged PNG: " + state.Error;
        return std::nullopt;
    }
    png_set_read_fn(png, &state, PngRead);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > 16384 || height > 16384)
        png_error(png, "unreasonable picture size");
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image = TRgbaImage(int(width), int(height));
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = image.At(0, int(y));
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
}

std::optional<TRgbaImage> ReadJpegRgba(const std::vector<uint8_t>& bytes, std::string* error)
{
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        if (error)
            *error = "not a JPEG picture";
        return std::nullopt;
    }
    jpeg_decompress_struct info{};
    TJpegError err{};
    info.err = jpeg_std_error(&err.Manager);
    err.Manager.error_exit = JpegExit;
    err.Manager.emit_message = JpegSilence;
    TRgbaImage image;
    std::vector<uint8_t> row;
    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&info);
        if (error)
            *error = std::string("damaged JPEG: ") + err.Message;
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width > 16384 || info.output_height > 16384) {
        jpeg_destroy_decompress(&info);
        if (error)
            *error = "unsupported JPEG layout";
        return std::nullopt;
    }
    image = TRgbaImage(int(info.output_width), int(info.output_height));
    row.resize(size_t(info.output_width) * 3);
    while (info.output_scanline < info.output_height) {
        int y = int(info.output_scanline);
        JSAMPROW rowPointer = row.data();
        jpeg_read_scanlines(&info, &rowPointer, 1);
        for (int x = 0; x < image.Width; ++x) {
            uint8_t* p = image.At(x, y);
            p[0] = row[size_t(x) * 3];
            p[1] = row[size_t(x) * 3 + 1];
            p[2] = row[size_t(x) * 3 + 2];
            p[3] = 255;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

std::optional<TRgbaImage> ReadPictureRgba(const std::vector<uint8_t>& bytes, std::string* error)
{
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8)
        return ReadJpegRgba(bytes, error);
    return ReadPngRgba(bytes, error);
}

std::vector<uint8_t> WritePngRgba(const TRgbaImage& image)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return {};
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    const bool alpha = image.HasTransparency();
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(image.Width), png_uint_32(image.Height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(image.Width) * 4);
    for (int y = 0; y < image.Height; ++y) {
        const uint8_t* src = image.At(0, y);
        size_t n = 0;
        for (int x = 0; x < image.Width; ++x) {
            row[n++] = src[x * 4];
            row[n++] = src[x * 4 + 1];
            row[n++] = src[x * 4 + 2];
            if (alpha)
                row[n++] = src[x * 4 + 3];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> WriteJpegRgba(const TRgbaImage& image, int quality)
{
    jpeg_compress_struct info{};
    TJpegError err{};
    info.err = jpeg_std_error(&err.Manager);
    err.Manager.error_exit = JpegExit;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> row(size_t(image.Width) * 3);
    if (setjmp(err.Jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(image.Width);
    info.image_height = JDIMENSION(image.Height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;  // integer transform: the same bytes on every processor
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const uint8_t* src = image.At(0, int(info.next_scanline));
        for (int x = 0; x < image.Width; ++x)
            std::memcpy(&row[size_t(x) * 3], src + x * 4, 3);
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}
