// Benchmark of the install sequence under Wine: how fast the engine extracts the payloads
// compared with plain zlib inflation of the same streams; the sequence against a floor for the
// same file work;
// and how much memory extraction needs for a payload of 4 MiB against one of 256 MiB (each
// measured in a child process of its own).
//
// Also how long the installation is not whole while it is replaced, and what each part of the
// file steps costs per call.
//
// usage: windows_InstallBench_bench.exe [rounds [--window]]  (--window: that figure alone)
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "common/CodePage_win32.h"
#include "common/Resources_win32.h"
#include "common/SafeFiles_win32.h"
#include "install/InstallFiles_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/InstallRecords_win32.h"
#include "install/KnownFolders_win32.h"
#include "install/PayloadFiles_win32.h"
#include "install/Shortcuts_win32.h"
#include "install/StreamInflater.h"

namespace {
double Now()
{
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct NullSink : ByteSink {
    void Write(const void*, size_t) override {}
};

// Plain zlib: the whole stream in memory, inflated into one reused block.
uint64_t PlainInflate(const uint8_t* data, size_t size)
{
    static Bytef out[kInflateBlockSize];
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    int rc;
    do {
        z.next_out = out;
        z.avail_out = sizeof out;
        rc = inflate(&z, Z_NO_FLUSH);
    } while (rc == Z_OK);
    const uint64_t total = z.total_out;
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        std::printf("plain inflate failed: %d\n", rc);
    return total;
}

void WriteWhole(const std::wstring& path, const void* data, size_t size)
{
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    ::WriteFile(f, data, static_cast<DWORD>(size), &put, nullptr);
    ::CloseHandle(f);
}

// The floor for the file steps of the sequence: the same stream files written whole, the same
// streams inflated with plain zlib straight from memory into the same targets, the same raw
// files written whole, the stream files deleted; no check, no reading back, no renames.
void FloorFileSteps(const std::wstring& installFolder, const std::wstring& sharedFolder)
{
    static Bytef out[kInflateBlockSize];
    for (const PayloadEntry& p : kPayloads) {
        ResourceStream s(p.Resource, "ZIP");
        WriteWhole(installFolder + p.StreamFile, s.Data(), s.Size());
        HANDLE f = ::CreateFileW((installFolder + p.TargetFile).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, 0, nullptr);
        z_stream z{};
        inflateInit(&z);
        z.next_in = const_cast<Bytef*>(s.Data());
        z.avail_in = static_cast<uInt>(s.Size());
        int rc;
        do {
            z.next_out = out;
            z.avail_out = sizeof out;
            rc = inflate(&z, Z_NO_FLUSH);
            DWORD put = 0;
            ::WriteFile(f, out, static_cast<DWORD>(sizeof out - z.avail_out), &put, nullptr);
        } while (rc == Z_OK);
        inflateEnd(&z);
        ::CloseHandle(f);
    }
    for (const RawFileEntry& r : kInstallFolderFiles) {
        ResourceStream s(r.Resource, r.Type);
        WriteWhole(installFolder + r.FileName, s.Data(), s.Size());
    }
    for (const RawFileEntry& r : kSharedDataFiles) {
        ResourceStream s(r.Resource, r.Type);
        WriteWhole(sharedFolder + r.FileName, s.Data(), s.Size());
    }
    for (const PayloadEntry& p : kPayloads)
        ::DeleteFileW((installFolder + p.StreamFile).c_str());
}

// The whole sequence (over the installation of the round before), less its two pauses, against
// the floor, side by side in every round.
void MeasureSequence(int rounds)
{
    const std::wstring installFolder = InstallFolder(), sharedFolder = SharedDataFolder();
    InstallFiles();  // the folders exist and hold an installation from here on
    std::vector<double> sequence, pause, finalSteps, floor;
    for (int r = 0; r < rounds; ++r) {
        double t0 = Now();
        FloorFileSteps(installFolder, sharedFolder);
        floor.push_back(Now() - t0);
        t0 = Now();
        InstallFiles();
        sequence.push_back(Now() - t0);
        t0 = Now();
        WriteInstallRecords();
        finalSteps.push_back(Now() - t0);
        t0 = Now();
        ::Sleep(100);
        pause.push_back(Now() - t0);
    }
    // Each round's file steps against that round's floor, so that the load of the moment
    // weighs on both sides of the ratio alike.
    std::vector<double> ratio;
    for (int r = 0; r < rounds; ++r)
        ratio.push_back((sequence[r] - 2 * pause[r] - finalSteps[r]) / floor[r]);
    const double p = Median(pause) * 1000, f = Median(floor) * 1000;
    const double whole = Median(sequence) * 1000, lessPauses = whole - 2 * p;
    const double files = lessPauses - Median(finalSteps) * 1000;
    std::printf("install sequence over an earlier installation, median of %d rounds:\n", rounds);
    std::printf("  whole InstallFiles                    %8.1f ms  (pauses measured at %.1f ms each)\n",
                whole, p);
    std::printf("  sequence less its two pauses          %8.1f ms  (%.2f x the floor)\n", lessPauses,
                lessPauses / f);
    std::printf("    of which the final steps            %8.1f ms  (registry records and links)\n",
                Median(finalSteps) * 1000);
    std::printf("    of which the file steps             %8.1f ms  (%.2f x the floor)\n", files,
                files / f);
    std::printf("  floor: plain zlib + the same writes   %8.1f ms\n", f);
    std::printf("  file steps / floor, round by round    %8.2f x  (median)\n", Median(ratio));
}

// How long an installation is not whole while InstallFiles runs over an earlier one: another
// thread looks at every installed name in turn, as fast as it can, and notes the first and the
// last moment it found one missing. A name present but still being written counts as whole
// here, so the figure is a lower bound of the window.
class WholenessWatch {
public:
    explicit WholenessWatch(std::vector<std::wstring> names) : names_(std::move(names)) {}
    void Start()
    {
        first_ = last_ = -1;
        stop_ = false;
        thread_ = std::thread([this] {
            while (!stop_) {
                for (const std::wstring& n : names_)
                    if (::GetFileAttributesW(n.c_str()) == INVALID_FILE_ATTRIBUTES) {
                        const double t = Now();
                        if (first_ < 0)
                            first_ = t;
                        last_ = t;
                        break;
                    }
            }
        });
    }
    // The window in ms (0 when no name was ever seen missing).
    double Stop()
    {
        stop_ = true;
        thread_.join();
        return first_ < 0 ? 0 : (last_ - first_) * 1000;
    }

private:
    std::vector<std::wstring> names_;
    std::atomic<bool> stop_{false};
    double first_ = -1, last_ = -1;
    std::thread thread_;
};

std::vector<std::wstring> InstalledNames()
{
    std::vector<std::wstring> names;
    for (const PayloadEntry& p : kPayloads)
        names.push_back(InstallFolder() + p.TargetFile);
    for (const RawFileEntry& f : kInstallFolderFiles)
        names.push_back(InstallFolder() + f.FileName);
    for (const RawFileEntry& f : kSharedDataFiles)
        names.push_back(SharedDataFolder() + f.FileName);
    return names;
}

void MeasureNotWholeWindow(int rounds)
{
    InstallFiles();
    WholenessWatch watch(InstalledNames());
    std::vector<double> window;
    for (int r = 0; r < rounds; ++r) {
        watch.Start();
        InstallFiles();
        window.push_back(watch.Stop());
    }
    std::vector<double> seen;
    std::copy_if(window.begin(), window.end(), std::back_inserter(seen), [](double w) { return w > 0; });
    std::printf("installation not whole during InstallFiles over an earlier one, median of %d: "
                "%.2f ms (max %.2f ms); of the %zu rounds a name was seen missing in: %.2f ms\n",
                rounds, Median(window), *std::max_element(window.begin(), window.end()),
                seen.size(), Median(seen));
}

// What one file of the file steps costs, part by part, as medians of many calls on the
// installed messenger: the plain open, the two handle queries, the final path of the handle
// and of its folder (what the no-follow layer adds to each open), the layer's whole checked
// open, a flush of a written file, and a rename there and back.
void MeasurePerFileCosts(int rounds)
{
    const std::wstring file = InstallFolder() + kMessengerPayload.TargetFile;
    const std::wstring folder = InstallFolder();
    const std::wstring scratch = InstallFolder() + L"bench.tmp";
    constexpr int kCalls = 200;
    auto perCall = [&](auto work) {
        std::vector<double> samples;
        for (int r = 0; r < rounds; ++r) {
            const double t0 = Now();
            for (int i = 0; i < kCalls; ++i)
                work();
            samples.push_back((Now() - t0) * 1000 / kCalls);
        }
        return Median(samples);
    };
    auto open = [](const std::wstring& path) {
        return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE |
                             FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    };
    wchar_t buffer[MAX_PATH + 1];
    HANDLE h = open(file);
    const double plainOpen = perCall([&] { ::CloseHandle(open(file)); });
    const double attributes = perCall([&] { ::GetFileAttributesW(file.c_str()); });
    const double queries = perCall([&] {
        FILE_BASIC_INFO b;
        FILE_STANDARD_INFO st;
        ::GetFileInformationByHandleEx(h, FileBasicInfo, &b, sizeof b);
        ::GetFileInformationByHandleEx(h, FileStandardInfo, &st, sizeof st);
    });
    const double finalPath = perCall([&] {
        ::GetFinalPathNameByHandleW(h, buffer, MAX_PATH, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    const double folderPath = perCall([&] {
        HANDLE f = open(folder);
        ::GetFinalPathNameByHandleW(f, buffer, MAX_PATH, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        ::CloseHandle(f);
    });
    ::CloseHandle(h);
    const double checked = perCall([&] {
        UniqueFile u;
        SafeOpen(file, FILE_READ_ATTRIBUTES, FILE_SHARE_READ, u);
    });
    WriteWhole(scratch, "x", 1);
    const double rename = perCall([&] {
        SafeRename(scratch, scratch + L"2", false);
        SafeRename(scratch + L"2", scratch, false);
    }) / 2;
    const double plainRename = perCall([&] {
        ::MoveFileW(scratch.c_str(), (scratch + L"2").c_str());
        ::MoveFileW((scratch + L"2").c_str(), scratch.c_str());
    }) / 2;
    std::vector<char> block(256 * 1024, 'x');
    std::vector<double> flushes;
    for (int r = 0; r < rounds * 4; ++r) {
        HANDLE w = ::CreateFileW(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        ::WriteFile(w, block.data(), static_cast<DWORD>(block.size()), &put, nullptr);
        const double t0 = Now();
        ::FlushFileBuffers(w);
        flushes.push_back((Now() - t0) * 1000);
        ::CloseHandle(w);
    }
    ::DeleteFileW(scratch.c_str());
    std::printf("per call, median of %d rounds of %d calls (ms):\n", rounds, kCalls);
    std::printf("  plain open and close                   %7.4f\n", plainOpen);
    std::printf("  GetFileAttributesW                     %7.4f\n", attributes);
    std::printf("  basic + standard handle queries        %7.4f\n", queries);
    std::printf("  final path of the handle               %7.4f\n", finalPath);
    std::printf("  open of its folder + its final path    %7.4f\n", folderPath);
    std::printf("  the layer's checked open, all of it    %7.4f\n", checked);
    std::printf("  rename through the layer               %7.4f  (plain MoveFileW %.4f)\n", rename,
                plainRename);
    std::printf("  flush of a 256 KiB file just written   %7.4f\n", Median(flushes));
}

// Writes a zlib stream of `size` inflated bytes (text-like, about 3:1) to `path`, in blocks.
void MakeStream(const std::string& path, uint64_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    z_stream z{};
    deflateInit(&z, 1);
    std::vector<Bytef> in(1 << 20), out(1 << 20);
    uint32_t seed = 12345;
    for (uint64_t done = 0; done < size;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(in.size(), size - done));
        for (size_t i = 0; i < n; ++i) {
            seed = seed * 1103515245u + 12345u;
            in[i] = static_cast<Bytef>("etaoin shrdlu marlowind\r\n"[(seed >> 16) % 25]);
        }
        done += n;
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(n);
        const int flush = done == size ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, flush);
            std::fwrite(out.data(), 1, out.size() - z.avail_out, f);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    std::fclose(f);
}

// Child mode: inflate one stream file into a target and report the process's peak memory.
int PeakChild(const char* stream, const char* target, const char* report)
{
    const double t0 = Now();
    const uint64_t n = InflateFile(FromSystemCodePage(stream), FromSystemCodePage(target));
    const double t = Now() - t0;
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc);
    FILE* f = std::fopen(report, "w");
    std::fprintf(f, "%llu %llu %llu %f\n", static_cast<unsigned long long>(n),
                 static_cast<unsigned long long>(pmc.PeakWorkingSetSize),
                 static_cast<unsigned long long>(pmc.PeakPagefileUsage), t);
    std::fclose(f);
    return 0;
}

bool RunChild(const std::string& args)
{
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return true;
}

void MeasurePeak(const std::string& dir, const char* label, uint64_t size)
{
    const std::string stream = dir + "\\peak.zlib", target = dir + "\\peak.out",
                      report = dir + "\\peak.txt";
    MakeStream(stream, size);
    WIN32_FILE_ATTRIBUTE_DATA a{};
    ::GetFileAttributesExA(stream.c_str(), GetFileExInfoStandard, &a);
    // Plain zlib over the same stream file, read in blocks with stdio, output discarded.
    const double p0 = Now();
    uint64_t plainBytes = 0;
    {
        FILE* in = std::fopen(stream.c_str(), "rb");
        std::vector<Bytef> block(1 << 20), out(kInflateBlockSize);
        z_stream z{};
        inflateInit(&z);
        int rc = Z_OK;
        while (rc == Z_OK) {
            z.avail_in = static_cast<uInt>(std::fread(block.data(), 1, block.size(), in));
            z.next_in = block.data();
            if (z.avail_in == 0)
                break;
            do {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                rc = inflate(&z, Z_NO_FLUSH);
            } while (rc == Z_OK && z.avail_out == 0);
        }
        plainBytes = z.total_out;
        inflateEnd(&z);
        std::fclose(in);
    }
    const double plainTime = Now() - p0;
    RunChild("--peak \"" + stream + "\" \"" + target + "\" \"" + report + "\"");
    unsigned long long n = 0, ws = 0, pf = 0;
    double t = 0;
    FILE* f = std::fopen(report.c_str(), "r");
    if (!f || std::fscanf(f, "%llu %llu %llu %lf", &n, &ws, &pf, &t) != 4)
        std::printf("%s: child failed\n", label);
    if (f)
        std::fclose(f);
    std::printf("peak %-8s stream %8.1f MiB -> %8.1f MiB in %6.2f s (%7.1f MB/s): "
                "PeakWorkingSet %7.2f MiB, PeakPagefileUsage %7.2f MiB\n",
                label, a.nFileSizeLow / 1048576.0 + a.nFileSizeHigh * 4096.0, n / 1048576.0, t,
                t > 0 ? n / 1e6 / t : 0, ws / 1048576.0, pf / 1048576.0);
    std::printf("peak %-8s plain zlib over the same stream file, output discarded: %7.1f MB/s "
                "(engine file to file = %.2f x plain)\n",
                label, plainBytes / 1e6 / plainTime, t > 0 ? (plainTime / t) : 0);
    ::DeleteFileA(stream.c_str());
    ::DeleteFileA(target.c_str());
    ::DeleteFileA(report.c_str());
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--peak")
        return PeakChild(argv[2], argv[3], argv[4]);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;

    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE dll = ::LoadLibraryExA(MW_RES_FULL, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!dll) {
        std::printf("cannot load %s\n", MW_RES_FULL);
        return 1;
    }
    SetResourceModule(dll);

    const char* names[] = {"MRLWND", "MRLWNDT", "UNINSTALL", "UPDATE"};
    std::vector<ResourceStream> streams;
    uint64_t streamBytes = 0, inflatedBytes = 0;
    for (const char* n : names) {
        streams.emplace_back(n, "ZIP");
        streamBytes += streams.back().Size();
        inflatedBytes += PlainInflate(streams.back().Data(), streams.back().Size());
    }
    std::printf("payload streams: %.1f KiB inflating to %.1f KiB\n", streamBytes / 1024.0,
                inflatedBytes / 1024.0);

    const std::string dir = ToSystemCodePage(GetSpecialFolder(CSIDL_COMMON_APPDATA)) + "\\MarlowindBench";
    const std::wstring wideDir = FromSystemCodePage(dir);
    ::CreateDirectoryA(dir.c_str(), nullptr);
    // Each sample repeats the work until it has taken a measurable time.
    const int repeat = std::max<int>(1, static_cast<int>((64u << 20) / std::max<uint64_t>(inflatedBytes, 1)));
    std::vector<double> plain, engineMemory, engineFiles, install;
    for (int r = 0; r < rounds; ++r) {
        double t0 = Now();
        for (int i = 0; i < repeat; ++i)
            for (ResourceStream& s : streams)
                PlainInflate(s.Data(), s.Size());
        plain.push_back(Now() - t0);

        t0 = Now();
        for (int i = 0; i < repeat; ++i)
            for (ResourceStream& s : streams) {
                s.SeekToStart();
                NullSink sink;
                InflateStream(s, sink);
            }
        engineMemory.push_back(Now() - t0);

        const int fileRepeat = std::max(1, repeat / 8);
        t0 = Now();
        for (int i = 0; i < fileRepeat; ++i)
            for (size_t k = 0; k < 4; ++k) {
                const std::wstring stream = wideDir + L"\\" + kPayloads[k].StreamFile;
                WriteResourceFile(kPayloads[k].Resource, "ZIP", stream);
                InflateFile(stream, wideDir + L"\\" + kPayloads[k].TargetFile);
            }
        engineFiles.push_back((Now() - t0) * repeat / fileRepeat);

        t0 = Now();
        InstallFiles();
        install.push_back(Now() - t0);
    }
    const double mb = inflatedBytes * double(repeat) / 1e6;
    const double plainRate = mb / Median(plain), memRate = mb / Median(engineMemory),
                 fileRate = mb / Median(engineFiles);
    std::printf("median of %d rounds, %.1f MB inflated per sample:\n", rounds, mb);
    std::printf("  plain zlib, memory to memory      %8.1f MB/s\n", plainRate);
    std::printf("  engine inflater, memory to null   %8.1f MB/s  (%.2f x plain)\n", memRate, memRate / plainRate);
    std::printf("  engine, resource -> stream file -> target file %8.1f MB/s  (%.2f x plain)\n",
                fileRate, fileRate / plainRate);
    std::printf("  whole InstallFiles (2 x 100 ms pauses included) %8.1f ms, payload part %.1f MB/s\n",
                Median(install) * 1000, inflatedBytes / 1e6 / Median(install));

    if (argc > 2 && std::string(argv[2]) == "--window") {
        MeasureNotWholeWindow(rounds);
        return 0;
    }
    MeasureSequence(rounds);
    MeasureNotWholeWindow(rounds);
    MeasurePerFileCosts(rounds);
    MeasurePeak(dir, "4 MiB", 4ull << 20);
    MeasurePeak(dir, "256 MiB", 256ull << 20);

    for (const PayloadEntry& p : kPayloads) {
        ::DeleteFileW((wideDir + L"\\" + p.StreamFile).c_str());
        ::DeleteFileW((wideDir + L"\\" + p.TargetFile).c_str());
    }
    ::RemoveDirectoryA(dir.c_str());
    SetResourceModule(nullptr);
    ::FreeLibrary(dll);
    ::CoUninitialize();
    return 0;
}
