// Times the removal (logged files, product folder, shortcut group, registration) against a
// plain walk with FindFirstFileW, DeleteFileW and RemoveDirectoryW over an identical
// installation: 10,000 files in 500 folders plus 100 logged files outside the folder. Then
// the depth ratio: the time to remove a single chain of 1,000 nested folders over that of 250,
// about 4 for a walk whose cost grows with the tree, not with each path's length, beside the
// same ratio for the platform's own opening of each level below its parent's handle, which no
// walk by handles can beat (Wine's opens cost more the deeper they lie).
// Not a test: it prints and exits.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

#include "removal/places.h"
#include "removal/removal_engine.h"

namespace {

constexpr int kFolders = 500;
constexpr int kFilesPerFolder = 20;

// Progress that goes nowhere: the benchmark is about the deletions.
struct SilentProgress : RemovalProgress {
    void ClearList() override {}
    void AddLine(const std::wstring&) override {}
    void StepProgress() override {}
    void Diagnostic(const std::wstring&) override {}
};

void WriteFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, "Corvina", 7, &written, nullptr);
    CloseHandle(file);
}

// The product folder (with the uninstaller, which both sides keep) and the logged files.
void MakeInstallation(const std::wstring& product, const std::wstring& outside) {
    CreateDirectoryW(product.c_str(), nullptr);
    CreateDirectoryW(outside.c_str(), nullptr);
    WriteFile(product + L"\\Uninstall.exe");
    for (int folder = 0; folder < kFolders; ++folder) {
        // Two levels, so the walk has depth: 25 groups of 20 folders.
        const std::wstring group = product + L"\\group" + std::to_wstring(folder / 20);
        CreateDirectoryW(group.c_str(), nullptr);
        const std::wstring path = group + L"\\folder" + std::to_wstring(folder);
        CreateDirectoryW(path.c_str(), nullptr);
        for (int file = 0; file < kFilesPerFolder; ++file)
            WriteFile(path + L"\\file" + std::to_wstring(file) + L".ex4");
    }
    for (int file = 0; file < kLogSlots; ++file)
        WriteFile(outside + L"\\logged" + std::to_wstring(file) + L".ex4");
}

void FillLog(InstallLogRecord& log, const std::wstring& outside) {
    log.count = kLogSlots;
    for (int file = 0; file < kLogSlots; ++file) {
        const std::wstring path = outside + L"\\logged" + std::to_wstring(file) + L".ex4";
        path.copy(log.entries[file], kLogSlotLength - 1);
    }
}

// What a careful programmer would write without the engine's checks and reporting.
void PlainWalk(const std::wstring& folder, bool removeFolder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                PlainWalk(path, true);
            else if (name != L"Uninstall.exe")
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    if (removeFolder)
        RemoveDirectoryW(folder.c_str());
}

