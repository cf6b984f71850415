// Our PNG decoder against libpng on the skin pictures and the wallpapers: median decode time
// of each and their ratio, all in one run. Both produce the same $AARRGGBB pixels (checked
// once per file) from a file already in memory.
//   native_PngDecode_bench [folder...]   (default: the tree's resources/skin and resources/wallpapers)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "PngOracle.h"
#include "skin/PngLoader.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double DecodeOurs(const std::vector<uint8_t>& file)
{
    const auto start = Clock::now();
    MemorySource source(file.data(), file.size());
    const PngImage image = DecodePng(source);
    const auto end = Clock::now();
    if (image.Pixels.empty())
        std::abort();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double DecodeLibpng(const std::vector<uint8_t>& file)
{
    const auto start = Clock::now();
    const OracleImage image = DecodeWithLibpng(file);
    const auto end = Clock::now();
    if (image.Pixels.empty())
        std::abort();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

struct Totals {
    double Ours = 0, Libpng = 0;
};

void BenchFolder(const std::string& folder, Totals& totals)
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".png")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    for (const std::string& path : files) {
        const std::vector<uint8_t> file = ReadTestFile(path);
        MemorySource source(file.data(), file.size());
        const PngImage ours = DecodePng(source);
        const OracleImage reference = DecodeWithLibpng(file);
        if (ours.Pixels != reference.Pixels) {
            std::printf("%s: the decoders disagree\n", path.c_str());
            std::exit(1);
        }
        // Alternate the two so that clock and cache drift hit both alike; at least 15 rounds
        // and about half a second each.
        std::vector<double> a, b;
        double spent = 0;
        while (a.size() < 15 || (spent < 1000 && a.size() < 2000)) {
            a.push_back(DecodeOurs(file));
            b.push_back(DecodeLibpng(file));
            spent += a.back() + b.back();
        }
        const double ma = Median(a), mb = Median(b);
        totals.Ours += ma;
        totals.Libpng += mb;
        std::printf("%-44s %5ux%-5u %9zu B %5zu runs  ours %9.3f ms  libpng %9.3f ms  ratio %.3f\n",
                    std::filesystem::path(path).filename().string().c_str(), ours.Width, ours.Height,
                    file.size(), a.size(), ma, mb, ma / mb);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i)
        folders.push_back(argv[i]);
    if (folders.empty()) {
        folders.push_back(std::string(MW_SOURCE_DIR) + "/resources/skin");
        folders.push_back(std::string(MW_SOURCE_DIR) + "/resources/wallpapers");
    }
    for (const std::string& folder : folders) {
        Totals totals;
        std::printf("== %s\n", folder.c_str());
        BenchFolder(folder, totals);
        if (totals.Libpng > 0)
            std::printf("   sum of medians: ours %.3f ms, libpng %.3f ms, ratio %.3f\n", totals.Ours,
                        totals.Libpng, totals.Ours / totals.Libpng);
    }
    return 0;
}
