#!/usr/bin/python3
"""How often Check Feed agrees with the W3C Feed Validation Service on the validator's own test cases.

Usage: tools/validator_agreement.py CASES_DIR EDITOR [--quiet]  (--quiet: the figures without the list)

CASES_DIR is a clone of the validator's public repository (its testcases folder and its
src/feedvalidator/logging.py, whose classes say which events are errors), or a folder with a copy
of part of its cases, severity.tsv ("EventClass<TAB>error|warning|info") and, optionally,
manifests (manifest-*.tsv: "path<TAB>Expect text", paths relative to CASES_DIR). Without a
manifest, each case's own "Expect:" comment is read. Each case has one verdict: the validator
finds an error in it when its Expect names an event class of severity error; it finds none when
the Expect is negated ("!Error", "!SomeClass"), names a warning or info class, or names a class
the validator logs on success ("ValidRFC2822Date"). The editor finds an error when
`EDITOR --check CASE` exits with 1.

Many cases are fragments that lack what RSS 2.0 requires (a channel without a title), and the
validator logs errors on those too; its harness only asks whether the expected event was logged.
So a second figure is told, scoped to what the Expect speaks of: where the validator finds no
error of that kind, the editor's errors for a part RSS 2.0 requires and the fragment lacks, and
for a date's wrong weekday, do not count (the validator logs them too), and where the Expect names an element ({element:...}), only
the editor's errors about that element count.

Cases that are not RSS 2.0 (an Atom or RSS 1.0 root), and cases the validator calls in error over
an element of a namespace the editor does not check, are counted apart: the agreement is told
with and without them.
"""
import json
import os
import re
import subprocess
import sys
from collections import OrderedDict, defaultdict

# "Expect: [!]EventClass[{key:value, ...}]", in a comment near the top of each case.
EXPECT = re.compile(r"Expect:[ \t]*(?P<negated>!)?(?P<name>[A-Za-z0-9_]+)(?P<arguments>\{[^}]*\})?")

# The namespaces whose elements the editor's check reads, and RSS 2.0's own (no namespace).
CHECKED_NAMESPACES = {
    "",
    "http://www.itunes.com/dtds/podcast-1.0.dtd",
    "https://podcastindex.org/namespace/1.0",
    "https://github.com/Podcastindex-org/podcast-namespace/blob/main/docs/1.0.md",
    "http://search.yahoo.com/mrss/",
    "http://www.w3.org/2003/01/geo/wgs84_pos#",
    "http://purl.org/rss/1.0/modules/slash/",
    "http://purl.org/dc/elements/1.1/",
    "http://purl.org/dc/terms/",
    "http://purl.org/rss/1.0/modules/content/",
    "http://www.w3.org/2005/Atom",
    "http://conversationsnetwork.org/rssNamespace-1.0/",
    "http://geourl.org/rss/module/",
    "http://postneo.com/icbm",
    "http://backend.userland.com/blogChannelModule",
}


def severities_from_source(path):
    """Each event class's root (Error, Warning or Info), from the class statements of the
    validator's logging module in a clone of its repository."""
    bases = {}
    with open(path, encoding="utf-8", errors="replace") as source:
        for found in re.finditer(r"^class\s+(\w+)\s*\(\s*(\w+)", source.read(), re.M):
            bases[found.group(1)] = found.group(2)
    severities = {}
    for name in bases:
        seen, current = set(), name
        while current in bases and current not in seen and current not in ("Error", "Warning", "Info"):
            seen.add(current)
            current = bases[current]
        if current in ("Error", "Warning", "Info"):
            severities[name] = current.lower()
    return severities


def read_severities(cases_dir):
    severities = {}
    path = os.path.join(cases_dir, "severity.tsv")
    source = os.path.join(cases_dir, "src", "feedvalidator", "logging.py")
    if not os.path.exists(path) and os.path.exists(source):
        return severities_from_source(source)
    if os.path.exists(path):
        with open(path, encoding="utf-8") as tsv:
            for line in tsv:
                parts = line.rstrip("\n").split("\t")
                if len(parts) == 2:
                    severities[parts[0]] = parts[1]
    return severities


