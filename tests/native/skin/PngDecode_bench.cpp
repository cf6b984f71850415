// Our PNG decoder against libpng, side by side in one run: the generated set (every colour
// type and bit depth, interlaced and not, 256 x 256 and 2048 x 2048), the skin pictures and
// the wallpapers. Both decode a file already in memory into the same $AARRGGBB pixels
// (checked once per file). Every round times each file with both decoders, one after the
// other, the order swapped from round to round; a file's ratio is the median over the rounds
// of its per-round ratio ours/libpng, and a group's ratio the median of the per-round ratios
// of its summed times. Times are the thread's own CPU time, so that other programs taking
// turns on the processor do not count against either decoder.
//   native_PngDecode_bench [--rounds N] [folder...]
//   (default: the generated set, the tree's resources/skin and resources/wallpapers)
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "PngOracle.h"
#include "skin/PngLoader.h"

namespace {

double CpuMilliseconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void DecodeOurs(const std::vector<uint8_t>& file)
{
    MemorySource source(file.data(), file.size());
    if (DecodePng(source).Pixels.empty())
        std::abort();
}

void DecodeLibpng(const std::vector<uint8_t>& file)
{
    if (DecodeWithLibpng(file).Pixels.empty())
        std::abort();
}

// Milliseconds per decode, averaged over `repeat` decodes.
template <typename F>
double Time(F decode, const std::vector<uint8_t>& file, int repeat)
{
    const double start = CpuMilliseconds();
    for (int i = 0; i < repeat; ++i)
        decode(file);
    return (CpuMilliseconds() - start) / repeat;
}

struct Entry {
    std::string Group, Name;
    std::vector<uint8_t> File;
    uint32_t Width = 0, Height = 0;
    int Repeat = 1;  // decodes per timing, so that one timing lasts a few milliseconds
    std::vector<double> Ours, Libpng;
};

std::vector<std::string> PngFilesIn(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".png")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void Load(const std::string& folder, std::vector<Entry>& entries)
{
    for (const std::string& path : PngFilesIn(folder)) {
        Entry e;
        e.Group = folder;
        e.Name = std::filesystem::path(path).filename().string();
        e.File = ReadTestFile(path);
        MemorySource source(e.File.data(), e.File.size());
        const PngImage ours = DecodePng(source);
        const OracleImage reference = DecodeWithLibpng(e.File);
        if (ours.Pixels != reference.Pixels) {
            std::printf("%s: the decoders disagree\n", path.c_str());
            std::exit(1);
        }
        e.Width = ours.Width;
        e.Height = ours.Height;
        const double once = Time(DecodeLibpng, e.File, 1);
        e.Repeat = std::max(1, std::min(1000, int(4.0 / std::max(once, 1e-4))));
        entries.push_back(std::move(e));
    }
}

double RatioOf(const std::vector<const Entry*>& members)
{
    std::vector<double> ratios;
    for (size_t r = 0; r < members.front()->Ours.size(); ++r) {
        double ours = 0, libpng = 0;
        for (const Entry* e : members) {
            ours += e->Ours[r];
            libpng += e->Libpng[r];
        }
        ratios.push_back(ours / libpng);
    }
    return Median(ratios);
}

// The generated set's file names are c<type>_d<depth>_i<interlace>_<size>.png.
void PrintClassTable(const std::vector<Entry>& entries, const std::string& group)
{
    std::map<std::string, std::map<std::string, const Entry*>> table;
    std::vector<std::string> columns;
    for (const Entry& e : entries) {
        if (e.Group != group)
            continue;
        unsigned type, depth, interlaced, size;
        if (std::sscanf(e.Name.c_str(), "c%u_d%u_i%u_%u", &type, &depth, &interlaced, &size) != 4)
            return;
        char row[32], column[32];
        std::snprintf(row, sizeof row, "type %u, %2u-bit", type, depth);
        std::snprintf(column, sizeof column, "%u%s", size, interlaced ? " Adam7" : "");
        table[row][column] = &e;
        if (std::find(columns.begin(), columns.end(), column) == columns.end())
            columns.push_back(column);
    }
    if (table.empty())
        return;
    std::sort(columns.begin(), columns.end(), [](const std::string& a, const std::string& b) {
        return std::atoi(a.c_str()) != std::atoi(b.c_str()) ? std::atoi(a.c_str()) < std::atoi(b.c_str()) : a < b;
    });
    std::printf("\n   ratio ours/libpng per class%*s", 2, "");
    for (const std::string& c : columns)
        std::printf("%12s", c.c_str());
    std::printf("\n");
    double worst = 0;
    std::string worstName;
    for (const auto& [row, cells] : table) {
        std::printf("   %-30s", row.c_str());
        for (const std::string& c : columns) {
            const auto cell = cells.find(c);
            if (cell == cells.end()) {
                std::printf("%12s", "-");
                continue;
            }
            const double ratio = RatioOf({cell->second});
            std::printf("%12.3f", ratio);
            if (ratio > worst) {
                worst = ratio;
                worstName = cell->second->Name;
            }
        }
        std::printf("\n");
    }
    std::printf("   worst class: %s, ratio %.3f\n", worstName.c_str(), worst);
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 9;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            folders.push_back(argv[i]);
    }
    if (folders.empty()) {
        folders.push_back(MW_PNG_BENCH_SET);
        folders.push_back(std::string(MW_SOURCE_DIR) + "/resources/skin");
        folders.push_back(std::string(MW_SOURCE_DIR) + "/resources/wallpapers");
    }
    std::vector<Entry> entries;
    for (const std::string& folder : folders)
        Load(folder, entries);

    for (int r = 0; r < rounds; ++r) {
        for (Entry& e : entries) {
            if (r % 2 == 0) {
                e.Ours.push_back(Time(DecodeOurs, e.File, e.Repeat));
                e.Libpng.push_back(Time(DecodeLibpng, e.File, e.Repeat));
            } else {
                e.Libpng.push_back(Time(DecodeLibpng, e.File, e.Repeat));
                e.Ours.push_back(Time(DecodeOurs, e.File, e.Repeat));
            }
        }
        std::fprintf(stderr, "round %d of %d done\n", r + 1, rounds);
    }

    for (const std::string& folder : folders) {
        std::printf("== %s (%d rounds)\n", folder.c_str(), rounds);
        std::vector<const Entry*> members;
        for (const Entry& e : entries) {
            if (e.Group != folder)
                continue;
            members.push_back(&e);
            std::printf("%-28s %5ux%-5u %9zu B  ours %9.3f ms  libpng %9.3f ms  ratio %.3f\n",
                        e.Name.c_str(), e.Width, e.Height, e.File.size(), Median(e.Ours),
                        Median(e.Libpng), RatioOf({&e}));
        }
        if (members.empty())
            continue;
        std::printf("   all files of the folder (summed per round): ratio %.3f\n", RatioOf(members));
        PrintClassTable(entries, folder);
        std::printf("\n");
    }
    return 0;
}