void PlainRemoval(const InstallLogRecord& log, const std::wstring& product) {
    for (int file = 0; file < log.count; ++file)
        DeleteFileW(log.entries[file]);
    PlainWalk(product, false);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// The time to open each level of the chain below product, below its parent's handle.
double OpenSeconds(const std::wstring& product, int depth) {
    UniqueFileHandle parent(CreateFileW(product.c_str(), FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    for (int level = 0; level < depth && parent; ++level) {
        UniqueFileHandle child;
        OpenBelow(parent.Get(), L"d", FILE_LIST_DIRECTORY, FILE_DIRECTORY_FILE, child);
        parent = std::move(child);
    }
    QueryPerformanceCounter(&to);
    return parent ? Seconds(from, to) : -1;
}

// The engine's time to remove a product folder that holds one chain of depth folders, and the
// platform's to open its levels; negative when the chain stayed.
std::pair<double, double> ChainSeconds(const std::wstring& name, int depth) {
    const std::wstring product = L"\\\\?\\" + Roots().installerFiles + L"\\" + name;
    std::wstring folder = product;
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int level = 0; level < depth; ++level) {
        folder += L"\\d";
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    const double opening = OpenSeconds(product, depth);
    const InstallLogRecord log = {};
    CNtRegistry registry;
    SilentProgress progress;
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    RunRemoval({log, name, name + L" group", registry}, progress);
    QueryPerformanceCounter(&to);
    const bool removed = RemoveDirectoryW(product.c_str()) != FALSE;
    return {removed ? Seconds(from, to) : -1, opening};
}

// 1 when only the uninstaller is left in the folder and every logged file is gone.
bool Removed(const std::wstring& product, const std::wstring& outside) {
    WIN32_FIND_DATAW entry;
    int left = 0;
    for (const std::wstring& folder : {product, outside}) {
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            left += entry.cFileName[0] != L'.';
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    return left == 1;
}

} // namespace

// Each round builds both installations afresh and alternates which side goes first, so
// neither profits from a warmer cache; hence also the median ratio and the best times.
int main() {
    constexpr int kRounds = 3;
    const std::wstring programFiles = Roots().installerFiles;
    const std::wstring name = L"Corvina Bench " + std::to_wstring(GetCurrentProcessId());
    const std::wstring engineProduct = programFiles + L"\\" + name + L" engine";
    const std::wstring plainProduct = programFiles + L"\\" + name + L" plain";
    if (programFiles.empty())
        return 1;
    double ratios[kRounds] = {};
    double bestEngine = 1e9;
    double bestPlain = 1e9;
    bool allRemoved = true;

    for (int round = 0; round < kRounds; ++round) {
        InstallLogRecord engineLog = {};
        FillLog(engineLog, engineProduct + L" logged");
        CNtRegistry registry;
        // The group is missing: the engine reports it and goes on.
        const RemovalJob job = {engineLog, name + L" engine", name + L" group", registry};
        SilentProgress progress;
        InstallLogRecord plainLog = {};
        FillLog(plainLog, plainProduct + L" logged");
        MakeInstallation(engineProduct, engineProduct + L" logged");
        MakeInstallation(plainProduct, plainProduct + L" logged");

        double engineSeconds = 0;
        double plainSeconds = 0;
        for (int turn = 0; turn < 2; ++turn) {
            LARGE_INTEGER from, to;
            const bool engineTurn = (turn + round) % 2 == 0;
            QueryPerformanceCounter(&from);
            if (engineTurn)
                RunRemoval(job, progress);
            else
                PlainRemoval(plainLog, plainProduct);
            QueryPerformanceCounter(&to);
            (engineTurn ? engineSeconds : plainSeconds) = Seconds(from, to);
        }
        const bool removed = Removed(engineProduct, engineProduct + L" logged") &&
                             Removed(plainProduct, plainProduct + L" logged");
        allRemoved = allRemoved && removed;
        ratios[round] = engineSeconds / plainSeconds;
        bestEngine = std::min(bestEngine, engineSeconds);
        bestPlain = std::min(bestPlain, plainSeconds);
        std::printf("round %d: %d files in %d folders + %d logged; engine %.3f s, plain walk "
                    "%.3f s, ratio %.2f%s\n",
                    round + 1, kFolders * kFilesPerFolder, kFolders, kLogSlots, engineSeconds,
                    plainSeconds, ratios[round], removed ? "" : " (files were left)");
        for (const std::wstring& product : {engineProduct, plainProduct}) {
            DeleteFileW((product + L"\\Uninstall.exe").c_str());
            RemoveDirectoryW(product.c_str());
            RemoveDirectoryW((product + L" logged").c_str());
        }
    }
    std::sort(std::begin(ratios), std::end(ratios));
    std::printf("median ratio engine / plain walk: %.2f\n", ratios[kRounds / 2]);
    std::printf("best times: engine %.3f s, plain walk %.3f s, ratio %.2f\n", bestEngine, bestPlain,
                bestEngine / bestPlain);
    // The best of three rounds of each depth.
    double chains[2] = {1e9, 1e9}, opens[2] = {1e9, 1e9};
    for (int round = 0; round < kRounds; ++round) {
        for (int side = 0; side < 2; ++side) {
            const auto [seconds, opening] = ChainSeconds(name + L" chain", side == 0 ? 250 : 1000);
            allRemoved = allRemoved && seconds >= 0 && opening >= 0;
            chains[side] = std::min(chains[side], seconds < 0 ? 1e9 : seconds);
            opens[side] = std::min(opens[side], opening < 0 ? 1e9 : opening);
        }
    }
    std::printf("chains: 250 levels %.3f s, 1,000 levels %.3f s\n", chains[0], chains[1]);
    std::printf("depth ratio (1,000 levels / 250 levels): %.2f\n", chains[1] / chains[0]);
    std::printf("the platform's opening of the levels: 250 %.3f s, 1,000 %.3f s, ratio %.2f\n",
                opens[0], opens[1], opens[1] / opens[0]);
    std::printf("depth ratio over the platform's: %.2f\n",
                (chains[1] / chains[0]) / (opens[1] / opens[0]));
    return allRemoved ? 0 : 1;
}
