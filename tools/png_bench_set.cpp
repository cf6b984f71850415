// Writes the PNG decoder's benchmark set into the folder given as the only argument: one file
// per colour type and bit depth, interlaced and not, at 256 x 256 and 2048 x 2048, encoded by
// libpng with its own choices (adaptive per-row filters for 8- and 16-bit samples, no filter
// for palettes and grey below 8 bits, zlib level 6, 8 KiB IDAT chunks), as a real encoder
// writes them.
//
// The pictures are deterministic and look like what such files hold: smooth shading, hard-edged
// shapes and a little sensor noise; alpha pictures have opaque shapes with soft edges on a
// transparent ground and a translucent band. Names: c<colour type>_d<bit depth>_i<0|1>_<size>.png
//
// Host tool, built with the native tests (needs libpng); not part of the product.
#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Format {
    int ColorType, BitDepth;
};

const Format kFormats[] = {
    {0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1}, {3, 2},
    {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16},
};
const unsigned kSizes[] = {256, 2048};

// A small fixed-seed generator, so every run writes the same pixels.
struct Noise {
    uint64_t State;
    double Next()  // in [-1, 1)
    {
        State = State * 6364136223846793005ull + 1442695040888963407ull;
        return double(State >> 11) / double(1ull << 52) - 1.0;
    }
};

// Colour (three channels in 0..1) and alpha (0..1) of pixel (x, y) of an n x n picture.
struct Scene {
    unsigned N;
    std::vector<double> Wave[3][2];  // separable shading per channel: along x and along y

    explicit Scene(unsigned n) : N(n)
    {
        for (int c = 0; c < 3; ++c) {
            Wave[c][0].resize(n);
            Wave[c][1].resize(n);
            for (unsigned i = 0; i < n; ++i) {
                const double t = double(i) / n;
                Wave[c][0][i] = std::sin(t * (5.0 + c) + c * 1.3);
                Wave[c][1][i] = std::cos(t * (3.0 + 0.5 * c) + c * 0.7);
            }
        }
    }

    void Colour(unsigned x, unsigned y, double noise, double rgb[3]) const
    {
        const double u = double(x) / N, v = double(y) / N;
        for (int c = 0; c < 3; ++c)
            rgb[c] = 0.45 + 0.3 * Wave[c][0][x] * Wave[c][1][y] + 0.2 * (u - v) * (c - 1);
        // Two hard-edged shapes: a disc and a bar.
        const double dx = u - 0.62, dy = v - 0.38;
        if (dx * dx + dy * dy < 0.04) {
            rgb[0] = 0.85 - 0.3 * v;
            rgb[1] = 0.35 + 0.2 * u;
            rgb[2] = 0.15;
        } else if (u > 0.1 && u < 0.45 && v > 0.7 && v < 0.82) {
            rgb[0] = rgb[1] = rgb[2] = 0.12 + 0.1 * u;
        }
        for (int c = 0; c < 3; ++c)
            rgb[c] = std::fmin(1.0, std::fmax(0.0, rgb[c] + noise));
    }

    double Alpha(unsigned x, unsigned y) const
    {
        const double u = double(x) / N, v = double(y) / N;
        // A rounded square, opaque inside, soft over a few pixels at its edge.
        const double qx = std::fmax(std::fabs(u - 0.5) - 0.3, 0.0);
        const double qy = std::fmax(std::fabs(v - 0.5) - 0.3, 0.0);
        const double edge = (std::sqrt(qx * qx + qy * qy) - 0.12) * N / 3.0;
        double a = std::fmin(1.0, std::fmax(0.0, 0.5 - edge));
        if (v > 0.05 && v < 0.15)
            a = std::fmax(a, 0.5 * u);  // a translucent band, like a shadow
        return a;
    }
};

unsigned Quantise(double value, int depth)
{
    const unsigned top = (1u << depth) - 1;
    const long q = std::lround(value * top);
    return static_cast<unsigned>(q < 0 ? 0 : (long(top) < q ? top : q));
}

double Grey(const double rgb[3])
{
    return 0.3 * rgb[0] + 0.59 * rgb[1] + 0.11 * rgb[2];
}

