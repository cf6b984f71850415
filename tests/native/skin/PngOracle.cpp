#include "PngOracle.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace {

struct Reader {
    const std::vector<uint8_t>* File;
    size_t Position;
    char Error[256];
};

void ReadBytes(png_structp png, png_bytep out, png_size_t size)
{
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (reader->File->size() - reader->Position < size)
        png_error(png, "read past the end");
    std::memcpy(out, reader->File->data() + reader->Position, size);
    reader->Position += size;
}

void OnError(png_structp png, png_const_charp message)
{
    auto* reader = static_cast<Reader*>(png_get_error_ptr(png));
    std::snprintf(reader->Error, sizeof reader->Error, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Plain C types only between setjmp and longjmp.
bool Decode(Reader* reader, std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, reader, OnError, OnWarning);
    png_infop info = png_create_info_struct(png);
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        delete[] rows;
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, reader, ReadBytes);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    pixels->resize(size_t(*width) * *height);
    rows = new png_bytep[*height];
    for (uint32_t y = 0; y < *height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(pixels->data() + size_t(y) * *width);
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    delete[] rows;
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

OracleImage DecodeWithLibpng(const std::vector<uint8_t>& file)
{
    OracleImage image;
    Reader reader{&file, 0, {0}};
    if (!Decode(&reader, &image.Pixels, &image.Width, &image.Height)) {
        image.Error = reader.Error[0] ? reader.Error : "unknown libpng error";
        image.Pixels.clear();
    }
    return image;
}

std::vector<uint8_t> ReadTestFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}
