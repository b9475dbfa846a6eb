#include "removal/removal_step.h"

#include "framework/language.h"
#include "res/resource.h"

std::wstring StepLine(RemovalStep step, const std::wstring& path, LANGID language) {
    switch (step) {
    case RemovalStep::kDeleteFile:
        return FormatText(IDS_LINE_DELETE_FILE, {path}, language);
    case RemovalStep::kRemoveFolder:
        return FormatText(IDS_LINE_REMOVE_FOLDER, {path}, language);
    case RemovalStep::kRemovedAtRestart:
        return FormatText(IDS_LINE_AT_RESTART, {path}, language);
    case RemovalStep::kUnregister:
        return LoadText(IDS_LINE_UNREGISTER, language);
    case RemovalStep::kDone:
        break;
    }
    return LoadText(IDS_LINE_DONE, language);
}
