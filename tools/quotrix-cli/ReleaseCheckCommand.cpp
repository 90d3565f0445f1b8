// quotrix-cli release-check: reads the publisher's release file and says whether it announces
// a release newer than the given running version.
#include <cstdio>
#include <string>
#include <vector>

#include "Command.h"
#include "net/Release.h"

namespace quotrix::cli {

namespace {

int RunReleaseCheck(const std::vector<std::string>& args) {
    std::string url = DefaultReleaseFileUrl();
    unsigned major = 1, minor = 0;  // the version this tool is released with
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return UsageError("release-check");
        if (args[i] == "--url") {
            url = args[i + 1];
        } else if (args[i] == "--version") {
            if (std::sscanf(args[i + 1].c_str(), "%u.%u", &major, &minor) != 2) return UsageError("release-check");
        } else {
            return UsageError("release-check");
        }
    }
    ReleaseNotice notice(major, minor);
    if (!FetchReleaseNotice(notice, url)) {
        PrintError("no release file at " + url);
        return kExitFailure;
    }
    const std::string published = std::to_string(notice.remoteMajor) + "." + std::to_string(notice.remoteMinor);
    const std::string running = std::to_string(major) + "." + std::to_string(minor);
    if (!notice.IsNewer()) {
        Print("no newer release: published " + published + ", running " + running + "\n");
        return kExitOk;
    }
    Print("newer release " + published + " (running " + running + ")\n" + notice.text);
    if (!notice.text.empty() && notice.text.back() != '\n') Print("\n");
    return kExitOk;
}

}  // namespace

QUOTRIX_CLI_COMMAND(release_check, "release-check", "release-check [--url URL] [--version MAJOR.MINOR]",
                    "tell whether a newer release is published", RunReleaseCheck);

}  // namespace quotrix::cli