// Palette of 2^depth entries: for 8 bits a 6 x 6 x 6 colour cube and 40 greys, for fewer bits
// a ramp from a dark blue to a light yellow.
std::vector<png_color> MakePalette(int depth)
{
    std::vector<png_color> palette;
    if (depth == 8) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    palette.push_back(png_color{png_byte(r * 51), png_byte(g * 51), png_byte(b * 51)});
        for (int i = 0; i < 40; ++i) {
            const png_byte v = png_byte(3 + i * 6);
            palette.push_back(png_color{v, v, v});
        }
        return palette;
    }
    const unsigned n = 1u << depth;
    for (unsigned i = 0; i < n; ++i) {
        const double t = n == 1 ? 0 : double(i) / (n - 1);
        palette.push_back(png_color{png_byte(20 + 215 * t), png_byte(30 + 200 * t), png_byte(90 + 60 * t)});
    }
    return palette;
}

unsigned PaletteIndex(const double rgb[3], int depth)
{
    if (depth != 8)
        return Quantise(Grey(rgb), depth);
    const double spread = std::fabs(rgb[0] - rgb[1]) + std::fabs(rgb[1] - rgb[2]);
    if (spread < 0.02)
        return 216 + unsigned(std::lround(Grey(rgb) * 39));
    return 36 * unsigned(std::lround(rgb[0] * 5)) + 6 * unsigned(std::lround(rgb[1] * 5)) +
           unsigned(std::lround(rgb[2] * 5));
}

// One row of samples, packed as the PNG stores them (big-endian 16-bit samples, low depths
// packed from the most significant bit).
void MakeRow(const Scene& scene, const Format& f, unsigned y, Noise& noise, std::vector<uint8_t>& row)
{
    const unsigned n = scene.N;
    const int channels = f.ColorType == 2 ? 3 : f.ColorType == 4 ? 2 : f.ColorType == 6 ? 4 : 1;
    const size_t bits = size_t(n) * channels * f.BitDepth;
    row.assign((bits + 7) / 8, 0);
    size_t bit = 0;
    auto put = [&](unsigned v) {
        if (f.BitDepth == 16) {
            row[bit / 8] = uint8_t(v >> 8);
            row[bit / 8 + 1] = uint8_t(v);
        } else if (f.BitDepth == 8) {
            row[bit / 8] = uint8_t(v);
        } else {
            row[bit / 8] |= uint8_t(v << (8 - f.BitDepth - bit % 8));
        }
        bit += f.BitDepth;
    };
    // Sensor-like noise: about half a percent of the range, finer than 8 bits can hold.
    const double amplitude = f.BitDepth >= 8 ? 0.006 : 0.0;
    for (unsigned x = 0; x < n; ++x) {
        double rgb[3];
        scene.Colour(x, y, amplitude * noise.Next(), rgb);
        switch (f.ColorType) {
        case 0:
            put(Quantise(Grey(rgb), f.BitDepth));
            break;
        case 2:
            for (double c : rgb)
                put(Quantise(c, f.BitDepth));
            break;
        case 3:
            put(PaletteIndex(rgb, f.BitDepth));
            break;
        case 4:
            put(Quantise(Grey(rgb), f.BitDepth));
            put(Quantise(scene.Alpha(x, y), f.BitDepth));
            break;
        default:
            for (double c : rgb)
                put(Quantise(c, f.BitDepth));
            put(Quantise(scene.Alpha(x, y), f.BitDepth));
            break;
        }
    }
}

bool Write(const std::string& path, const Format& f, unsigned n, bool interlaced)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<std::vector<uint8_t>> rows(n);
    std::vector<png_bytep> pointers(n);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, n, n, f.BitDepth, f.ColorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    if (f.ColorType == 3) {
        palette = MakePalette(f.BitDepth);
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    }
    Scene scene(n);
    Noise noise{uint64_t(f.ColorType) * 131 + f.BitDepth * 7 + n};
    for (unsigned y = 0; y < n; ++y) {
        MakeRow(scene, f, y, noise, rows[y]);
        pointers[y] = rows[y].data();
    }
    png_set_rows(png, info, pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    for (unsigned n : kSizes) {
        for (const Format& f : kFormats) {
            for (int interlaced = 0; interlaced < 2; ++interlaced) {
                char name[64];
                std::snprintf(name, sizeof name, "/c%d_d%d_i%d_%u.png", f.ColorType, f.BitDepth,
                              interlaced, n);
                if (!Write(folder + name, f, n, interlaced != 0)) {
                    std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), name);
                    return 1;
                }
            }
        }
    }
    return 0;
}
