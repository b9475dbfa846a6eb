// Times CNtRegistry::DeleteKeyTree against RegDeleteTreeW on two identical trees of 10,000
// keys, four levels deep, with three values per key. Not a test: it prints and exits.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "ntregistry/nt_registry.h"

namespace {

constexpr int kFanOut[] = {10, 9, 10, 10}; // 10 + 90 + 900 + 9000 keys

int BuildTree(HKEY parent, int level) {
    if (level == 4)
        return 0;
    int made = 0;
    for (int i = 0; i < kFanOut[level]; ++i) {
        const std::wstring name = L"key" + std::to_wstring(i);
        HKEY key = nullptr;
        if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            continue;
        const wchar_t text[] = L"Corvina benchmark value";
        const DWORD number = DWORD(i);
        RegSetValueExW(key, L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
        RegSetValueExW(key, L"Folder", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text),
                       sizeof(text));
        RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                       sizeof(number));
        made += 1 + BuildTree(key, level + 1);
        RegCloseKey(key);
    }
    return made;
}

int MakeTree(const std::wstring& path) {
    HKEY root = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &root, nullptr) != ERROR_SUCCESS)
        return 0;
    const int made = BuildTree(root, 0);
    RegCloseKey(root);
    return made;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

bool Exists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

} // namespace

// Each round builds both trees afresh and alternates which one goes first, so neither side
// profits from a warmer registry. Timings on a shared machine are noisy, hence the median ratio
// and the ratio of the best times.
int main() {
    constexpr int kRounds = 5;
    const std::wstring base =
        L"SOFTWARE\\CorvinaDeleteBench-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring native = base + L"\\native";
    const std::wstring win32 = base + L"\\win32";
    CNtRegistry registry;
    double ratios[kRounds] = {};
    double bestNative = 1e9;
    double bestWin32 = 1e9;
    bool allGone = true;

    for (int round = 0; round < kRounds; ++round) {
        const int nativeKeys = MakeTree(native);
        const int win32Keys = MakeTree(win32);
        registry.Initialize();
        registry.SelectMachineRoot();
        double nativeSeconds = 0;
        double win32Seconds = 0;
        for (int turn = 0; turn < 2; ++turn) {
            LARGE_INTEGER from, to;
            QueryPerformanceCounter(&from);
            const bool nativeTurn = (turn + round) % 2 == 0;
            if (nativeTurn)
                registry.DeleteKeyTree(native);
            else
                RegDeleteTreeW(HKEY_LOCAL_MACHINE, win32.c_str());
            QueryPerformanceCounter(&to);
            (nativeTurn ? nativeSeconds : win32Seconds) = Seconds(from, to);
        }
        const bool gone = !Exists(native) && !Exists(win32);
        allGone = allGone && gone;
        ratios[round] = nativeSeconds / win32Seconds;
        bestNative = std::min(bestNative, nativeSeconds);
        bestWin32 = std::min(bestWin32, win32Seconds);
        std::printf("round %d: %d/%d keys, 3 values each; DeleteKeyTree %.3f s, RegDeleteTreeW "
                    "%.3f s, ratio %.2f%s\n",
                    round + 1, nativeKeys, win32Keys, nativeSeconds, win32Seconds, ratios[round],
                    gone ? "" : " (a tree was left)");
    }
    std::sort(std::begin(ratios), std::end(ratios));
    std::printf("median ratio DeleteKeyTree / RegDeleteTreeW: %.2f\n", ratios[kRounds / 2]);
    std::printf("best times: DeleteKeyTree %.3f s, RegDeleteTreeW %.3f s, ratio %.2f\n", bestNative,
                bestWin32, bestNative / bestWin32);

    RegDeleteTreeW(HKEY_LOCAL_MACHINE, base.c_str());
    return allGone ? 0 : 1;
}
