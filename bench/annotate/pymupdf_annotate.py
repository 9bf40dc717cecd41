#!/usr/bin/python3
"""The same job in PyMuPDF (Debian's python3-fitz): every page's "net revenue" highlighted and
one stamp a page, saved.

    /usr/bin/python3 bench/annotate/pymupdf_annotate.py INPUT OUTPUT
"""
import sys

import fitz

doc = fitz.open(sys.argv[1])
# Debian 12's binding loses its page type once a few stamp annotations have been collected
# (load_page then fails with "'SwigPyObject' object has no attribute 'thisown'"); holding every
# stamp until the save keeps it working and costs PyMuPDF a little memory.
stamps = []
for page in doc:
    for quad in page.search_for("net revenue", quads=True):
        page.add_highlight_annot(quad)
    stamps.append(page.add_stamp_annot(fitz.Rect(360, 160, 520, 220), stamp=0))
doc.save(sys.argv[2], garbage=1, deflate=True)
