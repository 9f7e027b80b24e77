// Writes a document of about the requested size in one of the shapes the benchmark reads.
// The output depends only on the shape and the size asked for, so every run measures the
// same bytes.
//
//   feedgen [SHAPE] OUTPUT BYTES
//
//   rss         (the default) a realistic RSS 2.0 feed: the channel's own fields, then items
//               with a title (some holding "&quot;"), a description (plain or as HTML inside
//               CDATA), a link, a publication date and a guid with an attribute
//   entities    the same feed with about 9 000 "&" per MB: titles and descriptions holding
//               "&amp;", "&quot;", "&lt;" and numeric references
//   attributes  elements carrying four attributes each (about 26 bytes per attribute),
//               some values holding entities
//   wide50      elements carrying 50 short attributes each (about 26 bytes per attribute)
//   wide200     elements carrying 200 short attributes each
//   long-values elements carrying four attributes whose values are about 2 000 bytes of words
//   empty       one root holding nothing but empty elements "<a/>" on their own lines
//   empty-channel empty elements "<a/>" back to back, no line breaks, inside <rss><channel>
//   text        one root holding a single text of words
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// A small deterministic generator (xorshift64*), so files are identical across runs.
class Random {
public:
    uint64_t Next()
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1DULL;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

private:
    uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

const char *const Words[] = {
    "editor", "release", "feature", "update", "network", "storage", "kernel", "design",
    "community", "project", "security", "patch", "window", "review", "package", "server",
    "weekly", "notes", "performance", "memory", "library", "version", "support", "today",
    "improved", "faster", "simple", "stable", "open", "source", "announce", "tutorial",
    "the", "a", "of", "and", "to", "in", "for", "with", "on", "new", "about", "how",
};
const char *const Days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const char *const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Sentence(Random &random, int words)
{
    std::string text;
    for (int i = 0; i < words; ++i) {
        if (i)
            text += ' ';
        text += Words[random.Below(sizeof Words / sizeof *Words)];
    }
    if (!text.empty())
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string Date(Random &random)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %d %02d:%02d:%02d +0000",
                  Days[random.Below(7)], 1 + random.Below(28), Months[random.Below(12)],
                  2015 + random.Below(10), random.Below(24), random.Below(60), random.Below(60));
    return buffer;
}

// Words joined by entity references instead of blanks, for the entity-dense feed.
std::string EntitySentence(Random &random, int words)
{
    static const char *const Joints[] = {" &amp; ", " &quot;", "&quot; ", " &lt;", "&gt; ", " &#38; ", " &apos;"};
    std::string text;
    for (int i = 0; i < words; ++i) {
        if (i)
            text += i % 7 == 0 ? Joints[random.Below(7)] : " ";
        text += Words[random.Below(sizeof Words / sizeof *Words)];
    }
    return text;
}

std::string Item(Random &random, long number, bool entities)
{
    std::string title = Sentence(random, 4 + random.Below(6));
    if (random.Below(4) == 0)
        title += " &quot;" + Sentence(random, 2) + "&quot;";
    std::string description;
    if (entities) {
        title = EntitySentence(random, 4 + random.Below(6));
        description = EntitySentence(random, 15 + random.Below(50)) + ".";
    } else if (random.Below(2) == 0) {
        description = "<![CDATA[<p>" + Sentence(random, 20 + random.Below(60)) + ".</p><p><a href=\"https://example.org/read/" +
                      std::to_string(number) + "\">" + Sentence(random, 3) + "</a></p>]]>";
    } else {
        description = Sentence(random, 15 + random.Below(50)) + ".";
    }
    const std::string link = "https://example.org/posts/" + std::to_string(number);
    return "    <item>\n"
           "      <title>" + title + "</title>\n"
           "      <description>" + description + "</description>\n"
           "      <link>" + link + "</link>\n"
           "      <pubDate>" + Date(random) + "</pubDate>\n"
           "      <guid isPermaLink=\"" + (number % 3 ? "false" : "true") + "\">" +
           (number % 3 ? "urn:example:" + std::to_string(number * 7919) : link) + "</guid>\n"
           "    </item>\n";
}