def read_cases(cases_dir):
    """path (relative to cases_dir) -> Expect text, from the manifests or the files' comments."""
    cases = OrderedDict()
    manifests = sorted(name for name in os.listdir(cases_dir) if re.match(r"manifest-.*\.tsv$", name))
    for manifest in manifests:
        with open(os.path.join(cases_dir, manifest), encoding="utf-8") as tsv:
            for line in tsv:
                parts = line.rstrip("\n").split("\t", 1)
                if len(parts) == 2 and parts[1].strip():
                    cases[parts[0]] = parts[1].strip()
    if manifests:
        return cases
    for root, _, files in sorted(os.walk(cases_dir)):
        for name in sorted(files):
            path = os.path.join(root, name)
            with open(path, "rb") as case:
                head = case.read(4096).decode("utf-8", "replace")
            found = EXPECT.search(head)
            if found:
                cases[os.path.relpath(path, cases_dir)] = found.group(0)[len("Expect:"):].strip()
    return cases


def parse_expect(text):
    found = EXPECT.search("Expect: " + text)
    if not found:
        return False, "", {}
    negated, name = found.group("negated") is not None, found.group("name")
    arguments = (found.group("arguments") or "{}")[1:-1]
    params = {}
    for pair in arguments.split(","):
        if ":" in pair:
            key, value = pair.split(":", 1)
            params[key.strip()] = value.strip()
    return negated, name, params


def expects_error(text, severities):
    negated, name, _ = parse_expect(text)
    if negated and name.startswith("Valid") and name not in severities:
        return True  # the value was not found valid: the validator logged its error instead
    # A class newer than the severities read ("InvalidItunesEpisodeType"): the validator's
    # "Invalid..." classes are errors.
    severity = severities.get(name, "error" if name.startswith("Invalid") else "")
    return not negated and severity == "error"


def root_and_namespaces(path):
    """The root element's name as written, its version, and the prefixes the file declares anywhere."""
    with open(path, "rb") as case:
        text = case.read().decode("utf-8", "replace")
    text = re.sub(r"<!--.*?-->", "", text, flags=re.S)
    text = re.sub(r"<\?.*?\?>", "", text, flags=re.S)
    text = re.sub(r"<!DOCTYPE[^>]*>", "", text)
    root = re.search(r"<([\w:.-]+)([^>]*)>", text)
    version = re.search(r"\bversion\s*=\s*[\"']([^\"']*)", root.group(2)) if root else None
    prefixes = {m.group(1) or "": m.group(2) for m in re.finditer(r"xmlns(?::([\w.-]+))?\s*=\s*[\"']([^\"']*)[\"']", text)}
    return (root.group(1) if root else ""), (version.group(1) if version else ""), prefixes


def out_of_scope(path, expect, severities):
    """Why a case lies beyond what the editor checks, or None."""
    root, version, prefixes = root_and_namespaces(path)
    if root != "rss":
        return "not RSS 2.0 (root %s)" % (root or "none")
    if version and version != "2.0":
        return "not RSS 2.0 (version %s)" % version
    if not expects_error(expect, severities):
        return None
    _, _, params = parse_expect(expect)
    element = params.get("element", "")
    if ":" in element:
        prefix = element.split(":", 1)[0]
        uri = prefixes.get(prefix, "")
        if uri and uri not in CHECKED_NAMESPACES:
            return "namespace not checked (%s)" % uri
    return None


def editor_errors(editor, path):
    """The editor's errors on the case, as --format=json gives them."""
    run = subprocess.run([editor, "--check", "--format=json", path], capture_output=True, text=True,
                         errors="replace", timeout=60)
    if run.returncode == 2:
        return [{"element": "", "message": "cannot read: " + (run.stderr.strip().splitlines() or [""])[0]}]
    errors = []
    for line in run.stdout.splitlines():
        try:
            finding = json.loads(line)
        except ValueError:
            continue
        if finding.get("severity") == "error":
            errors.append(finding)
    if run.returncode == 1 and not errors:
        errors.append({"element": "", "message": "error"})
    return errors


