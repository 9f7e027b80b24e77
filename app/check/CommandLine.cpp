#include "CommandLine.h"

#include "FeedCheck.h"
#include "FindingGroups.h"
#include "FindingJson.h"
#include "zelStrings.h"

#include <algorithm>
#include <exception>

#ifndef TOLVANE_VERSION
#define TOLVANE_VERSION "unknown"
#endif

namespace {

const char *const ProgramName = "TolvaneRssEditor";

void PrintHelp(std::ostream &out)
{
    out << "Usage: " << ProgramName << " [FILE...]        open the editor window, adding the feeds named\n"
        << "       " << ProgramName << " --check FILE...  check RSS 2.0 feeds without a window\n"
        << "       " << ProgramName << " --publish FILE [--force]  publish a feed without a window\n"
        << "\n"
        << "  --check    print one line per finding, with the line of the file it is about, e.g.\n"
        << "             feed.xml:14: item 3 \"Title\": error: pubDate \"Mon, 32 Foo 2007\" is not an RFC 822 date\n"
        << "             exit status: 0 no errors (warnings allowed), 1 a feed has an error,\n"
        << "             2 a file cannot be read\n"
        << "  --summary  with --check: what is said in the same words of many items is one line,\n"
        << "             e.g. feed.xml:9: item 1, 2, 3 and 725 more: warning: ...\n"
        << "  --format=json  with --check: one JSON object per line and finding, with file, line,\n"
        << "             severity, place (item and title for an item), element and message;\n"
        << "             with --summary also count and items, the rows of the items it is about\n"
        << "  --publish  check the feed, then upload it (and its new episode files) with the\n"
        << "             settings saved in the editor (Feed > Publish Settings...); a feed with\n"
        << "             errors is not published. The password comes from the environment\n"
        << "             variable TOLVANE_PUBLISH_PASSWORD, else from the desktop keyring.\n"
        << "             exit status: 0 published, 1 the feed has errors or the public copy\n"
        << "             differs, 2 no file, no settings or the upload failed\n"
        << "  --force    with --publish: publish a feed with errors too\n"
        << "  --help     show this help and exit\n"
        << "  --version  show the version and exit\n";
}

// Checks one file: 0, 1 or 2 as for the whole run.
int CheckFile(const std::string &path, bool json, bool summary, std::ostream &out, std::ostream &err)
{
    const auto findings = PrintFileCheck(path, path, json, out, err, summary);
    if (!findings)
        return 2;
    return HasError(*findings) ? 1 : 0;
}

} // namespace

std::optional<std::vector<TFeedFinding>> PrintFileCheck(const std::string &path, const std::string &shownAs,
                                                        bool json, std::ostream &out, std::ostream &err,
                                                        bool summary)
{
    std::string bytes;
    try {
        bytes = LoadStringFromFile(path);
    } catch (const std::exception &error) {
        err << ProgramName << ": cannot read " << shownAs << ": " << error.what() << "\n";
        return std::nullopt;
    }
    std::vector<TFeedFinding> findings = CheckFeed(bytes);
    const auto where = [&](const TFeedFinding &finding) {
        return finding.Line > 0 ? shownAs + ":" + std::to_string(finding.Line) + ": " : shownAs + ": ";
    };
    if (!summary) {
        for (const TFeedFinding &finding : findings)
            out << (json ? FindingJson(shownAs, finding) : where(finding) + FindingLine(finding)) << "\n";
        return findings;
    }
    for (const TFindingGroup &group : GroupFindings(findings)) {
        const TFeedFinding &first = findings[group.Members.front()];
        if (!json) {
            out << where(first) << GroupLine(findings, group) << "\n";
            continue;
        }
        std::vector<int> rows;
        for (const size_t member : group.Members)
            rows.push_back(findings[member].Row + 1);
        out << FindingJson(shownAs, first, first.Place == TFindingPlace::Item ? &rows : nullptr) << "\n";
    }
    return findings;
}

std::optional<int> RunCommandLine(const std::vector<std::string> &arguments, std::ostream &out,
                                  std::ostream &err)
{
    // Options count up to a lone "--"; after it every argument is a file.
    const auto optionsEnd = std::find(arguments.begin(), arguments.end(), "--");
    const auto given = [&](const char *option) {
        return std::find(arguments.begin(), optionsEnd, option) != optionsEnd;
    };
    if (given("--help") || given("-h")) {
        PrintHelp(out);
        return 0;
    }
    if (given("--version")) {
        out << ProgramName << " " << TOLVANE_VERSION << "\n";
        return 0;
    }
    if (!given("--check"))
        return std::nullopt;

    bool json = false, summary = false;
    std::vector<std::string> files;
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
        if (argument == optionsEnd || (argument < optionsEnd && *argument == "--check"))
            continue;
        if (argument < optionsEnd && (*argument == "--format=json" || *argument == "--format=text")) {
            json = *argument == "--format=json";
            continue;
        }
        if (argument < optionsEnd && *argument == "--summary") {
            summary = true;
            continue;
        }
        if (argument < optionsEnd && argument->size() > 1 && argument->front() == '-') {
            err << ProgramName << ": unknown option " << *argument << " (see --help)\n";
            return 2;
        }
        files.push_back(*argument);
    }
    if (files.empty()) {
        err << ProgramName << ": --check needs at least one feed file (see --help)\n";
        return 2;
    }
    int status = 0;
    for (const std::string &file : files)
        status = std::max(status, CheckFile(file, json, summary, out, err));
    out.flush();
    return status;
}
