// One walk of a product folder, by handles and without recursion, for both the removal and the
// survey of what it left. Each folder is opened below its parent's handle and listed from its
// own; each entry is opened below its folder's handle, never following a link, and judged by
// the attributes of that handle: a spared file stays, a link is removed as a link, a file is
// deleted, a folder is entered and removed once empty.
#pragma once

#include <string>

#include "removal/places.h"

// What the walk tells as it goes; paths are the final ones, in their plain form.
class WalkReport {
  public:
    virtual ~WalkReport() = default;
    // Removing: something could not be removed.
    virtual void Failed(const std::wstring& line) = 0;
    // Removing: scheduled for deletion at the next restart.
    virtual void AtRestart(const std::wstring& path) = 0;
    // Surveying: something the removal would remove.
    virtual void StillThere(const std::wstring& path) = 0;
};

enum class FolderFate { kGone, kAtRestart, kStays };

// Removes everything in the place's folder but the spared files; the folder itself stays. A
// file that another program holds goes at the next restart, and so do the folders that only
// such files keep. Tells what became of the contents.
FolderFate EmptyFolder(const Place& place, WalkReport& report);

// Tells each thing in the place's folder that the removal would remove: what is there, and
// folders that hold no spared file.
void SurveyFolder(const Place& place, WalkReport& report);
