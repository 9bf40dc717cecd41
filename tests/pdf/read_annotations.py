#!/usr/bin/python3
"""Prints what another library (pypdf) reads of a PDF's annotations and layers, one line each:
   page subtype contents|name|quads|appearance|nm   and   layer name print-state view-state."""
import sys
from pypdf import PdfReader

reader = PdfReader(sys.argv[1])
for number, page in enumerate(reader.pages, 1):
    box = [float(v) for v in page.mediabox]
    for ref in page.get("/Annots") or []:
        a = ref.get_object()
        rect = [float(v) for v in a["/Rect"]]
        inside = box[0] <= rect[0] < rect[2] <= box[2] and box[1] <= rect[1] < rect[3] <= box[3]
        ap = a.get("/AP", {}).get("/N")
        quads = a.get("/QuadPoints")
        print(number, a["/Subtype"], a.get("/Contents", ""), a.get("/Name", ""),
              len(quads) // 8 if quads else 0, "ap" if ap is not None else "no-ap",
              "inside" if inside else "outside", a.get("/NM", ""), sep="|")
props = reader.trailer["/Root"].get("/OCProperties")
for group in (props or {}).get("/OCGs", []):
    g = group.get_object()
    usage = g.get("/Usage", {})
    print("layer", g["/Name"], usage.get("/Print", {}).get("/PrintState", ""),
          usage.get("/View", {}).get("/ViewState", ""), sep="|")
