// Files the elevated program writes where a user may lay a link first.
#pragma once

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace test {

// A link planted at place, a second name there, or a link on a folder above it must leave
// its target as it was; where nothing was planted the file is written.
inline void ExpectPlantedLinksLeaveTargets(const fs::path& place,
                                           void (*write)(const std::wstring& path)) {
    const fs::path temp = place.parent_path(), real = temp / (L"Corvina real " + kPid),
                   linked = temp / (L"Corvina linked " + kPid), target = real / place.filename();
    Touch(target);
    for (const std::wstring& plant :
         {L"ln -s " + Unix(target) + L" " + Unix(place), L"ln " + Unix(target) + L" " + Unix(place),
          L"ln -s " + Unix(real) + L" " + Unix(linked)}) {
        SCOPED_TRACE(plant);
        std::ofstream(target) << "x";
        Host(L"rm -rf " + Unix(place) + L" " + Unix(linked) + L"; " + plant);
        write((plant.ends_with(Unix(linked)) ? linked / place.filename() : place).wstring());
        std::ifstream kept(target);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "x");
    }
    Host(L"rm -rf " + Unix(place) + L" " + Unix(linked) + L" " + Unix(real));
    write(place.wstring());
    EXPECT_GE(fs::file_size(place), 3u);
    DeleteFileW(place.c_str());
}

} // namespace test
