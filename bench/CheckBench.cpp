// Times Check Feed on a feed file (make one with feedgen): the whole check, from the file's
// bytes to the findings, best and median of several runs; beside it libxml2's own parse of
// the same bytes with the check's options (the floor under the check, which reads through
// libxml2's reader), that reader's pass alone, and the pass taking what the check reads of
// each node without applying any rule.
//
//   checkbench FEED [RUNS]
#include "FeedCheck.h"
#include "zelStrings.h"

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: checkbench FEED [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    std::string bytes;
    try {
        bytes = LoadStringFromFile(argv[1]);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    size_t items = 0;
    for (size_t at = bytes.find("<item>"); at != std::string::npos; at = bytes.find("<item>", at + 1))
        ++items;

    std::vector<double> seconds;
    size_t findings = 0, errors = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const std::vector<TFeedFinding> result = CheckFeed(bytes);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        findings = result.size();
        errors = size_t(std::count_if(result.begin(), result.end(), [](const TFeedFinding &f) {
            return f.Severity == TFindingSeverity::Error;
        }));
    }
    const auto time = [&](const auto &run) {
        std::vector<double> spent;
        for (int i = 0; i < runs; ++i) {
            const auto start = std::chrono::steady_clock::now();
            run();
            spent.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        std::sort(spent.begin(), spent.end());
        return spent;
    };
    const int options = XML_PARSE_NONET | XML_PARSE_BIG_LINES;
    const std::vector<double> parse = time([&] {
        xmlFreeDoc(xmlReadMemory(bytes.data(), int(bytes.size()), nullptr, nullptr, options));
    });
    const std::vector<double> pass = time([&] {
        xmlTextReaderPtr reader = xmlReaderForMemory(bytes.data(), int(bytes.size()), nullptr, nullptr, options);
        while (xmlTextReaderRead(reader) == 1) {
        }
        xmlFreeTextReader(reader);
    });
    // The same pass taking what the check takes of each node (name, line, namespace, text) and
    // applying no rule: what the check's reading costs before its rules.
    const std::vector<double> reading = time([&] {
        std::string text;
        xmlTextReaderPtr reader = xmlReaderForMemory(bytes.data(), int(bytes.size()), nullptr, nullptr, options);
        while (xmlTextReaderRead(reader) == 1) {
            const xmlNode *node = xmlTextReaderCurrentNode(reader);
            if (node && (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)) {
                text += reinterpret_cast<const char *>(xmlTextReaderConstValue(reader));
            } else if (xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT) {
                text.assign(reinterpret_cast<const char *>(xmlTextReaderConstName(reader)));
                xmlGetLineNo(xmlTextReaderCurrentNode(reader));
                xmlTextReaderConstNamespaceUri(reader);
                xmlTextReaderHasAttributes(reader);
                xmlTextReaderIsEmptyElement(reader);
            } else {
                text.clear();
            }
        }
        xmlFreeTextReader(reader);
    });
    std::sort(seconds.begin(), seconds.end());
    std::printf("%s: %zu items, %.1f MB, %zu findings (%zu errors)\n", argv[1], items,
                double(bytes.size()) / 1e6, findings, errors);
    std::printf("check: best %.1f ms, median %.1f ms over %d runs (%.0f MB/s)\n",
                seconds.front() * 1e3, seconds[seconds.size() / 2] * 1e3, runs,
                double(bytes.size()) / 1e6 / seconds.front());
    std::printf("libxml2 parse alone: best %.1f ms, median %.1f ms (the check takes %.2fx of it)\n",
                parse.front() * 1e3, parse[parse.size() / 2] * 1e3, seconds.front() / parse.front());
    std::printf("libxml2 reader pass alone: best %.1f ms, median %.1f ms\n", pass.front() * 1e3,
                pass[pass.size() / 2] * 1e3);
    std::printf("reader pass taking each node's name, line and text, no rule: best %.1f ms, median %.1f ms\n",
                reading.front() * 1e3, reading[reading.size() / 2] * 1e3);
    return 0;
}