def is_about(error, element):
    """Whether an error of the editor speaks of the element the Expect names."""
    if error.get("element") == element:
        return True
    return re.search(r"(^|[\s\"(])" + re.escape(element) + r"($|[\s\"),:])", error.get("message", "")) is not None


def validator_logs_too(error):
    """An error the validator logs too, whatever the case expects: a part RSS 2.0 requires and the
    case lacks, or a date's wrong weekday (its IncorrectDOW, an error)."""
    message = error.get("message", "")
    return ((" has no " in message or " has neither " in message) and "Apple" not in message) or \
        "names the wrong weekday" in message


def scoped_agreement(expect, severities, errors):
    _, _, params = parse_expect(expect)
    expected = expects_error(expect, severities)
    relevant = errors if expected else [error for error in errors if not validator_logs_too(error)]
    if params.get("element"):
        relevant = [error for error in relevant if is_about(error, params["element"])]
    return expected == bool(relevant), relevant


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    cases_dir, editor = argv[1], argv[2]
    severities = read_severities(cases_dir)
    cases = read_cases(cases_dir)
    folders = defaultdict(lambda: {"cases": 0, "agree": 0, "apart": 0, "apart_agree": 0, "scoped": 0,
                                   "apart_scoped": 0})
    disagreements, apart = [], defaultdict(int)
    for relative, expect in cases.items():
        path = os.path.join(cases_dir, relative)
        if not os.path.exists(path):
            continue
        expected = expects_error(expect, severities)
        errors = editor_errors(editor, path)
        said = errors[0]["message"] if errors else "no error"
        agrees = expected == bool(errors)
        scoped, relevant = scoped_agreement(expect, severities, errors)
        if not scoped and relevant:
            said = relevant[0]["message"]
        folder = os.path.dirname(relative)
        if folder.startswith("testcases/"):
            folder = folder[len("testcases/"):]
        reason = out_of_scope(path, expect, severities)
        for key in (folder, "all"):
            folders[key]["cases"] += 1
            folders[key]["agree"] += agrees
            folders[key]["scoped"] += scoped
            if reason:
                folders[key]["apart"] += 1
                folders[key]["apart_agree"] += agrees
                folders[key]["apart_scoped"] += scoped
        if reason:
            apart[reason.split(" (")[0]] += 1
        if not agrees or not scoped:
            disagreements.append((relative, expect, "error" if expected else "no error", said, reason,
                                  "" if scoped else " (also scoped)"))

    def percent(part, whole):
        return "%5.1f %%" % (100.0 * part / whole) if whole else "    -  "

    print("%-24s %6s %15s %15s   %s" % ("folder", "cases", "file verdict", "scoped", "in scope: file / scoped"))
    for folder in sorted(folders, key=lambda f: (f == "all", f)):
        counts = folders[folder]
        inside = counts["cases"] - counts["apart"]
        inside_agree = counts["agree"] - counts["apart_agree"]
        inside_scoped = counts["scoped"] - counts["apart_scoped"]
        print("%-24s %6d %6d %8s %6d %8s   %d / %d of %d" % (
            folder, counts["cases"], counts["agree"], percent(counts["agree"], counts["cases"]), counts["scoped"],
            percent(counts["scoped"], counts["cases"]), inside_agree, inside_scoped, inside))
    for reason, count in sorted(apart.items()):
        print("counted apart: %d %s" % (count, reason))
    if disagreements and "--quiet" not in argv:
        print("\ndisagreements (file, Expect, the validator's verdict, what the editor said):")
        for relative, expect, expected, said, reason, also in disagreements:
            print("%s\t%s\tvalidator: %s%s\teditor: %s%s" % (relative, expect, expected, also, said,
                                                            "\t[apart: %s]" % reason if reason else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
