"""The compared document as the JSON `zcnt render` reads (examples/render/README.md)."""

import json

import pages as P


def bgr(rgb):
    # The engine's colours are 0x00BBGGRR.
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16)


def text(page, x, y, body, size=110, bold=False, colour=P.INK):
    return {"page": page, "x": x, "y": y, "text": body, "font": "Arial", "size": size,
            "bold": bold, "color": bgr(colour)}


def element(page, progid, calls):
    return {"page": page, "class": "Orvane.ZCntElement%s.1" % progid, "calls": calls}


def page_content(page, total, picture, texts, elements):
    texts.append(text(page, P.MARGIN, 1000, P.title(page), 200, True))
    for i, line in enumerate(P.BODY):
        texts.append(text(page, P.MARGIN, 1500 + 190 * i, line))
    for left, top, width, height, body in P.notes(page):
        elements.append(element(page, "Note", [
            ["SetPosition", left, top, width, height],
            ["SetNoteData", body, bgr(P.INK), "Arial", 100, False, False, bgr(P.NOTE_FILL),
             bgr(P.NOTE_BORDER), 1, False, False, 0]]))
    for left, top, word, date, angle in P.stamps(page):
        elements.append(element(page, "Stamp", [
            ["SetPosition", left, top, 1400, 500],
            ["SetStampData", word, bgr(P.RED), "Arial", 60, True, False, date, bgr(P.RED), "Arial",
             False, False, -1, bgr(P.RED), 0, False, 50, angle]]))
    for left, baseline, label, url in P.links(page):
        texts.append(text(page, left, baseline, label, 100, False, P.BLUE))
        elements.append(element(page, "Link", [
            ["SetPosition", left - 20, baseline - 130, 2300, 180],
            ["SetLinkData", url, bgr(P.BLUE), False]]))
    left, top, width, height = P.PICTURE
    elements.append(element(page, "Image", [["SetPosition", left, top, width, height],
                                            ["put", "ImageFile", picture]]))
    left, top, width, height = P.QR
    elements.append(element(page, "Image", [["SetPosition", left, top, width, height],
                                            ["put", "ImageFile", "qrcode:" + P.qr_text(page)]]))
    for words, style, colour in P.MARKS:
        elements.append(element(page, "TextMark", [
            ["MarkText", {"view": page}, {"find": [page, words]}, style, bgr(colour)]]))
    elements.append(element(page, "Note", [
        ["SetPosition", P.MARGIN, P.HEIGHT - 560, 2200, 260],
        ["SetNoteData", "Page $p of $P", bgr(P.INK), "Arial", 90, False, False, -1, -1, 4, False,
         False, 0]]))


def write(path, total, picture):
    texts, elements = [], []
    for page in range(1, total + 1):
        page_content(page, total, picture, texts, elements)
    doc = {"pages": [{"resolution": 720, "width": P.WIDTH, "height": P.HEIGHT}] * total,
           "texts": texts, "elements": elements}
    with open(path, "w") as f:
        json.dump(doc, f)