std::string Feed(long target, bool entities)
{
    Random random;
    std::string feed =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<rss version=\"2.0\">\n"
        "  <channel>\n"
        "    <title>Example Project News</title>\n"
        "    <link>https://example.org/</link>\n"
        "    <description>Releases, notes and articles from the Example project.</description>\n"
        "    <language>en-us</language>\n"
        "    <pubDate>" + Date(random) + "</pubDate>\n"
        "    <lastBuildDate>" + Date(random) + "</lastBuildDate>\n"
        "    <generator>feedgen</generator>\n";
    const std::string closing = "  </channel>\n</rss>\n";
    for (long number = 1; static_cast<long>(feed.size() + closing.size()) < target; ++number)
        feed += Item(random, number, entities);
    return feed + closing;
}

std::string Attributes(long target)
{
    Random random;
    std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<records>\n";
    const std::string closing = "</records>\n";
    for (long number = 1; static_cast<long>(document.size() + closing.size()) < target; ++number) {
        document += "  <r id=\"" + std::to_string(number) + "\" kind=\"" + Words[random.Below(8)] + "\" size=\"" +
                    std::to_string(random.Below(100000)) + "\" note=\"" + Sentence(random, 4 + random.Below(4)) +
                    (number % 16 == 0 ? " &amp; more" : "") + "\"/>\n";
    }
    return document + closing;
}

// Elements with `count` attributes each: short names and values of `valueWords` words
// (a value in sixteen holding an entity), so wide and long-valued elements can be compared.
std::string WideElements(long target, int count, int valueWords)
{
    Random random;
    std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<records>\n";
    const std::string closing = "</records>\n";
    for (long number = 1; static_cast<long>(document.size() + closing.size()) < target; ++number) {
        document += "  <r";
        for (int i = 0; i < count; ++i)
            document += " a" + std::to_string(i) + "=\"" + Sentence(random, valueWords) +
                        (random.Below(16) == 0 ? " &amp; more" : "") + "\"";
        document += "/>\n";
    }
    return document + closing;
}

std::string Empty(long target)
{
    std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<list>\n";
    const std::string closing = "</list>\n";
    while (static_cast<long>(document.size() + closing.size()) < target)
        document += "<a/>\n";
    return document + closing;
}

std::string EmptyInChannel(long target)
{
    std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>";
    const std::string closing = "</channel></rss>\n";
    while (static_cast<long>(document.size() + closing.size()) < target)
        document += "<a/>";
    return document + closing;
}

std::string Text(long target)
{
    Random random;
    std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<text>";
    const std::string closing = "</text>\n";
    while (static_cast<long>(document.size() + closing.size()) < target)
        document += Sentence(random, 12) + ".\n";
    return document + closing;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: feedgen [rss|entities|attributes|wide50|wide200|long-values|empty|empty-channel|text] OUTPUT BYTES\n";
        return 2;
    }
    const std::string shape = argc == 4 ? argv[1] : "rss";
    const char *output = argv[argc - 2];
    const long target = std::atol(argv[argc - 1]);
    std::string feed;
    if (shape == "rss" || shape == "entities")
        feed = Feed(target, shape == "entities");
    else if (shape == "attributes")
        feed = Attributes(target);
    else if (shape == "wide50")
        feed = WideElements(target, 50, 2);
    else if (shape == "wide200")
        feed = WideElements(target, 200, 2);
    else if (shape == "long-values")
        feed = WideElements(target, 4, 300);
    else if (shape == "empty")
        feed = Empty(target);
    else if (shape == "empty-channel")
        feed = EmptyInChannel(target);
    else if (shape == "text")
        feed = Text(target);
    else {
        std::cerr << "unknown shape " << shape << "\n";
        return 2;
    }

    std::ofstream out(output, std::ios::binary);
    out.write(feed.data(), static_cast<std::streamsize>(feed.size()));
    if (!out) {
        std::cerr << "cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
