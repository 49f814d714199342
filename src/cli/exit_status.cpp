// The exit statuses' one merge.
#include "cli/exit_status.h"

namespace {

struct CauseStatus {
    ExitCause cause;
    int status;
};

constexpr CauseStatus kCauseStatuses[] = {
    {ExitCause::kUnreadableSubfolder, kExitListedWithProblems},
    {ExitCause::kGitWarning, kExitListedWithProblems},
    {ExitCause::kMetadataFailure, kExitListedWithProblems},
    {ExitCause::kRepeatedListLine, kExitListedWithProblems},
    {ExitCause::kUnplacedParseLine, kExitListedWithProblems},
    {ExitCause::kNoListing, kExitNoListing},
};

}  // namespace

void MergeExit(int& status, ExitCause cause) {
    for (const CauseStatus& c : kCauseStatuses)
        if (c.cause == cause && c.status > status) status = c.status;
}
